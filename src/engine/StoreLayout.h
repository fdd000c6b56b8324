// Where a file lives in the backup store and back: a source X:\path is
// stored as <target>\QTRPMB\X\path, with ".zip" added when compressed and
// ".qtrx" when encrypted.
#pragma once
#include <string>
#include <string_view>

// The store's paths are joined and split by the common path helpers.
#include "platform/PathText.h"

namespace qtr {

inline constexpr std::u16string_view kStoreFolder = u"QTRPMB";
inline constexpr std::u16string_view kCompressedSuffix = u".zip";
// The encrypted form adds its own suffix after the plain or compressed
// stored name: "a.txt.qtrx", "a.txt.zip.qtrx".
inline constexpr std::u16string_view kEncryptedSuffix = u".qtrx";
// A copy being written carries this suffix until it is complete and renamed
// into place.
inline constexpr std::u16string_view kPartialSuffix = u".~qtrpart";
// A restore writes beside the person's own files: its partial copies carry a
// suffix of their own ("a.txt.~qtrrestore", "a.txt.1.~qtrrestore"), so that
// what a cut-short restore left can be told from a person's ".~qtrpart" file.
inline constexpr std::u16string_view kRestorePartialSuffix = u".~qtrrestore";
// Copies being written into the store wait in this folder of the store root.
// Stored files live only in the one-letter drive folders beside it, so
// nothing in it is ever a stored copy of a person's file, and whatever a
// stopped or killed job left there may go.
inline constexpr std::u16string_view kPartialFolder = u"~partial";

// "F:" -> "F:\QTRPMB".
std::u16string StoreRootOf(std::u16string_view targetDrive);
// "F:\QTRPMB" -> "F:\QTRPMB\~partial".
std::u16string PartialFolderOf(std::u16string_view storeRoot);
// True when path is the partial folder of a store root ("F:\QTRPMB\~partial").
bool IsPartialFolder(std::u16string_view path);
// True when path lies directly in a store root ("F:\QTRPMB\~key.bin"):
// stored files live only in the drive folders, so such a file is the
// store's own (its key check file), never one to restore.
bool IsInStoreRoot(std::u16string_view path);
// Store root + "\" + the source path with its first ":" removed.
std::u16string MapToStored(std::u16string_view storeRoot, std::u16string_view source);
// "F:\QTRPMB\C\a.txt" -> "C:\a.txt", "F:\QTRPMB\C" -> "C:": the path
// below a store root's one-letter drive folder, on that drive. Empty for
// any other path: outside a store root, in its own folders or files, in a
// folder of another name, so that nothing restores to a path that is not
// "X:\...". A previous version ("F:\QTRPMB\~versions\<stamp>\C\a.txt")
// maps to where its stored file's source was ("C:\a.txt").
std::u16string MapToSource(std::u16string_view stored);
// True when path is a store root ("F:\QTRPMB").
bool IsStoreRoot(std::u16string_view path);

bool EndsWithNoCase(std::u16string_view text, std::u16string_view suffix);
// text case-folded as the volume compares names (see FoldCase): the key of
// index entries and name caches, lower-case for ASCII.
std::u16string Lowercase(std::u16string_view text);

}  // namespace qtr
