// The kept backup password: what lands in the program folder, what reads
// back, and what counts as no password kept.
#include <gtest/gtest.h>

#include "config/BackupPassword.h"
#include "platform/SystemError.h"
#include "support/MemoryFileSystem.h"
#include "support/TempFolder.h"
#include "support/TestUserDataProtection.h"

namespace qtr {
namespace {

constexpr std::u16string_view kFolder = u"C:\\Program\\";
constexpr std::u16string_view kFile = u"C:\\Program\\backuppassword.bin";

class BackupPasswordTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fs_.AddVolume(u'C', MemoryFileSystem::Kind::kNtfs);
    ASSERT_EQ(fs_.CreateFolder(u"C:\\Program"), 0u);
  }
  std::string FileBytes() const {
    std::string bytes;
    EXPECT_TRUE(fs_.GetFile(kFile, &bytes));
    return bytes;
  }
  MemoryFileSystem fs_;
  test::TestProtection anna_{"anna"};
  BackupPassword kept_{fs_, anna_, kFolder};
};

TEST_F(BackupPasswordTest, KeepsThePasswordSealedAndReadsItBack) {
  EXPECT_EQ(kept_.Read(), std::nullopt) << "nothing kept at first";
  ASSERT_EQ(kept_.Keep("Geheim-\xc3\xa4-42"), 0u);
  EXPECT_EQ(kept_.Path(), kFile);
  const std::string bytes = FileBytes();
  EXPECT_EQ(bytes.substr(0, 5), std::string("QTBP\x01", 5));
  EXPECT_EQ(bytes.find("Geheim"), std::string::npos) << "no plain text on disk";
  EXPECT_EQ(kept_.Read(), "Geheim-\xc3\xa4-42");
  // A second object over the same folder: the password survives a restart.
  EXPECT_EQ(BackupPassword(fs_, anna_, kFolder).Read(), "Geheim-\xc3\xa4-42");

  ASSERT_EQ(kept_.Keep("other"), 0u);
  EXPECT_EQ(kept_.Read(), "other");
  EXPECT_EQ(fs_.AllPaths().size(), 2u) << "one file, no replacement left behind: " << fs_.AllPaths().size();
}

TEST_F(BackupPasswordTest, AnEmptyPasswordRemovesTheFile) {
  ASSERT_EQ(kept_.Keep("pw"), 0u);
  EXPECT_EQ(kept_.Keep(""), 0u);
  EXPECT_FALSE(fs_.Exists(kFile));
  EXPECT_EQ(kept_.Read(), std::nullopt);
  EXPECT_EQ(kept_.Remove(), 0u) << "removing nothing is no failure";
}

TEST_F(BackupPasswordTest, AFileThatDoesNotOpenCountsAsNoPassword) {
  ASSERT_EQ(kept_.Keep("pw"), 0u);
  const std::string good = FileBytes();
  test::TestProtection bert("bert");
  EXPECT_EQ(BackupPassword(fs_, bert, kFolder).Read(), std::nullopt) << "another user";

  std::string flipped = good;
  flipped[7] = static_cast<char>(flipped[7] ^ 1);
  const std::string cases[] = {flipped, good.substr(0, good.size() - 1), good.substr(0, 5),
                               "",      "XXBP\x01" + good.substr(5),     std::string(good.size(), '\0')};
  for (const std::string& bytes : cases) {
    ASSERT_TRUE(fs_.PutFile(kFile, bytes));
    EXPECT_EQ(kept_.Read(), std::nullopt) << testing::PrintToString(bytes);
  }
  // A sealed empty password is no password either.
  std::string sealedEmpty;
  ASSERT_EQ(anna_.Protect("", "QTR XVQ backup password 1", &sealedEmpty), 0u);
  ASSERT_TRUE(fs_.PutFile(kFile, std::string("QTBP\x01", 5) + sealedEmpty));
  EXPECT_EQ(kept_.Read(), std::nullopt);
}

TEST_F(BackupPasswordTest, AFailedSealOrWriteKeepsTheOldPassword) {
  ASSERT_EQ(kept_.Keep("old"), 0u);
  anna_.failing = true;
  EXPECT_EQ(kept_.Keep("new"), kErrorAccessDenied);
  anna_.failing = false;
  EXPECT_EQ(kept_.Read(), "old");
  fs_.FailWritesAt(u"C:\\Program\\", 0, kErrorDiskFull);
  EXPECT_EQ(kept_.Keep("new"), kErrorDiskFull);
  fs_.ClearFaults();
  EXPECT_EQ(kept_.Read(), "old");
}

TEST(SystemUserDataProtection, SealsForThisUserOnly) {
  UserDataProtection& system = SystemUserDataProtection();
  std::string sealed, plain;
#ifdef _WIN32
  // The logon-bound seal really round-trips (also under Wine) and is tied to its purpose.
  ASSERT_EQ(system.Protect("marker-pw-1234", "purpose", &sealed), 0u);
  EXPECT_EQ(sealed.find("marker-pw-1234"), std::string::npos);
  ASSERT_EQ(system.Unprotect(sealed, "purpose", &plain), 0u);
  EXPECT_EQ(plain, "marker-pw-1234");
  EXPECT_NE(system.Unprotect(sealed, "another", &plain), 0u);
  sealed[sealed.size() / 2] = static_cast<char>(sealed[sealed.size() / 2] ^ 0x10);
  EXPECT_NE(system.Unprotect(sealed, "purpose", &plain), 0u);

  // Through the real file system beside a program.
  test::TempFolder folder;
  BackupPassword kept(SystemFileSystem(), system, folder.Path() + u"\\");
  ASSERT_EQ(kept.Keep("marker-pw-1234"), 0u);
  EXPECT_EQ(test::ReadBytes(kept.Path()).find("marker-pw-1234"), std::string::npos);
  EXPECT_EQ(kept.Read(), "marker-pw-1234");
#else
  // No logon secret here: nothing is kept rather than kept readable.
  EXPECT_EQ(system.Protect("pw", "purpose", &sealed), kErrorNotSupported);
  EXPECT_EQ(system.Unprotect("x", "purpose", &plain), kErrorNotSupported);
#endif
}

}  // namespace
}  // namespace qtr
