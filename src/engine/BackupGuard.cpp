#include "engine/BackupGuard.h"

#include <chrono>
#include <cstring>
#include <memory>
#include <thread>

#include "engine/StoredForms.h"
#include "platform/SystemError.h"

namespace qtr {
namespace {

// Takes the first bytes written to it, then refuses the rest, which ends a decode early.
class HeadSink : public File {
 public:
  explicit HeadSink(std::vector<uint8_t>* head) : head_(head) {}
  uint32_t Read(void*, size_t, size_t* got) override {
    *got = 0;
    return kErrorInvalidFunction;
  }
  uint32_t Write(const void* buffer, size_t size) override {
    const size_t room = kGuardHeadBytes - head_->size();
    const auto* bytes = static_cast<const uint8_t*>(buffer);
    head_->insert(head_->end(), bytes, bytes + (size < room ? size : room));
    return head_->size() < kGuardHeadBytes ? 0 : kErrorHandleEof;
  }
  uint32_t Seek(uint64_t) override { return kErrorInvalidFunction; }
  uint32_t Size(uint64_t* size) override {
    *size = head_->size();
    return 0;
  }
  uint32_t GetInfo(FindEntry*) override { return kErrorInvalidFunction; }
  uint32_t SetTimesAndAttributes(const FileTimes&, uint32_t) override { return 0; }
  uint32_t SetCompression(bool) override { return 0; }
  uint32_t Flush() override { return 0; }
  uint32_t RenameTo(std::u16string_view) override { return kErrorInvalidFunction; }

 private:
  std::vector<uint8_t>* head_;
};

}  // namespace

std::vector<uint8_t> BackupGuard::HeadOf(File& file) {
  std::vector<uint8_t> head(kGuardHeadBytes);
  size_t filled = 0;
  while (filled < head.size()) {
    size_t got = 0;
    if (file.Read(head.data() + filled, head.size() - filled, &got) != 0 || got == 0) break;
    filled += got;
  }
  head.resize(filled);
  if (file.Seek(0) != 0) head.clear();
  return head;
}

std::vector<uint8_t> BackupGuard::StoredHeadOf(std::u16string_view path, StoredForm form) {
  std::vector<uint8_t> head;
  std::unique_ptr<File> stored;
  uint64_t size = 0;
  if (job_.fs.Open(path, OpenMode::kReadExisting, &stored) != 0 || stored->Size(&size) != 0) return head;
  HeadSink sink(&head);
  const StoreKey* key = job_.settings.storeKey ? &*job_.settings.storeKey : nullptr;
  DecodeStored(*stored, size, form, key, sink, nullptr);
  return head;
}

void BackupGuard::JudgeReplacement(std::u16string_view name, const std::vector<uint8_t>& storedHead,
                                   const std::vector<uint8_t>& newHead) {
  if (!active_) return;
  tally_.CountReplacement(qtr::JudgeReplacement(name, storedHead, newHead));
  if (tally_.Tripped()) Act();
}

void BackupGuard::CountNewFile(std::u16string_view name, bool renamedFrom) {
  if (!active_) return;
  tally_.CountNewFile(name, renamedFrom);
  if (tally_.Tripped()) Act();
}

void BackupGuard::Act() {
  active_ = false;
  JobGuard& guard = job_.guard;
  guard.SetFindings(
      {tally_.Suspicious(), tally_.Replaced(), tally_.RenamedToOneExtension(), tally_.RenamedExtension()});
  if (guard.askPerson != 0) {
    guard.waiting = 1;
    while (guard.answer == JobGuard::kNoAnswer && job_.control.stop == 0)
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    guard.waiting = 0;
    if (guard.answer == JobGuard::kGoOn) return;
    // A stop the person asked for otherwise is still theirs, not the guard's.
    if (guard.answer != JobGuard::kStop) return;
  }
  guard.stopped = 1;
  job_.results.AddNote(job_.settings.targetRoot, job_.settings.notes.guardStopped);
  job_.control.stop = 1;
}

}  // namespace qtr
