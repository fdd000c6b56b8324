#include "config/BackupRecord.h"

#include "platform/NumberText.h"
#include "xml/XmlDocument.h"

namespace qtr {
namespace {

void AppendNumber(std::u16string& out, int field, bool twoDigits) {
  // The fields come from the clock; a negative one is written as it is.
  out += DecimalText(field, twoDigits ? 2 : 0);
}

}  // namespace

std::u16string FormatBackupTime(const BackupStartTime& time) {
  std::u16string text;
  AppendNumber(text, time.year, false);
  text += u'-';
  AppendNumber(text, time.month, true);
  text += u'-';
  AppendNumber(text, time.day, true);
  text += u' ';
  AppendNumber(text, time.hour, true);
  text += u':';
  AppendNumber(text, time.minute, true);
  text += u':';
  AppendNumber(text, time.second, true);
  return text;
}

BackupRecord::BackupRecord(std::u16string_view programFolder) {
  path_ = std::u16string(programFolder) + std::u16string(kBackupRecordFileName);
}

bool BackupRecord::WriteEmpty() const {
  XmlDocument doc;
  doc.AddElement(u"BackUpInfo");
  doc.IntoElement();
  doc.AddElement(u"Time");
  doc.AddElement(u"Path");
  doc.IntoElement();
  doc.AddElement(u"path");
  return doc.Save(path_);
}

bool BackupRecord::Ensure() const {
  XmlDocument doc;
  return doc.Load(path_) || WriteEmpty();
}

bool BackupRecord::RecordStart(const BackupStartTime& time) const {
  XmlDocument doc;
  if (!doc.Load(path_) && !(WriteEmpty() && doc.Load(path_))) return false;
  if (doc.FindChildElement(u"Time")) doc.RemoveChildElement();
  doc.FindElement();
  if (!doc.IntoElement() || !doc.AddElement(u"Time", FormatBackupTime(time))) return false;
  return doc.Save(path_);
}

std::u16string BackupRecord::LastBackupTime() const {
  XmlDocument doc;
  if (!doc.Load(path_) || !doc.FindChildElement(u"Time")) return {};
  return doc.GetChildData();
}

}  // namespace qtr
