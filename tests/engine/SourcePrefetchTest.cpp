// The sources of a copy pass opened ahead: in order, each failure where its
// file was, nothing opened while the job is paused, and no wait once it stops.
#include "engine/SourcePrefetch.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "JobFixture.h"
#include "platform/SystemError.h"

namespace qtr {
namespace {

class SourcePrefetchTest : public test::JobFixture {};

TEST_F(SourcePrefetchTest, FilesComeInOrderWithTheirInfoAndFailuresInTheirPlace) {
  std::vector<std::u16string> paths;
  for (int k = 0; k < 20; ++k) {
    paths.push_back(u"C:\\D\\f" + std::u16string(1, static_cast<char16_t>(u'a' + k)));
    if (k != 5) fs.PutFile(paths.back(), std::string(static_cast<size_t>(k), 'x'));
  }
  fs.FailOpen(paths[9], kErrorAccessDenied);
  auto job = NewJob(false);
  for (const size_t ahead : {SourcePrefetch::kBackupAhead, size_t{0}}) {
    SCOPED_TRACE(ahead);
    SourcePrefetch prefetch(*job, paths, ahead);
    for (int k = 0; k < 20; ++k) {
      SourcePrefetch::Opened opened;
      ASSERT_TRUE(prefetch.Take(&opened)) << k;
      if (k == 5 || k == 9) {
        EXPECT_EQ(opened.error, k == 5 ? kErrorFileNotFound : kErrorAccessDenied);
        EXPECT_EQ(opened.file, nullptr);
        continue;
      }
      ASSERT_EQ(opened.error, 0u) << k;
      EXPECT_EQ(opened.info.size, static_cast<uint64_t>(k));
      char byte = 0;
      size_t got = 0;
      EXPECT_EQ(opened.file->Read(&byte, 1, &got), 0u);
      EXPECT_EQ(got, k == 0 ? 0u : 1u);
    }
    SourcePrefetch::Opened after;
    EXPECT_FALSE(prefetch.Take(&after));
  }
}

TEST_F(SourcePrefetchTest, NothingIsOpenedWhileTheJobIsPaused) {
  fs.PutFile(u"C:\\D\\a", "a");
  const std::vector<std::u16string> paths{u"C:\\D\\a"};
  auto job = NewJob(false);
  job->control.pause.Close();
  SourcePrefetch prefetch(*job, paths, SourcePrefetch::kBackupAhead);
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  // Made unreadable during the pause: the open after it says so.
  fs.FailOpen(paths[0], kErrorAccessDenied);
  job->control.pause.Open();
  SourcePrefetch::Opened opened;
  ASSERT_TRUE(prefetch.Take(&opened));
  EXPECT_EQ(opened.error, kErrorAccessDenied);
}

TEST_F(SourcePrefetchTest, AStopEndsTheFilesAndAPassThatEndsEarlyDoesNotWait) {
  std::vector<std::u16string> paths;
  for (int k = 0; k < 40; ++k) {
    paths.push_back(u"C:\\D\\f" + std::u16string(1, static_cast<char16_t>(u'0' + k)));
    fs.PutFile(paths.back(), "x");
  }
  auto job = NewJob(false);
  {
    // Left after one file: the destructor ends the prefetcher, waiting or not.
    SourcePrefetch prefetch(*job, paths, SourcePrefetch::kBackupAhead);
    SourcePrefetch::Opened opened;
    ASSERT_TRUE(prefetch.Take(&opened));
  }
  job->control.stop = 1;
  SourcePrefetch stopped(*job, paths, SourcePrefetch::kBackupAhead);
  SourcePrefetch::Opened opened;
  EXPECT_FALSE(stopped.Take(&opened));
}

}  // namespace
}  // namespace qtr
