#include "engine/JobResults.h"

#include "engine/JobText.h"
#include "engine/StoreLayout.h"

namespace qtr {

void JobResults::AddFailure(std::u16string_view path, uint32_t error) {
  AddFailure(path, ErrorText(error));
}

void JobResults::AddFailure(std::u16string_view path, std::u16string_view reason) {
  // The copy pass and its committer both report: one line at a time.
  std::lock_guard lock(mutex_);
  failedFiles_.insert(Lowercase(path));
  failures.AddFailureLine(std::u16string(path) + u";" + std::u16string(reason));
}

void JobResults::AddNote(std::u16string_view path, uint32_t error) {
  AddNote(path, ErrorText(error));
}

void JobResults::AddNote(std::u16string_view path, std::u16string_view reason) {
  std::lock_guard lock(mutex_);
  failures.AddFailureLine(std::u16string(path) + u";" + std::u16string(reason));
}

size_t JobResults::FailedFiles() const {
  std::lock_guard lock(mutex_);
  return failedFiles_.size();
}

}  // namespace qtr
