// A fresh folder for one test, removed with everything in it afterwards.
#pragma once
#include <string>

namespace qtr::test {

class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  // The folder's path in the platform's form, without a trailing separator.
  const std::u16string& Path() const { return path_; }
  // Path() + separator + name.
  std::u16string File(std::u16string_view name) const;

 private:
  std::u16string path_;
};

// Test helpers for files given by such paths.
std::string ReadBytes(const std::u16string& path);
void WriteBytes(const std::u16string& path, const std::string& bytes);

}  // namespace qtr::test
