// An encrypted store in the hands of someone with the disk and without the
// key: the index gives no content away and cannot be edited, and files
// swapped, rolled back or planted never reach the person's files, while a
// rename through the program still restores.
#include <gtest/gtest.h>

#include <string>

#include "EncryptedJobFixture.h"
#include "crypto/HmacSha256.h"
#include "engine/StoreIndex.h"
#include "engine/StoredForms.h"
#include "engine/StoredRename.h"
#include "platform/SystemError.h"

namespace qtr {
namespace {

using test::Narrow;

std::string HexOf(const Sha256Digest& digest) {
  static const char digits[] = "0123456789abcdef";
  std::string hex;
  for (const uint8_t b : digest) {
    hex += digits[b >> 4];
    hex += digits[b & 15];
  }
  return hex;
}

class StoreAgainstThiefTest : public test::EncryptedJobFixture {
 protected:
  void PutSalaryAndReadme() {
    fs.PutFile(u"C:\\D\\salary.txt", "salary: 123456");
    fs.PutFile(u"C:\\D\\readme.txt", "read me first");
  }
  // The person's files as they were before the thief's restore.
  void ExpectPcUntouched() {
    EXPECT_EQ(Content(u"C:\\D\\salary.txt"), "salary: 123456");
    EXPECT_EQ(Content(u"C:\\D\\readme.txt"), "read me first");
  }
  void ExpectOnlyLine(const std::u16string& stored, const std::u16string& reason) {
    ASSERT_EQ(lines.lines.size(), 1u) << Narrow(lines.lines.empty() ? u"" : lines.lines[1]);
    EXPECT_EQ(Narrow(lines.lines[0]), Narrow(stored + u";" + reason));
    lines.lines.clear();
  }
};

TEST_F(StoreAgainstThiefTest, TheIndexHoldsNoPlainHashAndEveryRecordIsTagged) {
  const std::string pin = "PIN=4711";
  fs.PutFile(u"C:\\D\\pin.txt", pin);
  for (const bool compress : {false, true}) {
    Encryption(compress);
    BackupWith(&key, {"C:\\D"});
    const Sha256Digest plain = Sha256Of(pin.data(), pin.size());
    const std::string index = IndexBytes();
    EXPECT_EQ(index.find(HexOf(plain)), std::string::npos);
    EXPECT_EQ(index.find(std::string(plain.begin(), plain.end())), std::string::npos);
    EXPECT_EQ(index.find("sha256="), std::string::npos);
    // Names and sizes stay readable, as the help says.
    EXPECT_NE(index.find(compress ? "path=\"C\\D\\pin.txt.zip.qtrx\"" : "path=\"C\\D\\pin.txt.qtrx\""),
              std::string::npos);
    EXPECT_NE(index.find("size=\"8\""), std::string::npos);
    EXPECT_NE(index.find(" tag=\""), std::string::npos);
  }
  // The keyed hash still holds the restore to the bytes backed up.
  fs.RemoveFile(u"C:\\D\\pin.txt");
  RestoreWith(&key, {"F:\\QTRPMB\\C\\D"});
  EXPECT_TRUE(lines.lines.empty());
  EXPECT_EQ(Content(u"C:\\D\\pin.txt"), pin);
}

TEST_F(StoreAgainstThiefTest, AnEditedOrPlantedRecordDoesNotCount) {
  PutSalaryAndReadme();
  Encryption(false);
  BackupWith(&key, {"C:\\D"});
  const std::u16string piece = u"F:\\QTRPMB\\~index\\0000000001.xml";
  std::string bytes = Content(piece);
  ASSERT_NE(bytes.find("size=\"14\""), std::string::npos) << bytes;
  const std::string sound = bytes;

  // One size changed: the piece no longer holds under the key.
  bytes.replace(bytes.find("size=\"14\""), 9, "size=\"15\"");
  fs.PutFile(piece, bytes);
  StoreIndex index = StoreIndex::Load(fs, u"F:\\QTRPMB", &key);
  EXPECT_TRUE(index.Damaged());
  EXPECT_EQ(index.Find(u"C\\D\\salary.txt.qtrx"), nullptr);
  // Without the key nobody can tell, and nothing is vouched for.
  index = StoreIndex::Load(fs, u"F:\\QTRPMB");
  ASSERT_NE(index.Find(u"C\\D\\salary.txt.qtrx"), nullptr);
  EXPECT_FALSE(index.Find(u"C\\D\\salary.txt.qtrx")->vouched);

  // An untagged record in a later piece, for a path a tagged record names, is ignored.
  fs.PutFile(piece, sound);
  fs.PutFile(
      u"F:\\QTRPMB\\~index\\0000000009.xml",
      "<?xml version=\"1.0\"?>\r\n<StoreIndex>\r\n<Gone path=\"C\\D\\salary.txt.qtrx\"/>\r\n"
      "<File path=\"C\\D\\new.txt\" form=\"plain\" size=\"1\" time=\"1\" storedSize=\"1\" storedTime=\"1\" "
      "sha256=\"" +
          std::string(64, '0') + "\"/>\r\n</StoreIndex>\r\n");
  index = StoreIndex::Load(fs, u"F:\\QTRPMB", &key);
  EXPECT_FALSE(index.Damaged());
  ASSERT_NE(index.Find(u"C\\D\\salary.txt.qtrx"), nullptr);
  EXPECT_TRUE(index.Find(u"C\\D\\salary.txt.qtrx")->vouched);
  ASSERT_NE(index.Find(u"C\\D\\new.txt"), nullptr);
  EXPECT_FALSE(index.Find(u"C\\D\\new.txt")->vouched);
}

TEST_F(StoreAgainstThiefTest, AStoreOfTheLastReleaseOpensAndTheFirstKeyedBackupFoldsItsPlainHashesAway) {
  PutSalaryAndReadme();
  // A plain backup writes untagged records with plain hashes, as the last release did.
  Encryption(false, false, false);
  BackupWith(nullptr, {"C:\\D"});
  const Sha256Digest readme = Sha256Of("read me first", 13);
  ASSERT_NE(IndexBytes().find(HexOf(readme)), std::string::npos);

  fs.PutFile(u"C:\\D\\more.txt", "more");
  Encryption(false);
  BackupWith(&key, {"C:\\D\\more.txt"});
  EXPECT_TRUE(lines.lines.empty());
  EXPECT_EQ(IndexBytes().find(HexOf(readme)), std::string::npos);
  EXPECT_EQ(IndexBytes().find("sha256="), std::string::npos);
  // The readable copies from before encryption was switched on are vouched
  // for under the key now, and restore.
  fs.PutFile(u"C:\\D\\readme.txt", "changed");
  RestoreWith(&key, {"F:\\QTRPMB\\C\\D\\readme.txt"});
  EXPECT_TRUE(lines.lines.empty()) << Narrow(lines.lines.empty() ? u"" : lines.lines[0]);
  EXPECT_EQ(Content(u"C:\\D\\readme.txt"), "read me first");
}

TEST_F(StoreAgainstThiefTest, SwappedFilesAreRefusedWithOrWithoutTheIndex) {
  PutSalaryAndReadme();
  Encryption(false);
  BackupWith(&key, {"C:\\D"});
  for (const bool withIndex : {true, false}) {
    SCOPED_TRACE(withIndex ? "with index" : "index deleted");
    const std::string salary = Content(u"F:\\QTRPMB\\C\\D\\salary.txt.qtrx");
    const std::string readme = Content(u"F:\\QTRPMB\\C\\D\\readme.txt.qtrx");
    fs.PutFile(u"F:\\QTRPMB\\C\\D\\readme.txt.qtrx", salary);
    fs.PutFile(u"F:\\QTRPMB\\C\\D\\salary.txt.qtrx", readme);
    if (!withIndex) RemoveIndex();
    RestoreWith(&key, {"F:\\QTRPMB\\C\\D"});
    ASSERT_EQ(lines.lines.size(), 2u);
    EXPECT_EQ(Narrow(lines.lines[0]),
              Narrow(u"F:\\QTRPMB\\C\\D\\readme.txt.qtrx;" + JobNotes{}.movedRefused));
    EXPECT_EQ(Narrow(lines.lines[1]),
              Narrow(u"F:\\QTRPMB\\C\\D\\salary.txt.qtrx;" + JobNotes{}.movedRefused));
    lines.lines.clear();
    ExpectPcUntouched();
    fs.PutFile(u"F:\\QTRPMB\\C\\D\\readme.txt.qtrx", readme);
    fs.PutFile(u"F:\\QTRPMB\\C\\D\\salary.txt.qtrx", salary);
  }
}

TEST_F(StoreAgainstThiefTest, AnOlderCopyPutBackIsRefused) {
  PutSalaryAndReadme();
  Encryption(false);
  BackupWith(&key, {"C:\\D"});
  const std::string older = Content(u"F:\\QTRPMB\\C\\D\\salary.txt.qtrx");
  const FileTimes olderTimes = Times(u"F:\\QTRPMB\\C\\D\\salary.txt.qtrx");
  fs.PutFile(u"C:\\D\\salary.txt", "salary: 234567");
  BackupWith(&key, {"C:\\D"});
  fs.PutFile(u"C:\\D\\salary.txt", "salary: 123456");

  fs.PutFile(u"F:\\QTRPMB\\C\\D\\salary.txt.qtrx", older);
  fs.SetTimes(u"F:\\QTRPMB\\C\\D\\salary.txt.qtrx", olderTimes);
  RestoreWith(&key, {"F:\\QTRPMB\\C\\D\\salary.txt.qtrx"});
  ExpectOnlyLine(u"F:\\QTRPMB\\C\\D\\salary.txt.qtrx", JobNotes{}.olderRefused);
  ExpectPcUntouched();
}

TEST_F(StoreAgainstThiefTest, APlantedReadableFileIsRefusedInAnEncryptedStore) {
  PutSalaryAndReadme();
  Encryption(true);
  BackupWith(&key, {"C:\\D"});
  fs.PutFile(u"F:\\QTRPMB\\C\\D\\readme.txt", "planted");
  WriteContainerFile(u"F:\\QTRPMB\\C\\D\\salary.txt.zip", "planted");
  RemoveIndex();
  // With the key handed over, and without: the key check file alone marks the store.
  fs.PutFile(u"F:\\QTRPMB\\~key.bin", std::string(96, 'k'));
  for (const bool withKey : {true, false}) {
    SCOPED_TRACE(withKey ? "with key" : "without key");
    RestoreWith(withKey ? &key : nullptr,
                {"F:\\QTRPMB\\C\\D\\readme.txt", "F:\\QTRPMB\\C\\D\\salary.txt.zip"});
    ASSERT_EQ(lines.lines.size(), 2u);
    EXPECT_EQ(Narrow(lines.lines[0]), Narrow(u"F:\\QTRPMB\\C\\D\\readme.txt;" + JobNotes{}.readableRefused));
    EXPECT_EQ(Narrow(lines.lines[1]),
              Narrow(u"F:\\QTRPMB\\C\\D\\salary.txt.zip;" + JobNotes{}.readableRefused));
    lines.lines.clear();
    ExpectPcUntouched();
  }
}

TEST_F(StoreAgainstThiefTest, ARenameThroughTheProgramRestoresUnderTheNewNameAndAMoveDoesNot) {
  PutSalaryAndReadme();
  Encryption(false);
  BackupWith(&key, {"C:\\D"});
  EXPECT_EQ(RenameStoredFile(fs, u"F:\\QTRPMB", nullptr, u"F:\\QTRPMB\\C\\D\\readme.txt.qtrx",
                             u"F:\\QTRPMB\\C\\D\\first.txt.qtrx"),
            kErrorNoStoreKey);
  ASSERT_EQ(RenameStoredFile(fs, u"F:\\QTRPMB", &key, u"F:\\QTRPMB\\C\\D\\readme.txt.qtrx",
                             u"F:\\QTRPMB\\C\\D\\First.txt.qtrx"),
            0u);
  RestoreWith(&key, {"F:\\QTRPMB\\C\\D"});
  ExpectOnlyLine(u"F:\\QTRPMB\\C\\D\\First.txt.qtrx", JobNotes{}.renamedRestored);
  EXPECT_EQ(Content(u"C:\\D\\First.txt"), "read me first");

  // The same file moved on by someone without the key: its rename record names another place.
  ASSERT_EQ(fs.Rename(u"F:\\QTRPMB\\C\\D\\First.txt.qtrx", u"F:\\QTRPMB\\C\\D\\second.txt.qtrx"), 0u);
  fs.RemoveFile(u"C:\\D\\second.txt");
  RestoreWith(&key, {"F:\\QTRPMB\\C\\D\\second.txt.qtrx"});
  ExpectOnlyLine(u"F:\\QTRPMB\\C\\D\\second.txt.qtrx", JobNotes{}.movedRefused);
  EXPECT_FALSE(fs.Exists(u"C:\\D\\second.txt"));

  // A folder renamed through the program takes its files' records along.
  ASSERT_EQ(fs.Rename(u"F:\\QTRPMB\\C\\D\\second.txt.qtrx", u"F:\\QTRPMB\\C\\D\\First.txt.qtrx"), 0u);
  ASSERT_EQ(RenameStoredFile(fs, u"F:\\QTRPMB", &key, u"F:\\QTRPMB\\C\\D", u"F:\\QTRPMB\\C\\E"), 0u);
  RestoreWith(&key, {"F:\\QTRPMB\\C\\E"});
  ASSERT_EQ(lines.lines.size(), 2u);
  EXPECT_EQ(Narrow(lines.lines[0]), Narrow(u"F:\\QTRPMB\\C\\E\\First.txt.qtrx;" + JobNotes{}.renamedRestored));
  EXPECT_EQ(Narrow(lines.lines[1]), Narrow(u"F:\\QTRPMB\\C\\E\\salary.txt.qtrx;" + JobNotes{}.renamedRestored));
  EXPECT_EQ(Content(u"C:\\E\\First.txt"), "read me first");
  EXPECT_EQ(Content(u"C:\\E\\salary.txt"), "salary: 123456");
}

}  // namespace
}  // namespace qtr
