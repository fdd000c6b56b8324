// encrypt and decrypt on real files of the host.
#include "tools/EncryptCommand.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "crypto/EncryptedFile.h"
#include "crypto/KeyCheck.h"
#include "support/TempFolder.h"
#include "tools/HostFile.h"

namespace qtr {
namespace {

using test::ReadBytes;
using test::TempFolder;
using test::WriteBytes;

std::string Sample(size_t size) {
  std::string text;
  for (size_t k = 0; k < size; ++k) text += static_cast<char>((k * 131 + k / 7) & 0xFF);
  return text;
}

TEST(EncryptCommandTest, EncryptCreatesTheKeyFileAndDecryptGivesTheFileBack) {
  TempFolder folder;
  const std::string plain = Sample(3 * kEncryptedChunkSize + 5);
  WriteBytes(folder.File(u"in"), plain);
  std::string message;
  ASSERT_EQ(EncryptCommand(folder.File(u"in"), folder.File(u"in.enc"), folder.File(u"key"), "pw", &message),
            0)
      << message;
  EXPECT_EQ(ReadBytes(folder.File(u"key")).size(), 96u);
  EXPECT_EQ(ReadBytes(folder.File(u"in.enc")).find(plain.substr(100, 16)), std::string::npos);
  // A second file under the same key check file.
  WriteBytes(folder.File(u"empty"), "");
  ASSERT_EQ(
      EncryptCommand(folder.File(u"empty"), folder.File(u"empty.enc"), folder.File(u"key"), "pw", &message),
      0)
      << message;
  ASSERT_EQ(DecryptCommand(folder.File(u"in.enc"), folder.File(u"out"), folder.File(u"key"), "pw", &message),
            0)
      << message;
  EXPECT_EQ(ReadBytes(folder.File(u"out")), plain);
  ASSERT_EQ(
      DecryptCommand(folder.File(u"empty.enc"), folder.File(u"out0"), folder.File(u"key"), "pw", &message), 0)
      << message;
  EXPECT_EQ(ReadBytes(folder.File(u"out0")), "");
}

TEST(EncryptCommandTest, WrongPasswordAndDamageFailWithAReasonAndNoOutput) {
  TempFolder folder;
  WriteBytes(folder.File(u"in"), Sample(2 * kEncryptedChunkSize + 1));
  std::string message;
  ASSERT_EQ(
      EncryptCommand(folder.File(u"in"), folder.File(u"in.enc"), folder.File(u"key"), "right", &message), 0);

  EXPECT_EQ(
      DecryptCommand(folder.File(u"in.enc"), folder.File(u"out"), folder.File(u"key"), "wrong", &message), 1);
  EXPECT_EQ(message, "wrong password");
  EXPECT_EQ(EncryptCommand(folder.File(u"in"), folder.File(u"again"), folder.File(u"key"), "wrong", &message),
            1);
  EXPECT_EQ(KindOfHostPath(folder.File(u"again")), HostPathKind::kMissing);

  // The last chunk altered: the earlier chunks decrypt, but no output appears.
  std::string encrypted = ReadBytes(folder.File(u"in.enc"));
  encrypted[encrypted.size() - 3] ^= 1;
  WriteBytes(folder.File(u"bad.enc"), encrypted);
  EXPECT_EQ(
      DecryptCommand(folder.File(u"bad.enc"), folder.File(u"out"), folder.File(u"key"), "right", &message),
      1);
  EXPECT_NE(message.find("damaged"), std::string::npos) << message;
  EXPECT_EQ(KindOfHostPath(folder.File(u"out")), HostPathKind::kMissing);

  std::string key = ReadBytes(folder.File(u"key"));
  key[20] ^= 1;
  WriteBytes(folder.File(u"key2"), key);
  EXPECT_EQ(
      DecryptCommand(folder.File(u"in.enc"), folder.File(u"out"), folder.File(u"key2"), "right", &message),
      1);
  EXPECT_NE(message.find("key check file"), std::string::npos) << message;
  EXPECT_EQ(
      DecryptCommand(folder.File(u"in.enc"), folder.File(u"out"), folder.File(u"none"), "right", &message),
      1);
  EXPECT_EQ(KindOfHostPath(folder.File(u"none")), HostPathKind::kMissing);
  EXPECT_EQ(KindOfHostPath(folder.File(u"out")), HostPathKind::kMissing);
}

}  // namespace
}  // namespace qtr

