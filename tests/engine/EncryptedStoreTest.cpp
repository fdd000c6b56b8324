// Jobs over a store whose files are encrypted: round trips in every form,
// switching forms, changed-only, and damaged or foreign files refused
// without a byte of them reaching the person's files.
#include <gtest/gtest.h>

#include <optional>

#include "EncryptedJobFixture.h"
#include "engine/JobText.h"
#include "engine/StoreIndex.h"
#include "engine/StoreVersions.h"
#include "engine/StoredForms.h"
#include "engine/VerifyStore.h"
#include "platform/SystemError.h"

namespace qtr {
namespace {

using test::Narrow;

const std::string kMarker = "MARKER-7f3a-PLAINTEXT";

class EncryptedStoreTest : public test::EncryptedJobFixture {
 protected:
  std::string Big() const {
    std::string text;
    for (int i = 0; text.size() < 300000; ++i) text += kMarker + " line " + std::to_string(i % 113) + "\n";
    return text;
  }
  // The person's files: a text with the marker, an empty file, one byte, and
  // a "b.zip" of their own that starts like a container.
  void PutSources() {
    fs.PutFile(u"C:\\D\\notes.txt", Big());
    fs.PutFile(u"C:\\D\\empty.txt", "");
    fs.PutFile(u"C:\\D\\one.bin", "x");
    fs.PutFile(u"C:\\D\\b.zip", std::string("\xFF\xFF\xFF\xFF", 4) + kMarker);
  }
  void ExpectSourcesBack() {
    EXPECT_EQ(Content(u"C:\\D\\notes.txt"), Big());
    EXPECT_EQ(Content(u"C:\\D\\empty.txt"), "");
    EXPECT_EQ(Content(u"C:\\D\\one.bin"), "x");
    EXPECT_EQ(Content(u"C:\\D\\b.zip"), std::string("\xFF\xFF\xFF\xFF", 4) + kMarker);
  }
  void RemoveSources() {
    for (const char16_t* name :
         {u"C:\\D\\notes.txt", u"C:\\D\\empty.txt", u"C:\\D\\one.bin", u"C:\\D\\b.zip"})
      fs.RemoveFile(name);
  }
  // No partial copies anywhere, and nothing of the marker in any file of the store.
  void ExpectStoreHoldsNoPlaintext() {
    for (const auto& path : fs.AllPaths()) {
      EXPECT_EQ(path.find(u".~qtrpart"), std::u16string::npos) << Narrow(path);
      std::string bytes;
      if (path.starts_with(u"F:\\") && fs.GetFile(path, &bytes)) {
        EXPECT_EQ(bytes.find("MARKER"), std::string::npos) << Narrow(path);
      }
    }
  }
};

TEST_F(EncryptedStoreTest, EveryFileIsStoredEncryptedAndRestoredByteForByteInBothForms) {
  for (const bool compress : {false, true}) {
    SCOPED_TRACE(compress ? "compressed" : "plain inside");
    PutSources();
    Encryption(compress);
    auto job = BackupWith(key, {"C:\\D"});
    EXPECT_TRUE(lines.lines.empty()) << Narrow(lines.lines.empty() ? u"" : lines.lines[0]);
    EXPECT_EQ(job->counters.finishedCount, 4u);
    const std::string suffix = compress ? ".zip.qtrx" : ".qtrx";
    EXPECT_EQ(StoreFiles(),
              (std::vector<std::string>{
                  "F:\\QTRPMB\\C\\D\\b.zip" + suffix, "F:\\QTRPMB\\C\\D\\empty.txt" + suffix,
                  "F:\\QTRPMB\\C\\D\\notes.txt" + suffix, "F:\\QTRPMB\\C\\D\\one.bin" + suffix}));
    ExpectStoreHoldsNoPlaintext();
    const StoreIndex index = StoreIndex::Load(fs, u"F:\\QTRPMB");
    const StoreIndexEntry* entry =
        index.Find(u"C\\D\\notes.txt" + std::u16string(suffix.begin(), suffix.end()));
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(entry->form, compress ? StoredForm::kCompressedEncrypted : StoredForm::kEncrypted);
    EXPECT_EQ(entry->sourceSize, Big().size());

    RemoveSources();
    RestoreWith(key, {"F:\\QTRPMB\\C\\D"});
    EXPECT_TRUE(lines.lines.empty());
    ExpectSourcesBack();

    // Without the index the authenticated header says whether a container is
    // inside: "b.zip.qtrx" (plain) stays "b.zip", "b.zip.zip.qtrx" expands to it.
    RemoveIndex();
    RemoveSources();
    RestoreWith(key, {"F:\\QTRPMB\\C\\D"});
    EXPECT_TRUE(lines.lines.empty());
    ExpectSourcesBack();
    EXPECT_FALSE(fs.Exists(u"C:\\D\\b"));

    for (const auto& path : StoreFiles()) fs.RemoveFile(std::u16string(path.begin(), path.end()));
  }
}

// Turning encryption on keeps no readable copy as a version; an encrypted
// copy replaced later is kept, verifies, and restores from its version folder.
TEST_F(EncryptedStoreTest, VersionsOfAnEncryptedStoreAreOnlyEncryptedOnesAndRestore) {
  fs.PutFile(u"C:\\D\\a.txt", "alpha " + kMarker);
  Settings("0", "0", "<SetPassword>0</SetPassword><VersionDays>30</VersionDays>");
  BackupWith(std::nullopt, {"C:\\D"});
  Settings("0", "0", "<SetPassword>1</SetPassword><VersionDays>30</VersionDays>");
  BackupWith(key, {"C:\\D"});
  ExpectStoreHoldsNoPlaintext();
  EXPECT_TRUE(ListVersionStamps(fs, u"F:\\QTRPMB").empty());

  fs.PutFile(u"C:\\D\\a.txt", "beta, the second text");
  BackupWith(key, {"C:\\D"});
  const std::vector<std::u16string> stamps = ListVersionStamps(fs, u"F:\\QTRPMB");
  ASSERT_EQ(stamps.size(), 1u);
  const std::u16string folder = u"F:\\QTRPMB\\~versions\\" + stamps[0];
  EXPECT_TRUE(fs.Exists(folder + u"\\C\\D\\a.txt.qtrx"));
  ExpectStoreHoldsNoPlaintext();
  const VerifyReport report = VerifyStore(fs, u"F:\\QTRPMB", nullptr, &key);
  EXPECT_TRUE(!report.Damaged() && report.unknown.empty() && report.skipped.empty())
      << report.damaged.size() << " damaged, " << report.missing.size() << " missing, " << report.unknown.size()
      << " unknown, " << report.skipped.size() << " skipped";
  EXPECT_EQ(report.filesChecked, 2u);
  RestoreWith(key, {test::Narrow(folder)});
  EXPECT_TRUE(lines.lines.empty()) << Narrow(lines.lines.front());
  EXPECT_EQ(Content(u"C:\\D\\a.txt"), "alpha " + kMarker);
}

TEST_F(EncryptedStoreTest, SwitchingFormsRemovesTheOtherOnlyOnceTheNewOneIsInPlace) {
  fs.PutFile(u"C:\\D\\a.txt", "alpha " + kMarker);
  const auto only = [&](const std::string& name) {
    EXPECT_EQ(StoreFiles(), (std::vector<std::string>{"F:\\QTRPMB\\C\\D\\" + name}));
  };
  for (const bool compress : {false, true}) {
    SCOPED_TRACE(compress ? "compressed" : "plain");
    const std::string plainName = compress ? "a.txt.zip" : "a.txt";
    Encryption(compress, false, false);
    BackupWith(std::nullopt, {"C:\\D"});
    only(plainName);

    // A write that fails keeps the old form: nothing else is there.
    fs.FailWritesAt(u"F:\\QTRPMB\\~partial", 70, kErrorDiskFull);
    Encryption(compress);
    BackupWith(key, {"C:\\D"});
    fs.ClearFaults();
    EXPECT_EQ(lines.lines.size(), 1u);
    lines.lines.clear();
    only(plainName);

    BackupWith(key, {"C:\\D"});
    only(plainName + ".qtrx");
    ExpectStoreHoldsNoPlaintext();

    fs.FailWritesAt(u"F:\\QTRPMB\\~partial", 3, kErrorDiskFull);
    Encryption(compress, false, false);
    BackupWith(std::nullopt, {"C:\\D"});
    fs.ClearFaults();
    EXPECT_EQ(lines.lines.size(), 1u);
    lines.lines.clear();
    only(plainName + ".qtrx");

    BackupWith(std::nullopt, {"C:\\D"});
    only(plainName);
    EXPECT_TRUE(lines.lines.empty());
    fs.RemoveFile(std::u16string(u"F:\\QTRPMB\\C\\D\\") + (compress ? u"a.txt.zip" : u"a.txt"));
  }
}

TEST_F(EncryptedStoreTest, AnEncryptedCopyOfAnotherSourceIsNotTakenForAnOtherForm) {
  // "a.zip" encrypted is "a.zip.qtrx", which is also "a" compressed and encrypted.
  fs.PutFile(u"C:\\D\\a", "the file a");
  fs.PutFile(u"C:\\D\\a.zip", "PK an archive");
  Encryption(false);
  BackupWith(key, {"C:\\D"});
  Encryption(true);
  BackupWith(key, {"C:\\D"});
  EXPECT_EQ(StoreFiles(),
            (std::vector<std::string>{"F:\\QTRPMB\\C\\D\\a.zip.qtrx", "F:\\QTRPMB\\C\\D\\a.zip.zip.qtrx"}));
  fs.RemoveFile(u"C:\\D\\a");
  fs.RemoveFile(u"C:\\D\\a.zip");
  RestoreWith(key, {"F:\\QTRPMB\\C\\D"});
  EXPECT_EQ(Content(u"C:\\D\\a"), "the file a");
  EXPECT_EQ(Content(u"C:\\D\\a.zip"), "PK an archive");
}

TEST_F(EncryptedStoreTest, ChangedOnlyReadsTheHeaderAndStoresAgainWhatChangedOrDoesNotAuthenticate) {
  PutSources();
  Encryption(true, true);
  BackupWith(key, {"C:\\D"});
  const std::string storedNotes = Content(u"F:\\QTRPMB\\C\\D\\notes.txt.zip.qtrx");

  auto job = BackupWith(key, {"C:\\D"});
  EXPECT_EQ(job->counters.upToDateCount, 4u);
  EXPECT_EQ(job->counters.finishedCount, 0u);
  EXPECT_EQ(Content(u"F:\\QTRPMB\\C\\D\\notes.txt.zip.qtrx"), storedNotes);

  // A changed source, and a stored header altered with its listing kept as it was.
  fs.PutFile(u"C:\\D\\one.bin", "y");
  std::string header = Content(u"F:\\QTRPMB\\C\\D\\empty.txt.zip.qtrx");
  const FileTimes times = Times(u"F:\\QTRPMB\\C\\D\\empty.txt.zip.qtrx");
  header[40] ^= 1;
  fs.PutFile(u"F:\\QTRPMB\\C\\D\\empty.txt.zip.qtrx", header);
  fs.SetTimes(u"F:\\QTRPMB\\C\\D\\empty.txt.zip.qtrx", times);
  job = BackupWith(key, {"C:\\D"});
  EXPECT_EQ(job->counters.upToDateCount, 2u);
  EXPECT_EQ(job->counters.finishedCount, 2u);

  // Under another key nothing counts as unchanged.
  job = BackupWith(otherKey, {"C:\\D"});
  EXPECT_EQ(job->counters.upToDateCount, 0u);

  // Restore changed-only: the person's files are those stored, nothing to do.
  job = RestoreWith(otherKey, {"F:\\QTRPMB\\C\\D"});
  EXPECT_EQ(job->counters.upToDateCount, 4u);
  EXPECT_TRUE(lines.lines.empty());
}

TEST_F(EncryptedStoreTest, RestoreChangedOnlyTakesTheFormFromTheIndexNotTheFirstBytes) {
  // Without per-file compression a plain "b.zip" starting FF FF FF FF looks like a container.
  MemoryFileSystem::Kind fat = MemoryFileSystem::Kind::kFat32;
  fs.AddVolume(u'G', fat);
  fs.PutFile(u"C:\\D\\b.zip", std::string("\xFF\xFF\xFF\xFF", 4) + "not a container");
  Settings("1", "0");
  Selection(u"backupfullpath.xml", {"C:\\D"});
  auto job = NewJob(false);
  job->settings.targetRoot = u"G:";
  RunJob(*job);
  ASSERT_TRUE(fs.Exists(u"G:\\QTRPMB\\C\\D\\b.zip"));
  Selection(u"restoreTempPath.xml", {"G:\\QTRPMB\\C\\D"});
  job = NewJob(true);
  job->settings.targetRoot = u"G:";
  RunJob(*job);
  EXPECT_EQ(job->counters.upToDateCount, 1u);
  EXPECT_TRUE(lines.lines.empty());
}

TEST_F(EncryptedStoreTest, DamagedCutOrSwappedFilesAreFailureLinesAndTheDestinationIsUntouched) {
  fs.PutFile(u"C:\\D\\a.txt", Big());
  fs.PutFile(u"C:\\D\\b.txt", Big() + "b");
  for (const bool withIndex : {true, false}) {
    SCOPED_TRACE(withIndex ? "with index" : "without index");
    for (int damage = 0; damage < 3; ++damage) {
      Encryption(false);
      BackupWith(key, {"C:\\D"});
      if (!withIndex) RemoveIndex();
      std::string a = Content(u"F:\\QTRPMB\\C\\D\\a.txt.qtrx"), b = Content(u"F:\\QTRPMB\\C\\D\\b.txt.qtrx");
      const FileTimes times = Times(u"F:\\QTRPMB\\C\\D\\a.txt.qtrx");
      if (damage == 0) a[a.size() / 2] ^= 0x20;
      if (damage == 1) a.resize(64 + 2 * (65536 + 16));  // cut at a chunk boundary
      if (damage == 2) a.replace(0, 64, b.substr(0, 64));
      fs.PutFile(u"F:\\QTRPMB\\C\\D\\a.txt.qtrx", a);
      fs.SetTimes(u"F:\\QTRPMB\\C\\D\\a.txt.qtrx", times);
      fs.PutFile(u"C:\\D\\a.txt", "the person's newer a");
      lines.lines.clear();
      RestoreWith(key, {"F:\\QTRPMB\\C\\D\\a.txt.qtrx"});
      ASSERT_EQ(lines.lines.size(), 1u) << damage;
      EXPECT_TRUE(lines.lines[0].starts_with(u"F:\\QTRPMB\\C\\D\\a.txt.qtrx;")) << Narrow(lines.lines[0]);
      EXPECT_EQ(Content(u"C:\\D\\a.txt"), "the person's newer a");
      EXPECT_FALSE(fs.Exists(u"C:\\D\\a.txt.~qtrpart"));
      fs.PutFile(u"C:\\D\\a.txt", Big());
      lines.lines.clear();
    }
  }
}

TEST_F(EncryptedStoreTest, WithoutTheKeyOrUnderAnotherOneNothingIsRestored) {
  PutSources();
  Encryption(true);
  BackupWith(key, {"C:\\D"});
  RemoveSources();
  for (const StoreKey* wrong : {static_cast<const StoreKey*>(&otherKey), static_cast<const StoreKey*>(nullptr)}) {
    lines.lines.clear();
    auto job = RestoreWith(wrong, {"F:\\QTRPMB\\C\\D"});
    EXPECT_EQ(lines.lines.size(), 4u);
    EXPECT_EQ(job->counters.finishedCount, 0u);
    for (const auto& path : fs.AllPaths()) EXPECT_FALSE(path.starts_with(u"C:\\D\\")) << Narrow(path);
  }
}

TEST_F(EncryptedStoreTest, EncryptionWithoutAKeyStoresNothing) {
  PutSources();
  Encryption(false);
  auto job = BackupWith(std::nullopt, {"C:\\D"});
  ASSERT_EQ(lines.lines.size(), 1u);
  EXPECT_EQ(Narrow(lines.lines[0]), Narrow(u"F:\\QTRPMB\\~key.bin;" + ErrorText(kErrorNoStoreKey)));
  EXPECT_EQ(job->counters.finishedCount, 0u);
  EXPECT_TRUE(StoreFiles().empty());
}

TEST_F(EncryptedStoreTest, VerifyDecryptsWithTheKeyAndSkipsWithoutIt) {
  PutSources();
  Encryption(true);
  BackupWith(key, {"C:\\D"});
  VerifyReport report = VerifyStore(fs, u"F:\\QTRPMB", nullptr);
  EXPECT_EQ(report.skipped.size(), 4u);
  // Nothing damaged found, but nothing checked either.
  EXPECT_FALSE(report.Sound());
  EXPECT_EQ(VerifyExitCode(report), 3);
  report = VerifyStore(fs, u"F:\\QTRPMB", nullptr, &key);
  EXPECT_EQ(report.filesChecked, 4u);
  EXPECT_TRUE(report.skipped.empty());
  // The key was handed over and the store has no key check file: nothing
  // found damaged, but no password can be checked against this store.
  EXPECT_TRUE(report.keyCheckMissing);
  EXPECT_EQ(VerifyExitCode(report), 3);

  std::string notes = Content(u"F:\\QTRPMB\\C\\D\\notes.txt.zip.qtrx");
  const FileTimes times = Times(u"F:\\QTRPMB\\C\\D\\notes.txt.zip.qtrx");
  notes[100] ^= 1;
  fs.PutFile(u"F:\\QTRPMB\\C\\D\\notes.txt.zip.qtrx", notes);
  fs.SetTimes(u"F:\\QTRPMB\\C\\D\\notes.txt.zip.qtrx", times);
  report = VerifyStore(fs, u"F:\\QTRPMB", nullptr, &key);
  ASSERT_EQ(report.damaged.size(), 1u);
  EXPECT_EQ(Narrow(report.damaged[0]),
            "F:\\QTRPMB\\C\\D\\notes.txt.zip.qtrx;does not authenticate under the store key");
  report = VerifyStore(fs, u"F:\\QTRPMB", nullptr, &otherKey);
  EXPECT_EQ(report.damaged.size(), 4u);
}

}  // namespace
}  // namespace qtr
