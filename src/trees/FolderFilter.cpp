#include "trees/FolderFilter.h"

#include "config/SelectionPath.h"
#include "config/SettingsFile.h"
#include "platform/PathText.h"
#include "xml/XmlDocument.h"

namespace qtr {
namespace {

constexpr uint32_t kSystem = 0x4;
constexpr uint32_t kTemporary = 0x100;

}  // namespace

void FolderFilter::SetSwitches(bool windows, bool programFiles, bool documentsAndSettings) {
  windows_ = windows;
  programFiles_ = programFiles;
  documentsAndSettings_ = documentsAndSettings;
}

void FolderFilter::ReadSwitches(std::u16string_view settingsFile) {
  XmlDocument doc;
  if (!doc.Load(settingsFile)) {
    SetSwitches(false, false, false);
    return;
  }
  SetSwitches(SettingIsOn(doc, u"WindowsFile"), SettingIsOn(doc, u"ProgramFiles"),
              SettingIsOn(doc, u"DocAndSetFiles"));
}

bool FolderFilter::Lists(std::u16string_view folder, std::u16string_view name, uint32_t attributes) const {
  if (name == u"." || name == u"..") return false;
  if ((attributes & (kSystem | kTemporary)) != 0) return false;
  const std::u16string path = PathInFolder(folder, name);
  if (!windows_ && SamePath(path, u"C:\\WINDOWS")) return false;
  if (!programFiles_ && SamePath(path, u"C:\\Program Files")) return false;
  if (!documentsAndSettings_ && SamePath(path, u"C:\\Documents and Settings")) return false;
  return true;
}

}  // namespace qtr
