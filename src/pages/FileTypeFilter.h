// The file-type filter of a backup: the extensions of the ticked boxes of
// the Setting page's file-filter group, plus what the person typed into the
// "Others" field, as the comma-separated text the source walk compares
// extensions against. An empty text means every file takes part.
#pragma once
#include <span>
#include <string>
#include <string_view>

#include "config/LanguageText.h"
#include "xml/XmlDocument.h"

namespace qtr {

// One stored file-type box: its settings key, its name on the page, the
// extension list shown after the name and the extensions it also matches.
struct FileTypeBox {
  std::u16string_view key;
  TextId name;
  std::u16string_view extensions;  // begins with ':'
  std::u16string_view alsoMatched = {};
};

// Picture, Audio, Video, Data files, in the order the page shows them.
std::span<const FileTypeBox> FileTypeBoxes();

// What a box shows: the translated name followed by its extension list.
std::u16string FileTypeBoxText(const FileTypeBox& box, const std::u16string& translatedName);

// Splits text at ',' and appends each piece to filter. Pieces are trimmed of
// spaces and of a leading '.', and empty pieces are dropped, so "jpg, .png,"
// adds jpg and png: an entry the walk could never match would otherwise turn
// a typing slip into a filter that leaves every file out.
void AppendExtensions(std::u16string& filter, std::u16string_view text);

// The filter text from a loaded settings document (the four stored boxes)
// and the "Others" field. othersText is empty when "Others" is not ticked;
// the field's grey prompt (prompt) counts as empty.
std::u16string FileTypeFilterText(XmlDocument& settings, std::u16string_view othersText,
                                  std::u16string_view prompt);

}  // namespace qtr
