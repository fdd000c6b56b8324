#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <random>

#include "platform/WholeFile.h"

namespace qtr::test {
namespace {

std::filesystem::path ToFs(const std::u16string& p) {
  return std::filesystem::path(p);
}

}  // namespace

TempFolder::TempFolder() {
  std::random_device random;
  const auto base = std::filesystem::temp_directory_path();
  for (int attempt = 0; attempt < 100; ++attempt) {
    const auto candidate = base / ("qtr-test-" + std::to_string(random()));
    std::error_code error;
    if (std::filesystem::create_directory(candidate, error)) {
      path_ = candidate.u16string();
      return;
    }
  }
  ADD_FAILURE() << "could not create a temporary folder";
}

TempFolder::~TempFolder() {
  std::error_code error;
  if (!path_.empty()) std::filesystem::remove_all(ToFs(path_), error);
}

std::u16string TempFolder::File(std::u16string_view name) const {
#ifdef _WIN32
  return path_ + u"\\" + std::u16string(name);
#else
  return path_ + u"/" + std::u16string(name);
#endif
}

std::string ReadBytes(const std::u16string& path) {
  std::string bytes;
  EXPECT_EQ(ReadWholeFile(path, bytes), 0u);
  return bytes;
}

void WriteBytes(const std::u16string& path, const std::string& bytes) {
  EXPECT_EQ(WriteWholeFile(path, bytes), 0u);
}

}  // namespace qtr::test
