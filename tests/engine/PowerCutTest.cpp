// The power fails at every step of a backup: whatever the disk kept of the
// changes since the last flush, each stored file is afterwards the old good
// copy or the complete new one, never a damaged one under a stored name, and
// the next backup finds a whole store. On a FAT-family target, where a
// replacing rename can be torn in two, "afterwards" is once the next job
// has put the complete copies a torn rename left behind in place.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "JobFixture.h"
#include "Lz77Samples.h"
#include "engine/InterruptedCopies.h"
#include "engine/JobWorker.h"
#include "engine/StoreIndex.h"
#include "engine/StoreLayout.h"
#include "support/MemoryFileSystem.h"

namespace qtr {
namespace {

using test::Narrow;
using Files = std::map<std::u16string, std::string>;

std::string Noise(size_t size, uint32_t seed) {
  const auto bytes = test::RandomBytes(size, seed);
  return {bytes.begin(), bytes.end()};
}

// The combinations of pending changes tried after a cut: all of them while
// they are few, else every single one kept or lost on its own.
std::vector<uint64_t> Survivors(size_t pending) {
  std::vector<uint64_t> masks;
  if (pending <= 12) {
    for (uint64_t m = 0; m < (uint64_t{1} << pending); ++m) masks.push_back(m);
    return masks;
  }
  const uint64_t all = pending >= 64 ? ~uint64_t{0} : (uint64_t{1} << pending) - 1;
  masks = {0, all};
  for (size_t i = 0; i < pending && i < 64; ++i) {
    masks.push_back(uint64_t{1} << i);
    masks.push_back(all & ~(uint64_t{1} << i));
    masks.push_back((uint64_t{1} << i) - 1);
  }
  return masks;
}

// One machine: a source C: and a target F:, and backups run over them.
class Machine {
 public:
  explicit Machine(MemoryFileSystem::Kind target) : fat(target != MemoryFileSystem::Kind::kNtfs) {
    fs.AddVolume(u'C', MemoryFileSystem::Kind::kNtfs);
    fs.AddVolume(u'F', target);
  }
  void Settings(const char* compress) {
    fs.PutFile(u"C:\\Prog\\init.xml", std::string("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<Setting>"
                                                  "<BackupStatus>0</BackupStatus><CompressFile>") +
                                          compress + "</CompressFile><VersionDays>" +
                                          std::to_string(versionDays) + "</VersionDays></Setting>");
    fs.PutFile(u"C:\\Prog\\backupfullpath.xml",
               "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<Path><path path=\"C:\\D\"/></Path>");
  }
  void Backup() {
    BackupJob job(fs, lines, u"C:\\Prog\\");
    job.LoadIncludeFlags();
    job.settings.systemDrive = u"C:";
    job.settings.targetRoot = u"F:";
    job.settings.versionDays = versionDays;
    job.settings.versionStamp = u"2026-12-09 120000";
    RunJob(job);
  }
  // The stored files outside the partial folder.
  Files Stored(const Files& all) const {
    Files stored;
    for (const auto& [path, bytes] : all)
      if (path.starts_with(u"F:\\QTRPMB\\") && !Lowercase(path).starts_with(u"f:\\qtrpmb\\~partial"))
        stored[path] = bytes;
    return stored;
  }
  Files StoredNow() const { return Stored(FilesOf(fs)); }
  // The stored files after a restart with those survivors, as the next job
  // finds them (it first puts the complete copies a cut left announced in
  // ~partial in place: a torn FAT rename, or a copy whose old one had moved
  // to the versions).
  Files StoredAfterRestart(uint64_t survivors) const {
    if (!fat && versionDays == 0) return Stored(fs.FilesAfterRestart(survivors));
    MemoryFileSystem after;
    fs.CopyAfterRestart(survivors, &after);
    PutInterruptedCopiesInPlace(after, u"F:\\QTRPMB", StoreIndex::Load(after, u"F:\\QTRPMB"));
    return Stored(FilesOf(after));
  }
  static Files FilesOf(const MemoryFileSystem& volume) {
    Files all;
    for (const auto& path : volume.AllPaths()) {
      std::string bytes;
      if (volume.GetFile(path, &bytes)) all[path] = bytes;
    }
    return all;
  }