namespace qtr {
namespace {

TEST(EncryptCommandTest, TheKeyCheckFileIsFoundInTheStoreAPathLiesIn) {
  EXPECT_EQ(KeyCheckFileOf(u"F:\\QTRPMB\\C\\docs\\a.txt.qtrx"), u"F:\\QTRPMB\\~key.bin");
  EXPECT_EQ(KeyCheckFileOf(u"/media/disk/qtrpmb/C/a.txt.zip.qtrx"), u"/media/disk/qtrpmb/~key.bin");
  // The nearest store: a store copied into another one keeps its own key.
  EXPECT_EQ(KeyCheckFileOf(u"F:\\QTRPMB\\C\\old\\QTRPMB\\D\\b.qtrx"), u"F:\\QTRPMB\\C\\old\\QTRPMB\\~key.bin");
  EXPECT_EQ(KeyCheckFileOf(u"F:\\backup\\QTRPMBX\\a.qtrx"), u"");
  EXPECT_EQ(KeyCheckFileOf(u"a.qtrx"), u"");

  // Without --key-file: encrypt into a store makes its key check file, decrypt finds it.
  TempFolder folder;
  const std::u16string store = folder.File(u"QTRPMB");
  std::filesystem::create_directories(std::filesystem::path(store) / u"C");
  const std::u16string stored = (std::filesystem::path(store) / u"C" / u"a.txt.qtrx").u16string();
  WriteBytes(folder.File(u"a.txt"), "stored in a store");
  std::string message;
  ASSERT_EQ(EncryptCommand(folder.File(u"a.txt"), stored, u"", "pw", &message), 0) << message;
  EXPECT_EQ(ReadBytes((std::filesystem::path(store) / u"~key.bin").u16string()).size(), 96u);
  ASSERT_EQ(DecryptCommand(stored, folder.File(u"back.txt"), u"", "pw", &message), 0) << message;
  EXPECT_EQ(ReadBytes(folder.File(u"back.txt")), "stored in a store");
  EXPECT_EQ(DecryptCommand(stored, folder.File(u"wrong.txt"), u"", "not pw", &message), 1);
  EXPECT_EQ(message, "wrong password");
  EXPECT_EQ(DecryptCommand(folder.File(u"a.txt"), folder.File(u"x"), u"", "pw", &message), 1);
  EXPECT_NE(message.find("--key-file"), std::string::npos) << message;

  // The store's key check is kept twice: its copy alone still decrypts.
  const std::u16string copy = (std::filesystem::path(store) / u"~keycopy" / u"~key.bin").u16string();
  EXPECT_EQ(ReadBytes(copy), ReadBytes((std::filesystem::path(store) / u"~key.bin").u16string()));
  std::filesystem::remove(std::filesystem::path(store) / u"~key.bin");
  ASSERT_EQ(DecryptCommand(stored, folder.File(u"again.txt"), u"", "pw", &message), 0) << message;
  EXPECT_EQ(ReadBytes(folder.File(u"again.txt")), "stored in a store");
  for (const auto& entry : std::filesystem::recursive_directory_iterator(folder.Path()))
    EXPECT_EQ(entry.path().u16string().find(u".~qtrpart"), std::u16string::npos);

  // Both copies lost: the salt and count the file carries (a fake of its
  // header here) rebuild the key, which only the file's authentication accepts.
  KeyParameters carried;
  {
    const std::string raw = ReadBytes(copy);
    ASSERT_EQ(ReadKeyCheckParameters(std::vector<uint8_t>(raw.begin(), raw.end()), &carried), KeyCheckResult::kOk);
  }
  std::filesystem::remove(copy);
  const EncryptedParametersReader fromHeader = [&](File&, KeyParameters* parameters) {
    *parameters = carried;
    return true;
  };
  EXPECT_EQ(DecryptCommand(stored, folder.File(u"lost.txt"), u"", "pw", &message), 1);
  EXPECT_EQ(DecryptCommand(stored, folder.File(u"lost.txt"), u"", "not pw", &message, fromHeader), 1);
  EXPECT_EQ(message.rfind("wrong password", 0), 0u) << message;
  ASSERT_EQ(DecryptCommand(stored, folder.File(u"lost.txt"), u"", "pw", &message, fromHeader), 0) << message;
  EXPECT_EQ(ReadBytes(folder.File(u"lost.txt")), "stored in a store");
}

TEST(EncryptCommandTest, AnEmptyPasswordANonFileInputAndASizeThatDisagreesAreRefused) {
  TempFolder folder;
  WriteBytes(folder.File(u"in"), "some bytes");
  std::string message;
  EXPECT_EQ(EncryptCommand(folder.File(u"in"), folder.File(u"in.enc"), folder.File(u"key"), "", &message), 1);
  EXPECT_NE(message.find("empty password"), std::string::npos) << message;
  EXPECT_EQ(KindOfHostPath(folder.File(u"key")), HostPathKind::kMissing) << "no key from the empty password";
  // A folder in the place of the input (a pipe is refused the same way).
  EXPECT_EQ(EncryptCommand(folder.Path(), folder.File(u"in.enc"), folder.File(u"key"), "pw", &message), 1);
  EXPECT_NE(message.find("not a regular file"), std::string::npos) << message;
  EXPECT_EQ(KindOfHostPath(folder.File(u"key")), HostPathKind::kMissing);

  // An encrypted file whose header records 12 bytes and which holds 10.
  ASSERT_EQ(EncryptCommand(folder.File(u"in"), folder.File(u"in.enc"), folder.File(u"key"), "pw", &message), 0)
      << message;
  std::vector<uint8_t> keyBytes;
  {
    const std::string raw = ReadBytes(folder.File(u"key"));
    keyBytes.assign(raw.begin(), raw.end());
  }
  uint8_t key[kAesKeySize];
  ASSERT_EQ(OpenKeyCheck(keyBytes, "pw", key), KeyCheckResult::kOk);
  {
    std::unique_ptr<File> out;
    ASSERT_EQ(OpenHostFile(folder.File(u"short.enc"), true, &out), 0u);
    uint32_t error = 0;
    auto sealed = EncryptingFile::Create(*out, key, {12, 5}, &error);
    ASSERT_TRUE(sealed);
    ASSERT_EQ(sealed->Write("ten bytes!", 10), 0u);
    ASSERT_EQ(sealed->Finish(), 0u);
  }
  EXPECT_EQ(DecryptCommand(folder.File(u"short.enc"), folder.File(u"out"), folder.File(u"key"), "pw", &message), 1);
  EXPECT_NE(message.find("header records 12"), std::string::npos) << message;
  EXPECT_EQ(KindOfHostPath(folder.File(u"out")), HostPathKind::kMissing);
}

}  // namespace
}  // namespace qtr
