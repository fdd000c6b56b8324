// The label of a version folder in the target tree: "Previous versions, "
// and the job's start in the form the active language writes dates in.
#pragma once
#include <string>

#include "config/LanguageTable.h"
#include "engine/StoreVersions.h"

namespace qtr {

// "9 Dec 2026 19:38:00" in English, "2026年12月9日 19:38:00" in Chinese; a
// second job of the same second adds its number: "... 19:38:00 (2)".
std::u16string VersionDateText(const VersionStamp& stamp, const LanguageTable& table);
// The VersionsEntry text with that date in it.
std::u16string VersionEntryLabel(const VersionStamp& stamp, const LanguageTable& table);

}  // namespace qtr
