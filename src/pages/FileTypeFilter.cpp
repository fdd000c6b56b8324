#include "pages/FileTypeFilter.h"

#include "config/SettingsFile.h"

namespace qtr {
namespace {

constexpr FileTypeBox kBoxes[] = {
    // The list once read "jepg": the slip stays matched, and photos named
    // ".jpeg" are no longer left out of a Picture backup.
    {u"BackupImages", TextId::Image, u":bmp,jpg,png,jpeg", u"jepg"},
    {u"BackupAudios", TextId::Audio, u":wmv,mp3,wma"},
    {u"BackupVedios", TextId::Vedio, u":avi,mp4,rmvb"},
    {u"BackupDatas", TextId::Data, u":txt,doc,docx,xls,ppt,pdf"},
};

bool IsBlank(char16_t c) {
  return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n';
}

std::u16string_view Trimmed(std::u16string_view piece) {
  while (!piece.empty() && IsBlank(piece.front())) piece.remove_prefix(1);
  while (!piece.empty() && IsBlank(piece.back())) piece.remove_suffix(1);
  if (!piece.empty() && piece.front() == u'.') piece.remove_prefix(1);
  return piece;
}

}  // namespace

std::span<const FileTypeBox> FileTypeBoxes() {
  return kBoxes;
}

std::u16string FileTypeBoxText(const FileTypeBox& box, const std::u16string& translatedName) {
  return translatedName + std::u16string(box.extensions);
}

void AppendExtensions(std::u16string& filter, std::u16string_view text) {
  while (true) {
    const size_t comma = text.find(u',');
    const std::u16string_view piece = Trimmed(text.substr(0, comma));
    if (!piece.empty()) {
      if (!filter.empty()) filter += u',';
      filter += piece;
    }
    if (comma == std::u16string_view::npos) return;
    text.remove_prefix(comma + 1);
  }
}

std::u16string FileTypeFilterText(XmlDocument& settings, std::u16string_view othersText,
                                  std::u16string_view prompt) {
  std::u16string filter;
  // The extension lists come from the boxes' own constants rather than from
  // their shown texts: a translated name holding a ':' would otherwise be
  // split in the wrong place.
  for (const FileTypeBox& box : kBoxes)
    if (SettingIsOn(settings, box.key)) {
      AppendExtensions(filter, box.extensions.substr(1));
      AppendExtensions(filter, box.alsoMatched);
    }
  if (othersText != prompt) AppendExtensions(filter, othersText);
  return filter;
}

}  // namespace qtr
