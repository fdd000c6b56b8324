// Whole files on the real (mapped) drives of the Wine engine tests: written
// with the folders on their way made first, and read back whole.
#pragma once
#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <string>
#include <string_view>

#include "JobFixture.h"
#include "platform/FileSystem.h"

namespace qtr::test {

inline std::wstring W(std::u16string_view s) { return std::wstring(s.begin(), s.end()); }

inline void PutFile(const std::u16string& path, const std::string& bytes) {
  for (size_t slash = path.find(u'\\', 3); slash != std::u16string::npos; slash = path.find(u'\\', slash + 1))
    CreateDirectoryW((L"\\\\?\\" + W(path.substr(0, slash))).c_str(), nullptr);
  std::unique_ptr<File> file;
  ASSERT_EQ(SystemFileSystem().Open(path, OpenMode::kWriteTruncate, &file), 0u) << Narrow(path);
  ASSERT_EQ(file->Write(bytes.data(), bytes.size()), 0u);
}

// The whole content, or "<missing>" when the file does not open.
inline std::string FileBytes(const std::u16string& path) {
  std::unique_ptr<File> file;
  if (SystemFileSystem().Open(path, OpenMode::kReadExisting, &file) != 0) return "<missing>";
  std::string bytes(1 << 20, '\0'), all;
  size_t got = 0;
  while (file->Read(bytes.data(), bytes.size(), &got) == 0 && got > 0) all.append(bytes.data(), got);
  return all;
}

}  // namespace qtr::test
