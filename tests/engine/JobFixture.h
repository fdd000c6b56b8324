// A program folder and two volumes in memory, and a job over them.
#pragma once
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "engine/BackupJob.h"
#include "engine/Container.h"
#include "engine/JobThread.h"
#include "engine/JobWorker.h"
#include "support/MemoryFileSystem.h"

namespace qtr::test {

class LineCollector : public JobReporter {
 public:
  void AddFailureLine(const std::u16string& line) override {
    std::lock_guard lock(mutex);
    lines.push_back(line);
  }
  std::mutex mutex;
  std::vector<std::u16string> lines;
};

inline std::string Narrow(std::u16string_view text) { return {text.begin(), text.end()}; }

class JobFixture : public ::testing::Test {
 protected:
  explicit JobFixture(MemoryFileSystem::Kind target = MemoryFileSystem::Kind::kNtfs) {
    fs.AddVolume(u'C', MemoryFileSystem::Kind::kNtfs);
    fs.AddVolume(u'F', target);
    Settings("0", "0");
  }

  // init.xml with the changed-only and compress keys; more keys as XML text.
  // Previous versions are kept only where more asks for them ("VersionDays"),
  // or where a test clears versionsOff to see the program's default.
  void Settings(const char* changedOnly, const char* compress, const std::string& more = "") {
    const std::string versions = more.find("<VersionDays>") == std::string::npos ? versionsOff : "";
    fs.PutFile(u"C:\\Prog\\init.xml", std::string("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<Setting>") +
                                          "<BackupStatus>" + changedOnly + "</BackupStatus><CompressFile>" +
                                          compress + "</CompressFile>" + more + versions + "</Setting>");
  }
  void Selection(const char16_t* file, const std::vector<std::string>& paths) {
    std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<Path>";
    for (const auto& p : paths) xml += "<path path=\"" + p + "\"/>";
    fs.PutFile(std::u16string(u"C:\\Prog\\") + file, xml + "</Path>");
  }

  std::unique_ptr<BackupJob> NewJob(bool restore) {
    auto job = std::make_unique<BackupJob>(fs, lines, u"C:\\Prog\\");
    job->LoadIncludeFlags();
    job->settings.systemDrive = u"C:";
    job->settings.targetRoot = u"F:";
    job->settings.kind = restore ? JobKind::kRestore : JobKind::kBackup;
    return job;
  }
  // Runs a whole job; returns it for its counters.
  std::unique_ptr<BackupJob> Backup(const std::vector<std::string>& paths) {
    Selection(u"backupfullpath.xml", paths);
    auto job = NewJob(false);
    RunJob(*job);
    return job;
  }
  std::unique_ptr<BackupJob> Restore(const std::vector<std::string>& paths) {
    Selection(u"restoreTempPath.xml", paths);
    auto job = NewJob(true);
    RunJob(*job);
    return job;
  }

  // A compressed container of plain at path, without the compressed attribute.
  void WriteContainerFile(std::u16string_view path, const std::string& plain) {
    fs.PutFile(u"C:\\container-source", plain);
    fs.PutFile(path, "");
    std::unique_ptr<File> in, out;
    ASSERT_EQ(fs.Open(u"C:\\container-source", OpenMode::kReadExisting, &in), 0u);
    ASSERT_EQ(fs.Open(path, OpenMode::kWriteTruncate, &out), 0u);
    ASSERT_TRUE(WriteContainer(*in, plain.size(), *out, nullptr).Ok());
    in.reset();
    fs.RemoveFile(u"C:\\container-source");
  }

  std::string Content(std::u16string_view path) {
    std::string bytes;
    EXPECT_TRUE(fs.GetFile(path, &bytes)) << Narrow(path);
    return bytes;
  }
  uint32_t Attributes(std::u16string_view path) {
    uint32_t a = 0;
    fs.GetAttributes(path, &a);
    return a;
  }
  FileTimes Times(std::u16string_view path) {
    FindEntry e;
    fs.Find(path, &e);
    return e.times;
  }
  std::vector<std::string> StoreFiles() {
    std::vector<std::string> files;
    for (const auto& p : fs.AllPaths()) {
      std::string bytes;
      // The store index's own pieces are not stored files.
      if (p.starts_with(u"F:\\QTRPMB\\~index\\")) continue;
      if (p.starts_with(u"F:\\") && fs.GetFile(p, &bytes)) files.push_back(Narrow(p));
    }
    return files;
  }

  std::string versionsOff = "<VersionDays>0</VersionDays>";
  MemoryFileSystem fs;
  LineCollector lines;
};

}  // namespace qtr::test
