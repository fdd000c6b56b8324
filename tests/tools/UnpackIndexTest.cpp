// Unpacking a container that lies in a store: the hash its index recorded
// must come out, or nothing is written.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "crypto/Sha256.h"
#include "engine/StoreIndex.h"
#include "support/MappedDrive.h"
#include "support/TempFolder.h"
#include "tools/PackCommand.h"

namespace qtr {
namespace {

std::wstring W(std::u16string_view s) { return std::wstring(s.begin(), s.end()); }

std::string Read(const std::u16string& path) {
  std::unique_ptr<File> file;
  if (SystemFileSystem().Open(path, OpenMode::kReadExisting, &file) != 0) return "<missing>";
  std::string all(1 << 16, '\0'), bytes;
  size_t got = 0;
  while (file->Read(all.data(), all.size(), &got) == 0 && got > 0) bytes.append(all.data(), got);
  return bytes;
}

void Record(const std::u16string& stored, const std::string& content, bool rightHash) {
  StoreIndex index = StoreIndex::Load(SystemFileSystem(), u"Q:\\QTRPMB");
  FindEntry listed;
  ASSERT_EQ(SystemFileSystem().Find(stored, &listed), 0u);
  StoreIndexEntry entry;
  entry.stored = stored;
  entry.form = StoredForm::kCompressed;
  entry.sourceSize = content.size();
  entry.storedSize = listed.size;
  entry.storedLastWrite = listed.times.lastWrite;
  entry.sha256 = Sha256Of(content.data(), content.size());
  if (!rightHash) entry.sha256[0] ^= 1;
  index.Record(entry);
  ASSERT_EQ(index.AppendPending(SystemFileSystem()), 0u);
}

TEST(UnpackIndexTest, AStoredContainerMustDecodeToTheHashItsIndexRecorded) {
  test::TempFolder folder;
  test::MappedDrive drive(L'q', W(folder.Path()));
  ASSERT_TRUE(drive.Ok());
  std::string content;
  while (content.size() < 100000) content += "a line of the file " + std::to_string(content.size()) + "\n";
  test::WriteBytes(folder.File(u"source.txt"), content);
  CreateDirectoryW(L"Q:\\QTRPMB", nullptr);
  CreateDirectoryW(L"Q:\\QTRPMB\\Q", nullptr);
  const std::u16string stored = u"Q:\\QTRPMB\\Q\\source.txt.zip";
  std::string message;
  ASSERT_EQ(PackCommand(u"Q:\\source.txt", stored, 1, &message), 0) << message;

  Record(stored, content, true);
  EXPECT_EQ(UnpackCommand(stored, u"Q:\\out.txt", &message), 0) << message;
  EXPECT_EQ(Read(u"Q:\\out.txt"), content);

  // An entry whose hash the container does not decode to: refused, the old output kept.
  Record(stored, content, false);
  message.clear();
  test::WriteBytes(folder.File(u"out.txt"), "kept");
  EXPECT_EQ(UnpackCommand(stored, u"Q:\\out.txt", &message), 1);
  EXPECT_NE(message.find("store index"), std::string::npos) << message;
  EXPECT_EQ(Read(u"Q:\\out.txt"), "kept");
}

}  // namespace
}  // namespace qtr
