// The copy pass's own rules: what a stored copy takes from its source, which
// stored files it removes, how often it lists a folder, and what it keeps
// of folders.
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <mutex>

#include "JobFixture.h"
#include "engine/JobText.h"
#include "platform/SystemError.h"

namespace qtr {
namespace {

using test::Narrow;

constexpr uint32_t kAttributeSparse = 0x200;
constexpr uint32_t kAttributeRecallOnDataAccess = 0x400000;
const FileTimes kTimes{111'000'000, 222'000'000, 333'000'000};

class CopyPassTest : public test::JobFixture {};

TEST_F(CopyPassTest, OnlySettableAttributesAreCopiedAndARefusalIsALineOfItsOwn) {
  fs.PutFile(u"C:\\D\\s.bin", "sparse",
             kAttributeArchive | kAttributeHidden | kAttributeSparse | kAttributeRecallOnDataAccess);
  fs.SetTimes(u"C:\\D\\s.bin", kTimes);
  Backup({"C:\\D"});
  EXPECT_EQ(Attributes(u"F:\\QTRPMB\\C\\D\\s.bin"), kAttributeArchive | kAttributeHidden);
  EXPECT_EQ(Times(u"F:\\QTRPMB\\C\\D\\s.bin"), kTimes);
  EXPECT_TRUE(lines.lines.empty());

  // A volume that refuses them: the copy is stored, and the line says what it lacks.
  fs.PutFile(u"C:\\D\\s.bin", "changed");
  fs.FailSetInfo(u"F:\\QTRPMB", kErrorAccessDenied);
  Backup({"C:\\D"});
  EXPECT_EQ(Content(u"F:\\QTRPMB\\C\\D\\s.bin"), "changed");
  ASSERT_EQ(lines.lines.size(), 1u);
  EXPECT_EQ(Narrow(lines.lines[0]), Narrow(u"F:\\QTRPMB\\C\\D\\s.bin;copied, but its times or attributes were not set: " +
                                           ErrorText(kErrorAccessDenied)));
}

TEST_F(CopyPassTest, AFileBesideItsZipNamesakeKeepsBothStoredCopies) {
  fs.PutFile(u"C:\\D\\a", "the file a");
  fs.PutFile(u"C:\\D\\a.zip", "PK an archive");
  // Compressed: a is stored as a.zip, a.zip as a.zip.zip, in either order.
  Settings("0", "1");
  Backup({"C:\\D"});
  EXPECT_EQ(StoreFiles(),
            (std::vector<std::string>{"F:\\QTRPMB\\C\\D\\a.zip", "F:\\QTRPMB\\C\\D\\a.zip.zip"}));
  fs.RemoveFile(u"C:\\D\\a");
  fs.RemoveFile(u"C:\\D\\a.zip");
  Restore({"F:\\QTRPMB\\C\\D"});
  EXPECT_EQ(Content(u"C:\\D\\a"), "the file a");
  EXPECT_EQ(Content(u"C:\\D\\a.zip"), "PK an archive");

  // Plain and changed-only: storing a changed a leaves the plain copy of a.zip alone.
  Settings("1", "0");
  Backup({"C:\\D"});
  fs.PutFile(u"C:\\D\\a", "a changed");
  Backup({"C:\\D"});
  EXPECT_EQ(Content(u"F:\\QTRPMB\\C\\D\\a"), "a changed");
  EXPECT_EQ(Content(u"F:\\QTRPMB\\C\\D\\a.zip"), "PK an archive");
  EXPECT_TRUE(lines.lines.empty());
}

TEST_F(CopyPassTest, ADestinationFolderIsListedOncePerJob) {
  // The pass comes back to M after its subfolder: a.txt, m\x.txt, z.txt.
  fs.PutFile(u"C:\\M\\a.txt", "a");
  fs.PutFile(u"C:\\M\\m\\x.txt", "x");
  fs.PutFile(u"C:\\M\\z.txt", "z");
  for (int run = 0; run < 2; ++run) {
    const uint32_t before = fs.ListCount(u"F:\\QTRPMB\\C\\M");
    Backup({"C:\\M"});
    EXPECT_EQ(fs.ListCount(u"F:\\QTRPMB\\C\\M") - before, 1u) << "run " << run;
  }
  EXPECT_EQ(Content(u"F:\\QTRPMB\\C\\M\\z.txt"), "z");
}

TEST_F(CopyPassTest, FoldersEmptyOrNotAreStoredAndRestoredWithAttributesAndTimes) {
  fs.PutFile(u"C:\\D\\Full\\f.txt", "f");
  fs.CreateFolder(u"C:\\D\\Empty");
  fs.SetAttributes(u"C:\\D\\Empty", kAttributeHidden);
  fs.SetTimes(u"C:\\D\\Empty", kTimes);
  fs.SetAttributes(u"C:\\D\\Full", kAttributeSystem);
  fs.SetTimes(u"C:\\D\\Full", {5'000'000'000, 6'000'000'000, 7'000'000'000});
  fs.SetTimes(u"C:\\D", {1'000'000'000, 2'000'000'000, 3'000'000'000});
  Backup({"C:\\D"});
  EXPECT_EQ(Attributes(u"F:\\QTRPMB\\C\\D\\Empty"), kAttributeDirectory | kAttributeHidden);
  EXPECT_EQ(Times(u"F:\\QTRPMB\\C\\D\\Empty"), kTimes);
  EXPECT_EQ(Attributes(u"F:\\QTRPMB\\C\\D\\Full"), kAttributeDirectory | kAttributeSystem);
  EXPECT_EQ(Times(u"F:\\QTRPMB\\C\\D\\Full"), (FileTimes{5'000'000'000, 6'000'000'000, 7'000'000'000}));
  EXPECT_EQ(Times(u"F:\\QTRPMB\\C\\D"), (FileTimes{1'000'000'000, 2'000'000'000, 3'000'000'000}));

  fs.RemoveFile(u"C:\\D\\Full\\f.txt");
  fs.RemoveFolder(u"C:\\D\\Full");
  fs.RemoveFolder(u"C:\\D\\Empty");
  fs.RemoveFolder(u"C:\\D");
  Restore({"F:\\QTRPMB\\C\\D"});
  EXPECT_EQ(Content(u"C:\\D\\Full\\f.txt"), "f");
  EXPECT_EQ(Attributes(u"C:\\D\\Empty"), kAttributeDirectory | kAttributeHidden);
  EXPECT_EQ(Times(u"C:\\D\\Empty"), kTimes);
  EXPECT_EQ(Times(u"C:\\D\\Full"), (FileTimes{5'000'000'000, 6'000'000'000, 7'000'000'000}));
  EXPECT_EQ(Times(u"C:\\D"), (FileTimes{1'000'000'000, 2'000'000'000, 3'000'000'000}));
  EXPECT_TRUE(lines.lines.empty());
}

TEST_F(CopyPassTest, ACopyThatCannotBePutInPlaceIsAFailureNotAFinishedFile) {
  // An earlier backup stored a folder where the source now has a file.
  fs.PutFile(u"C:\\D\\x", "now a file");
  fs.PutFile(u"C:\\D\\y", "y");
  fs.PutFile(u"F:\\QTRPMB\\C\\D\\x\\old.txt", "old");
  auto job = Backup({"C:\\D"});
  ASSERT_EQ(lines.lines.size(), 1u);
  EXPECT_EQ(Narrow(lines.lines[0]), Narrow(u"F:\\QTRPMB\\C\\D\\x;" + ErrorText(kErrorAccessDenied)));
  EXPECT_EQ(job->counters.finishedCount, 1u);
  EXPECT_EQ(Content(u"F:\\QTRPMB\\C\\D\\x\\old.txt"), "old");
  EXPECT_EQ(StoreFiles(), (std::vector<std::string>{"F:\\QTRPMB\\C\\D\\x\\old.txt", "F:\\QTRPMB\\C\\D\\y"}));
}

TEST_F(CopyPassTest, LeftoversGoEvenWhenNothingIsCopied) {
  fs.PutFile(u"C:\\D\\a.txt", "a");
  Settings("1", "0");
  Backup({"C:\\D"});
  fs.PutFile(u"F:\\QTRPMB\\~partial\\3.~qtrpart", "left by a killed job");
  auto job = Backup({"C:\\D"});
  EXPECT_EQ(job->walk.fileList.size(), 0u);
  EXPECT_FALSE(fs.Exists(u"F:\\QTRPMB\\~partial\\3.~qtrpart"));
}

TEST_F(CopyPassTest, TheNextFolderIsCopiedWhileABatchWaitsOnItsFlush) {
  for (int k = 0; k < 3; ++k) fs.PutFile(u"C:\\A\\a" + std::u16string(1, u'0' + k), "first folder");
  for (int k = 0; k < 3; ++k) fs.PutFile(u"C:\\B\\b" + std::u16string(1, u'0' + k), "second folder");
  // The first flush of the store (the first folder's batch, each of whose
  // three copies is one write) waits until a copy of the second folder has
  // been written too, or gives up after a while: the pass did not go on
  // while the batch waited. Nothing of the first folder may be in place yet.
  std::mutex mutex;
  std::condition_variable changed;
  int partialWrites = 0;
  bool held = false, firstFolderEarly = false, overlapped = false;
  fs.SetWriteHook([&](const std::u16string& path, uint64_t) {
    if (!path.starts_with(u"F:\\QTRPMB\\~PARTIAL\\")) return;
    std::lock_guard lock(mutex);
    ++partialWrites;
    changed.notify_all();
  });
  fs.SetFlushHook([&](const std::u16string& path) {
    if (!path.starts_with(u"F:\\QTRPMB\\~PARTIAL\\")) return;
    std::unique_lock lock(mutex);
    if (held) return;
    held = true;
    firstFolderEarly = fs.Exists(u"F:\\QTRPMB\\C\\A\\a0");
    overlapped = changed.wait_for(lock, std::chrono::seconds(20), [&] { return partialWrites > 3; });
  });
  auto job = Backup({"C:\\A", "C:\\B"});
  fs.SetFlushHook(nullptr);
  fs.SetWriteHook(nullptr);
  EXPECT_TRUE(overlapped);
  EXPECT_FALSE(firstFolderEarly);
  EXPECT_EQ(job->counters.finishedCount, 6u);
  EXPECT_EQ(Content(u"F:\\QTRPMB\\C\\A\\a2"), "first folder");
  EXPECT_EQ(Content(u"F:\\QTRPMB\\C\\B\\b2"), "second folder");
  EXPECT_TRUE(lines.lines.empty());
}

TEST_F(CopyPassTest, ACopyIsFlushedWhileTheBatchBeforeItIsPutInPlace) {
  fs.PutFile(u"C:\\A\\a0", "first folder");
  for (int k = 0; k < 2; ++k) fs.PutFile(u"C:\\B\\b" + std::u16string(1, u'0' + k), "second folder");
  // The flush that carries the first folder's rename to the disk (made
  // through its copy, under its stored name) waits until a copy of the
  // second folder has been flushed as well, or gives up after a while.
  std::mutex mutex;
  std::condition_variable changed;
  int partialFlushes = 0;
  bool held = false, overlapped = false;
  fs.SetFlushHook([&](const std::u16string& path) {
    std::unique_lock lock(mutex);
    if (path.starts_with(u"F:\\QTRPMB\\~PARTIAL\\")) {
      ++partialFlushes;
      changed.notify_all();
      return;
    }
    if (held || !path.starts_with(u"F:\\QTRPMB\\C\\A\\")) return;
    held = true;
    overlapped = changed.wait_for(lock, std::chrono::seconds(20), [&] { return partialFlushes > 1; });
  });
  auto job = Backup({"C:\\A", "C:\\B"});
  fs.SetFlushHook(nullptr);
  EXPECT_TRUE(held);
  EXPECT_TRUE(overlapped);
  EXPECT_EQ(job->counters.finishedCount, 3u);
  EXPECT_EQ(Content(u"F:\\QTRPMB\\C\\B\\b1"), "second folder");
  EXPECT_TRUE(lines.lines.empty());
}

}  // namespace
}  // namespace qtr
