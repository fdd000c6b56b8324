// Encrypted jobs through the Win32 backend on folders mapped as drives: no
// plaintext anywhere on the target, every file back identical, nothing
// restored under a wrong password, unchanged files skipped.
#include <gtest/gtest.h>
#include <windows.h>

#include <optional>

#include "JobFixture.h"
#include "SystemFiles.h"
#include "crypto/Sha256.h"
#include "engine/StoreKey.h"
#include "engine/StoreLayout.h"
#include "engine/StoredRename.h"
#include "support/MappedDrive.h"
#include "support/TempFolder.h"

namespace qtr {
namespace {

using test::FileBytes;
using test::Narrow;
using test::PutFile;
using test::W;

const std::string kMarker = "QTR-MARKER-plain-4c1d";

class Win32EncryptedStoreTest : public ::testing::Test {
 protected:
  Win32EncryptedStoreTest() : source_(L'k', W(sourceFolder_.Path())), target_(L'l', W(targetFolder_.Path())) {
    program_ = programFolder_.Path() + u"\\";
  }
  void SetUp() override {
    ASSERT_TRUE(source_.Ok());
    ASSERT_TRUE(target_.Ok());
  }
  void Settings(bool changedOnly, bool compress) {
    test::WriteBytes(program_ + u"init.xml",
                     std::string("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<Setting>") +
                         "<BackupStatus>" + (changedOnly ? "1" : "0") + "</BackupStatus><CompressFile>" +
                         (compress ? "1" : "0") + "</CompressFile><SetPassword>1</SetPassword></Setting>");
  }
  std::unique_ptr<BackupJob> Run(bool restore, const std::string& path, const StoreKey& key) {
    test::WriteBytes(
        program_ + (restore ? u"restoreTempPath.xml" : u"backupfullpath.xml"),
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<Path><path path=\"" + path + "\"/></Path>");
    auto job = std::make_unique<BackupJob>(SystemFileSystem(), lines_, program_);
    job->LoadIncludeFlags();
    job->settings.systemDrive = u"C:";
    job->settings.targetRoot = u"L:";
    job->settings.kind = restore ? JobKind::kRestore : JobKind::kBackup;
    job->settings.storeKey = key.Duplicate();
    RunJob(*job);
    return job;
  }
  // Every file below folder, with its bytes.
  static void ReadAll(const std::wstring& folder, std::vector<std::pair<std::wstring, std::string>>* files) {
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return;
    do {
      const std::wstring name = data.cFileName;
      if (name == L"." || name == L"..") continue;
      const std::wstring path = folder + L"\\" + name;
      if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        ReadAll(path, files);
      } else {
        files->emplace_back(path, FileBytes(std::u16string(path.begin(), path.end())));
      }
    } while (FindNextFileW(find, &data));
    FindClose(find);
  }
  std::string Big() const {
    std::string text;
    for (int i = 0; text.size() < (1 << 20) + 5; ++i) text += kMarker + " " + std::to_string(i) + "\n";
    return text;
  }
  void PutSources() {
    PutFile(u"K:\\Data\\big.txt", Big());
    PutFile(u"K:\\Data\\small.txt", kMarker);
    PutFile(u"K:\\Data\\empty.txt", "");
    PutFile(u"K:\\Data\\Sub\\b.zip", std::string("\xFF\xFF\xFF\xFF", 4) + kMarker);
  }
  void RemoveSources() {
    for (const wchar_t* path :
         {L"K:\\Data\\big.txt", L"K:\\Data\\small.txt", L"K:\\Data\\empty.txt", L"K:\\Data\\Sub\\b.zip"})
      DeleteFileW(path);
  }

