// What a job leaves for its completion (and whoever reads it afterwards):
// the lines of the files that failed or lack something, the number of
// failed files, and the folders a restore wrote to.
#pragma once
#include <cstdint>
#include <mutex>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace qtr {

// Where the worker reports to the window: one line per file that failed.
class JobReporter {
 public:
  virtual ~JobReporter() = default;
  virtual void AddFailureLine(const std::u16string& line) = 0;
};

class JobResults {
 public:
  explicit JobResults(JobReporter& reporter) : failures(reporter) {}

  // A line of the job's list for a file that failed, counted once per file.
  void AddFailure(std::u16string_view path, uint32_t error);
  void AddFailure(std::u16string_view path, std::u16string_view reason);
  // A line for a file that was copied but lacks something (its times or
  // attributes, or it changed since it was backed up): not a failed file.
  void AddNote(std::u16string_view path, uint32_t error);
  void AddNote(std::u16string_view path, std::u16string_view reason);
  // Files with at least one failure line.
  size_t FailedFiles() const;

  JobReporter& failures;
  std::vector<std::u16string> restoreRoots;  // read only after the worker has ended

 private:
  mutable std::mutex mutex_;
  std::set<std::u16string> failedFiles_;  // lowercased
};

}  // namespace qtr