  const bool fat;
  int versionDays = 0;
  MemoryFileSystem fs;
  test::LineCollector lines;
};

// Runs the backup that setUp prepares, cut after 0, 1, 2 ... changes on F:
// until one run ends before the cut; check sees the stored files of every
// state the disk may be in after each cut. Returns the number of cuts made.
template <typename SetUp, typename Check>
int CutAtEveryStep(MemoryFileSystem::Kind target, SetUp setUp, Check check) {
  int cuts = 0;
  for (uint64_t steps = 0;; ++steps) {
    Machine machine(target);
    setUp(machine);
    machine.fs.CutPowerAfter(u'F', steps);
    machine.Backup();
    if (!machine.fs.PowerWasCut()) return cuts;
    ++cuts;
    for (uint64_t survivors : Survivors(machine.fs.PendingChanges())) {
      SCOPED_TRACE("cut after " + std::to_string(steps) + " changes, survivors " + std::to_string(survivors));
      check(machine.StoredAfterRestart(survivors));
      if (::testing::Test::HasFailure()) return cuts;
    }
    // After the restart the next backup leaves a whole store and no partial files.
    machine.fs.Restart(~uint64_t{0} >> 1);
    machine.Backup();
    check(machine.StoredNow());
    for (const auto& path : machine.fs.AllPaths())
      EXPECT_FALSE(path.starts_with(u"F:\\QTRPMB\\~partial\\")) << Narrow(path);
    if (::testing::Test::HasFailure()) return cuts;
  }
}

const std::string kOld = Noise(150000, 1);
const std::string kNew = Noise(170000, 2);
const std::string kOldSmall = Noise(3000, 5);
const std::string kNewSmall = Noise(3500, 6);

class PowerCutTest : public ::testing::TestWithParam<MemoryFileSystem::Kind> {};

TEST_P(PowerCutTest, AReplacingCopyLeavesTheOldCopyOrTheNewOneWhole) {
  const auto setUp = [](Machine& m) {
    m.Settings("0");
    m.fs.PutFile(u"C:\\D\\big.bin", kOld);
    m.fs.PutFile(u"C:\\D\\small.txt", "small");
    m.Backup();
    m.fs.PutFile(u"C:\\D\\big.bin", kNew);
  };
  const int cuts = CutAtEveryStep(GetParam(), setUp, [](const Files& stored) {
    ASSERT_EQ(stored.count(u"F:\\QTRPMB\\C\\D\\big.bin"), 1u);
    const std::string& big = stored.at(u"F:\\QTRPMB\\C\\D\\big.bin");
    EXPECT_TRUE(big == kOld || big == kNew) << "a damaged copy of " << big.size() << " bytes";
    ASSERT_EQ(stored.count(u"F:\\QTRPMB\\C\\D\\small.txt"), 1u);
    EXPECT_EQ(stored.at(u"F:\\QTRPMB\\C\\D\\small.txt"), "small");
  });
  EXPECT_GT(cuts, 5);
}

// With versions kept, the old copy is at its name, or the new one is and
// the old one is in a version folder: never neither.
TEST_P(PowerCutTest, AReplacedCopyIsAtItsNameOrKeptAsAVersion) {
  const auto setUp = [](Machine& m) {
    m.versionDays = 30;
    m.Settings("0");
    m.fs.PutFile(u"C:\\D\\a.bin", kOldSmall);
    m.Backup();
    m.fs.PutFile(u"C:\\D\\a.bin", kNewSmall);
  };
  const int cuts = CutAtEveryStep(GetParam(), setUp, [](const Files& stored) {
    const auto current = stored.find(u"F:\\QTRPMB\\C\\D\\a.bin");
    ASSERT_NE(current, stored.end()) << "lost";
    if (current->second == kOldSmall) return;
    EXPECT_EQ(current->second, kNewSmall) << "a damaged copy of " << current->second.size() << " bytes";
    // Kept by the cut job, or by the one after the restart (the same stamp's next folder).
    const std::u16string versions = u"F:\\QTRPMB\\~versions\\2026-12-09 120000";
    const auto kept = [&](const std::u16string& folder) {
      const auto found = stored.find(folder + u"\\C\\D\\a.bin");
      return found != stored.end() && found->second == kOldSmall;
    };
    EXPECT_TRUE(kept(versions) || kept(versions + u".2")) << "the new copy is there and the old one is not kept";
  });
  EXPECT_GT(cuts, 5);
}

TEST_P(PowerCutTest, SwitchingToCompressionNeverLosesBothForms) {
  Machine reference(GetParam());
  reference.Settings("1");
  reference.fs.PutFile(u"C:\\D\\big.bin", kNew);
  reference.Backup();
  const std::string container = reference.StoredNow().at(u"F:\\QTRPMB\\C\\D\\big.bin.zip");

  const auto setUp = [](Machine& m) {
    m.Settings("0");
    m.fs.PutFile(u"C:\\D\\big.bin", kOld);
    m.Backup();
    m.fs.PutFile(u"C:\\D\\big.bin", kNew);
    m.Settings("1");
  };
  CutAtEveryStep(GetParam(), setUp, [&](const Files& stored) {
    const auto plain = stored.find(u"F:\\QTRPMB\\C\\D\\big.bin");
    const auto packed = stored.find(u"F:\\QTRPMB\\C\\D\\big.bin.zip");
    EXPECT_TRUE(plain != stored.end() || packed != stored.end()) << "both forms lost";
    if (plain != stored.end()) {
      EXPECT_EQ(plain->second, kOld);
    }
    if (packed != stored.end()) {
      EXPECT_EQ(packed->second, container);
    }
  });
}

TEST_P(PowerCutTest, AFolderOfNewCopiesHoldsOnlyWholeFiles) {
  const std::vector<std::string> contents = {Noise(70000, 3), "two", Noise(1000, 4), ""};
  const auto setUp = [&](Machine& m) {
    m.Settings("0");
    for (size_t i = 0; i < contents.size(); ++i)
      m.fs.PutFile(u"C:\\D\\" + std::u16string(1, u'a' + i) + u".bin", contents[i]);
    m.fs.PutFile(u"C:\\D\\Sub\\s.txt", "sub");
  };
  const int cuts = CutAtEveryStep(GetParam(), setUp, [&](const Files& stored) {
    for (const auto& [path, bytes] : stored) {
      if (path == u"F:\\QTRPMB\\C\\D\\Sub\\s.txt") {
        EXPECT_EQ(bytes, "sub");
        continue;
      }
      // The index's pieces, however a restart left their names spelt.
      if (Lowercase(path).starts_with(u"f:\\qtrpmb\\~index\\")) continue;
      ASSERT_EQ(path.size(), 19u) << Narrow(path);  // F:\QTRPMB\C\D\x.bin
      EXPECT_EQ(bytes, contents.at(path[14] - u'a')) << Narrow(path);
    }
  });
  EXPECT_GT(cuts, 10);
}

INSTANTIATE_TEST_SUITE_P(Volumes, PowerCutTest,
                         ::testing::Values(MemoryFileSystem::Kind::kNtfs, MemoryFileSystem::Kind::kFat32),
                         [](const auto& param) {
                           return param.param == MemoryFileSystem::Kind::kNtfs ? "Ntfs" : "Fat32";
                         });

}  // namespace
}  // namespace qtr