  test::TempFolder sourceFolder_, targetFolder_, programFolder_;
  test::MappedDrive source_, target_;
  std::u16string program_;
  test::LineCollector lines_;
};

TEST_F(Win32EncryptedStoreTest, NoPlaintextOnTheTargetEveryFileBackAndAWrongPasswordRestoresNothing) {
  StoreKey key;
  ASSERT_EQ(OpenStoreKey(SystemFileSystem(), u"L:\\QTRPMB", "correct horse", true, &key),
            StoreKeyResult::kOk);
  StoreKey wrong;
  EXPECT_EQ(OpenStoreKey(SystemFileSystem(), u"L:\\QTRPMB", "wrong horse", true, &wrong),
            StoreKeyResult::kWrongPassword);
  for (const bool compress : {false, true}) {
    SCOPED_TRACE(compress ? "compressed" : "plain inside");
    PutSources();
    Settings(false, compress);
    auto job = Run(false, "K:\\Data", key);
    EXPECT_EQ(job->counters.finishedCount, 4u);
    EXPECT_TRUE(lines_.lines.empty()) << (lines_.lines.empty() ? "" : Narrow(lines_.lines[0]));

    std::vector<std::pair<std::wstring, std::string>> files;
    ReadAll(L"L:", &files);
    EXPECT_GE(files.size(), 5u);  // four stored files, the key check file, the index
    for (const auto& [path, bytes] : files) {
      EXPECT_EQ(bytes.find("QTR-MARKER"), std::string::npos)
          << Narrow(std::u16string(path.begin(), path.end()));
      EXPECT_EQ(path.find(L".~qtrpart"), std::wstring::npos);
    }
    const std::u16string suffix = compress ? u".zip.qtrx" : u".qtrx";
    EXPECT_GT(FileBytes(u"L:\\QTRPMB\\K\\Data\\big.txt" + suffix).size(), compress ? 64u : Big().size());

    // Changed-only: the headers say nothing changed.
    Settings(true, compress);
    job = Run(false, "K:\\Data", key);
    EXPECT_EQ(job->counters.upToDateCount, 4u);
    EXPECT_EQ(job->counters.finishedCount, 0u);

    // A key that is not the store's restores nothing; the store's restores everything.
    RemoveSources();
    Settings(false, compress);
    StoreKey other = key.Duplicate();
    other.bytes[0] ^= 1;
    lines_.lines.clear();
    job = Run(true, "L:\\QTRPMB\\K\\Data", other);
    EXPECT_EQ(job->counters.finishedCount, 0u);
    EXPECT_EQ(lines_.lines.size(), 4u);
    std::vector<std::pair<std::wstring, std::string>> restored;
    ReadAll(L"K:\\Data", &restored);
    EXPECT_TRUE(restored.empty()) << Narrow(
        std::u16string(restored[0].first.begin(), restored[0].first.end()));
    lines_.lines.clear();

    job = Run(true, "L:\\QTRPMB\\K\\Data", key);
    EXPECT_TRUE(lines_.lines.empty()) << (lines_.lines.empty() ? "" : Narrow(lines_.lines[0]));
    EXPECT_EQ(FileBytes(u"K:\\Data\\big.txt"), Big());
    EXPECT_EQ(FileBytes(u"K:\\Data\\small.txt"), kMarker);
    EXPECT_EQ(FileBytes(u"K:\\Data\\empty.txt"), "");
    EXPECT_EQ(FileBytes(u"K:\\Data\\Sub\\b.zip"), std::string("\xFF\xFF\xFF\xFF", 4) + kMarker);
    lines_.lines.clear();
  }
}

TEST_F(Win32EncryptedStoreTest, SwapsRollbacksAndPlantedFilesAreRefusedAndARenameThroughTheProgramRestores) {
  StoreKey key;
  ASSERT_EQ(OpenStoreKey(SystemFileSystem(), u"L:\\QTRPMB", "correct horse", true, &key),
            StoreKeyResult::kOk);
  PutFile(u"K:\\Data\\a.txt", "alpha " + kMarker);
  PutFile(u"K:\\Data\\b.txt", "bravo " + kMarker);
  Settings(false, false);
  Run(false, "K:\\Data", key);
  const std::string olderA = FileBytes(u"L:\\QTRPMB\\K\\Data\\a.txt.qtrx");
  PutFile(u"K:\\Data\\a.txt", "alpha two " + kMarker);
  Run(false, "K:\\Data", key);
  ASSERT_TRUE(lines_.lines.empty()) << Narrow(lines_.lines[0]);
  // No plain hash in the index.
  std::vector<std::pair<std::wstring, std::string>> files;
  ReadAll(L"L:\\QTRPMB\\~index", &files);
  const std::string alpha = "alpha two " + kMarker;
  const Sha256Digest digest = Sha256Of(alpha.data(), alpha.size());
  for (const auto& [path, bytes] : files)
    EXPECT_EQ(bytes.find(std::string(digest.begin(), digest.end())), std::string::npos);

  const auto restoreRefused = [&](const std::string& stored, const std::u16string& reason) {
    PutFile(u"K:\\Data\\a.txt", "mine");
    PutFile(u"K:\\Data\\b.txt", "mine");
    lines_.lines.clear();
    Run(true, stored, key);
    ASSERT_EQ(lines_.lines.size(), 1u) << stored;
    EXPECT_NE(lines_.lines[0].find(reason), std::u16string::npos) << Narrow(lines_.lines[0]);
    EXPECT_EQ(FileBytes(u"K:\\Data\\a.txt"), "mine");
    EXPECT_EQ(FileBytes(u"K:\\Data\\b.txt"), "mine");
    EXPECT_EQ(GetFileAttributesW(L"K:\\Data\\planted.txt"), INVALID_FILE_ATTRIBUTES);
  };
  // b's copy in a's place.
  const std::string newerA = FileBytes(u"L:\\QTRPMB\\K\\Data\\a.txt.qtrx");
  PutFile(u"L:\\QTRPMB\\K\\Data\\a.txt.qtrx", FileBytes(u"L:\\QTRPMB\\K\\Data\\b.txt.qtrx"));
  restoreRefused("L:\\QTRPMB\\K\\Data\\a.txt.qtrx", JobNotes{}.movedRefused);
  // a's older copy back.
  PutFile(u"L:\\QTRPMB\\K\\Data\\a.txt.qtrx", olderA);
  restoreRefused("L:\\QTRPMB\\K\\Data\\a.txt.qtrx", JobNotes{}.olderRefused);
  PutFile(u"L:\\QTRPMB\\K\\Data\\a.txt.qtrx", newerA);
  // A readable file planted.
  PutFile(u"L:\\QTRPMB\\K\\Data\\planted.txt", "planted");
  restoreRefused("L:\\QTRPMB\\K\\Data\\planted.txt", JobNotes{}.readableRefused);

  ASSERT_EQ(RenameStoredFile(SystemFileSystem(), u"L:\\QTRPMB", &key, u"L:\\QTRPMB\\K\\Data\\b.txt.qtrx",
                             u"L:\\QTRPMB\\K\\Data\\c.txt.qtrx"),
            0u);
  lines_.lines.clear();
  Run(true, "L:\\QTRPMB\\K\\Data\\c.txt.qtrx", key);
  ASSERT_EQ(lines_.lines.size(), 1u);
  EXPECT_EQ(Narrow(lines_.lines[0]),
            Narrow(u"L:\\QTRPMB\\K\\Data\\c.txt.qtrx;" + JobNotes{}.renamedRestored));
  EXPECT_EQ(FileBytes(u"K:\\Data\\c.txt"), "bravo " + kMarker);
}

}  // namespace
}  // namespace qtr
