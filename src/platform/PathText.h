// Paths as text: "C:\dir\name" with backslashes. Joining, splitting and
// trimming are done here the one way; a drive's root "C:\" keeps its
// backslash where trailing ones are trimmed.
#pragma once
#include <string>
#include <string_view>

namespace qtr {

// parent + "\" + name, without doubling a separator that ends parent; an
// empty parent gives "\name".
std::u16string JoinPath(std::u16string_view parent, std::u16string_view name);
// name inside folder as JoinPath puts it, but a name without a folder stays
// the bare name.
std::u16string PathInFolder(std::u16string_view folder, std::u16string_view name);
// Everything before the last "\" ("F:\QTRPMB\C\a.txt" -> "F:\QTRPMB\C");
// empty where there is none.
std::u16string ParentOf(std::u16string_view path);
// Everything after the last "\"; the whole path where there is none.
std::u16string_view NameOf(std::u16string_view path);
// The text up to and including the last "\"; empty where there is none.
std::u16string_view FolderPartOf(std::u16string_view path);
// The folder that holds path, a drive's root with its backslash:
// "C:\Docs\a.txt" -> "C:\Docs", "C:\Docs\" -> "C:\". One trailing
// backslash belongs to the path itself; a root has no parent ("C:\" -> "").
std::u16string ParentFolderOf(std::u16string_view path);
// The path without its trailing backslashes, but "C:\" keeps its own.
std::u16string_view WithoutTrailingBackslashes(std::u16string_view path);
// The path ending in a backslash; an empty path stays empty.
std::u16string WithTrailingBackslash(std::u16string_view path);

}  // namespace qtr
