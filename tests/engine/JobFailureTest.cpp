// Stops and failures in the middle of a job: the store keeps whole files only, and each failure is reported.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "JobFixture.h"
#include "Lz77Samples.h"
#include "config/LanguageText.h"
#include "engine/JobText.h"
#include "platform/SystemError.h"
#include "platform/Utf8.h"

namespace qtr {
namespace {

using test::Narrow;

// Incompressible, so that the stored form is as large as the source.
std::string Noise(uint32_t seed) {
  const auto bytes = test::RandomBytes(300000, seed);
  return {bytes.begin(), bytes.end()};
}
const std::string kOld = Noise(1);
const std::string kNew = Noise(2);

class JobFailureTest : public test::JobFixture {
 protected:
  // A good stored copy from an earlier backup, and a changed source.
  void StoredThenChanged(const char* compress) {
    Settings("0", compress);
    fs.PutFile(u"C:\\D\\big.bin", kOld);
    fs.PutFile(u"C:\\D\\small.txt", "small");
    Backup({"C:\\D"});
    fs.PutFile(u"C:\\D\\big.bin", kNew);
    lines.lines.clear();
  }
  std::u16string Stored(const char* compress) {
    return std::string(compress) == "1" ? u"F:\\QTRPMB\\C\\D\\big.bin.zip" : u"F:\\QTRPMB\\C\\D\\big.bin";
  }
  // No partial copy anywhere in the store.
  void ExpectNoPartials() {
    for (const auto& path : StoreFiles()) EXPECT_EQ(path.find(".~qtrpart"), std::string::npos) << path;
  }
  std::string Line(uint32_t error, std::u16string_view path) { return Narrow(std::u16string(path) + u";" + ErrorText(error)); }
};

TEST_F(JobFailureTest, AStopInMidFileKeepsTheOldStoredCopy) {
  for (const char* compress : {"0", "1"}) {
    StoredThenChanged(compress);
    const std::string before = Content(Stored(compress));
    auto job = NewJob(false);
    fs.SetWriteHook([&](const std::u16string& path, uint64_t size) {
      // Only big.bin grows that large in the store's partial folder.
      if (path.starts_with(u"F:\\QTRPMB\\~PARTIAL\\") && size > 100000) job->control.stop = 1;
    });
    Selection(u"backupfullpath.xml", {"C:\\D"});
    RunJob(*job);
    fs.SetWriteHook(nullptr);
    EXPECT_EQ(Content(Stored(compress)), before) << "compress " << compress;
    ExpectNoPartials();
    EXPECT_TRUE(lines.lines.empty());
  }
}

TEST_F(JobFailureTest, AStopDuringTheWalkWritesNothing) {
  fs.PutFile(u"C:\\D\\a.txt", "a");
  Selection(u"backupfullpath.xml", {"C:\\D"});
  auto job = NewJob(false);
  job->control.stop = 1;
  RunJob(*job);
  EXPECT_TRUE(StoreFiles().empty());
  EXPECT_FALSE(fs.Exists(u"F:\\QTRPMB"));
}

TEST_F(JobFailureTest, ReadWriteAndSpaceFailuresAreReportedAndLeaveTheStoreWhole) {
  struct Fault {
    const char* what;
    std::function<void()> make;
    uint32_t error;
    bool onSource;
  };
  const Fault faults[] = {
      {"read", [&] { fs.FailReadAt(u"C:\\D\\big.bin", 150000, kErrorReadFault); }, kErrorReadFault, true},
      {"write", [&] { fs.FailWritesAt(u"F:\\QTRPMB\\~partial", 1000, kErrorWriteFault); }, kErrorWriteFault, false},
      {"full", [&] { fs.SetCapacity(u'F', 400000); }, kErrorDiskFull, false},
  };
  for (const char* compress : {"0", "1"}) {
    for (const Fault& fault : faults) {
      fs.SetCapacity(u'F', uint64_t{1} << 40);
      StoredThenChanged(compress);
      const std::string before = Content(Stored(compress));
      fault.make();
      auto job = Backup({"C:\\D"});
      fs.ClearFaults();
      SCOPED_TRACE(std::string(fault.what) + " compress " + compress);
      EXPECT_EQ(Content(Stored(compress)), before);
      ExpectNoPartials();
      ASSERT_EQ(lines.lines.size(), 1u);
      const std::u16string path = fault.onSource ? u"C:\\D\\big.bin" : Stored(compress);
      EXPECT_EQ(Narrow(lines.lines[0]), Line(fault.error, path));
    }
  }
}

TEST_F(JobFailureTest, AFileThatCannotBeOpenedIsAFailureLineAndTheJobGoesOn) {
  fs.PutFile(u"C:\\D\\a.txt", "a");
  fs.PutFile(u"C:\\D\\b.txt", "b");
  fs.FailOpen(u"C:\\D\\a.txt", 32);
  auto job = Backup({"C:\\D"});
  EXPECT_EQ(Content(u"F:\\QTRPMB\\C\\D\\b.txt"), "b");
  ASSERT_EQ(lines.lines.size(), 1u);
  EXPECT_EQ(Narrow(lines.lines[0]), Line(32, u"C:\\D\\a.txt"));
  EXPECT_EQ(job->counters.finishedCount, 1u);
}

TEST_F(JobFailureTest, AFileTooLargeForTheTargetVolumeSaysSo) {
  fs.PutFile(u"C:\\D\\huge.bin", std::string(5000, 'h'));
  fs.PutFile(u"C:\\D\\fits.bin", "f");
  fs.SetMaxFileSize(u'F', 4096);
  Backup({"C:\\D"});
  ASSERT_EQ(lines.lines.size(), 1u);
  EXPECT_EQ(Narrow(lines.lines[0]), Line(kErrorFileTooLarge, u"F:\\QTRPMB\\C\\D\\huge.bin"));
  EXPECT_TRUE(fs.Exists(u"F:\\QTRPMB\\C\\D\\fits.bin"));
}

TEST_F(JobFailureTest, ADamagedContainerFailsItsRestoreWithALine) {
  WriteContainerFile(u"F:\\QTRPMB\\C\\R\\t.txt.zip", std::string(5000, 't'));
  std::string bytes = Content(u"F:\\QTRPMB\\C\\R\\t.txt.zip");
  bytes.pop_back();
  fs.PutFile(u"F:\\QTRPMB\\C\\R\\t.txt.zip", bytes);
  fs.SetCompression(u"F:\\QTRPMB\\C\\R\\t.txt.zip", true);
  fs.PutFile(u"C:\\R\\t.txt", "user's own");
  Restore({"F:\\QTRPMB\\C\\R"});
  EXPECT_EQ(Content(u"C:\\R\\t.txt"), "user's own");
  EXPECT_FALSE(fs.Exists(u"C:\\R\\t.txt.~qtrrestore"));
  ASSERT_EQ(lines.lines.size(), 1u);
  EXPECT_EQ(Narrow(lines.lines[0]), Line(13, u"F:\\QTRPMB\\C\\R\\t.txt.zip"));
}

// Pulled, the target gave one "path not found" line per remaining file; a
// store that refuses every write, one "access denied" line per file.
TEST_F(JobFailureTest, AStoreThatIsGoneOrRefusesEveryWriteStopsTheJobWithOneLine) {
  for (int folder = 0; folder < 20; ++folder)
    for (const char* name : {"\\a.txt", "\\b.txt"})
      fs.PutFile(u"C:\\D\\" + std::u16string(1, static_cast<char16_t>(u'a' + folder)) + Utf8ToUtf16(name), "x");
  fs.CreateFolder(u"F:\\QTRPMB");
  fs.CreateFolder(u"F:\\QTRPMB\\~partial");
  fs.FailCreates(u"F:\\QTRPMB\\~partial\\", kErrorAccessDenied);
  auto job = Backup({"C:\\D"});
  EXPECT_EQ(job->counters.finishedCount, 0u);
  EXPECT_EQ(lines.lines, std::vector<std::u16string>{u"F:\\QTRPMB\\~partial;" + ErrorText(kErrorAccessDenied)});

  fs.ClearFaults();
  lines.lines.clear();
  int writes = 0;
  fs.SetWriteHook([&](const std::u16string& path, uint64_t) {
    if (path.starts_with(u"F:") && ++writes == 10) fs.RemoveVolume(u'F');
  });
  job = Backup({"C:\\D"});
  fs.SetWriteHook(nullptr);
  EXPECT_EQ(job->control.stop, 1);
  std::string said;
  for (const std::u16string& line : lines.lines) said += Narrow(line) + "\n";
  // The copies of the batch being committed, of the one being announced
  // and of the one held behind them (a folder of two files each; the copy
  // cut short is one of them), then the one line: never one per remaining
  // file, and no file said twice.
  EXPECT_LE(lines.lines.size(), 7u) << said;
  std::set<std::u16string> named;
  for (const std::u16string& line : lines.lines) EXPECT_TRUE(named.insert(line.substr(0, line.find(u';'))).second) << said;
  // The committing batch may say its lines after the stop's.
  EXPECT_EQ(std::count(lines.lines.begin(), lines.lines.end(), u"F:;" + DisplayText(TextId::RemoveDisk)), 1) << said;
}

TEST_F(JobFailureTest, LeftoversOfAKilledJobGoButAPersonsFilesOfAPartialNameAreKept) {
  // A killed job left two partial copies in the store's partial folder.
  fs.PutFile(u"F:\\QTRPMB\\~partial\\7.~qtrpart", "half");
  fs.PutFile(u"F:\\QTRPMB\\~partial\\8.~qtrpart", "half");
  // The person's own files that carry the partial suffix, and a stored copy of one.
  fs.PutFile(u"C:\\D\\notes.~qtrpart", "mine");
  fs.PutFile(u"C:\\D\\a.txt", "a");
  fs.PutFile(u"C:\\D\\a.txt.~qtrpart", "mine too");
  fs.PutFile(u"F:\\QTRPMB\\C\\Old\\kept.~qtrpart", "stored earlier");
  auto job = Backup({"C:\\D"});
  EXPECT_EQ(job->counters.finishedCount, 3u);
  EXPECT_EQ(Content(u"F:\\QTRPMB\\C\\D\\notes.~qtrpart"), "mine");
  EXPECT_EQ(Content(u"F:\\QTRPMB\\C\\D\\a.txt.~qtrpart"), "mine too");
  EXPECT_EQ(Content(u"F:\\QTRPMB\\C\\Old\\kept.~qtrpart"), "stored earlier");
  for (const auto& path : StoreFiles()) EXPECT_EQ(path.find("~partial"), std::string::npos) << path;

  // Restored beside the person's files, whose own partial-named file is not taken for a leftover.
  fs.RemoveFile(u"C:\\D\\notes.~qtrpart");
  fs.PutFile(u"C:\\D\\a.txt", "changed on the PC");
  fs.PutFile(u"C:\\D\\a.txt.~qtrpart", "the person's, not in the restore");
  fs.PutFile(u"F:\\QTRPMB\\~partial\\9.~qtrpart", "half");
  // Two restores of a.txt were cut short before; their copies go once a.txt is whole again.
  fs.PutFile(u"C:\\D\\a.txt.~qtrrestore", "cut");
  fs.PutFile(u"C:\\D\\a.txt.1.~qtrrestore", "cut too");
  job = Restore({"F:\\QTRPMB\\C\\D\\a.txt", "F:\\QTRPMB\\C\\D\\notes.~qtrpart", "F:\\QTRPMB"});
  EXPECT_EQ(Content(u"C:\\D\\a.txt"), "a");
  EXPECT_EQ(Content(u"C:\\D\\notes.~qtrpart"), "mine");
  EXPECT_FALSE(fs.Exists(u"C:\\D\\a.txt.~qtrrestore"));
  EXPECT_FALSE(fs.Exists(u"C:\\D\\a.txt.1.~qtrrestore"));
  EXPECT_EQ(Content(u"C:\\Old\\kept.~qtrpart"), "stored earlier");
  // The whole store restores everything but the partial folder.
  EXPECT_FALSE(fs.Exists(u"~:\\partial\\9.~qtrpart"));
  EXPECT_EQ(job->results.restoreRoots,
            (std::vector<std::u16string>{u"C:\\D\\a.txt", u"C:\\D\\notes.~qtrpart", u"C:\\"}));
  EXPECT_TRUE(lines.lines.empty()) << Narrow(lines.lines[0]);
}

}  // namespace
}  // namespace qtr
