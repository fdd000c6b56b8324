#include "tools/PackCommand.h"

#include <atomic>
#include <cstdio>
#include <cstring>
#include <random>
#include <memory>
#include <optional>

#include "engine/Container.h"
#include "engine/HashingFile.h"
#include "engine/StoreIndex.h"
#include "engine/StoreLayout.h"
#include "platform/SystemError.h"
#include "platform/Utf8.h"
#include "tools/HostFile.h"

namespace qtr {
namespace {

std::string Describe(std::u16string_view path, uint32_t error) {
  return Utf16ToUtf8(path) + ": " + Utf16ToUtf8(SystemErrorMessage(error)) + " (error " + std::to_string(error) + ")";
}

// Where the output is written: a partial file of its own beside the output,
// renamed over it when complete, or the output itself when it is a stream
// (a character device or a pipe) that cannot be renamed over.
struct OutputEnd {
  std::u16string output;
  std::u16string partial;  // empty when writing the output in place
  std::unique_ptr<File> file;
};

std::u16string FolderOf(std::u16string_view path) {
  const size_t slash = path.find_last_of(u"/\\");
  if (slash == std::u16string_view::npos) return u".";
  if (slash == 0) return std::u16string(path.substr(0, 1));
  return std::u16string(path.substr(0, slash));
}

// A partial name no other writer holds: created exclusively, with a random
// part so that two packs to one output never write into the same file.
uint32_t CreatePartial(OutputEnd* end) {
  static std::atomic<uint32_t> counter{0};
  std::random_device random;
  uint32_t error = kErrorFileExists;
  for (int attempt = 0; attempt < 100 && error == kErrorFileExists; ++attempt) {
    char tag[20];
    std::snprintf(tag, sizeof tag, ".%08x%02x", static_cast<unsigned>(random()),
                  static_cast<unsigned>(counter++ & 0xFF));
    end->partial = end->output + Utf8ToUtf16(tag) + std::u16string(kPartialSuffix);
    error = CreateNewHostFile(end->partial, &end->file);
  }
  if (error != 0) end->partial.clear();
  return error;
}

bool OpenOutput(OutputEnd* end, std::string* message) {
  switch (KindOfHostPath(end->output)) {
    case HostPathKind::kFolder:
      *message = "the output " + Utf16ToUtf8(end->output) + " is a folder; nothing written";
      return false;
    case HostPathKind::kRefused:
      *message = "the output " + Utf16ToUtf8(end->output) + " is not a regular file; nothing written";
      return false;
    case HostPathKind::kStream:
      if (const uint32_t error = OpenHostFile(end->output, true, &end->file); error != 0) {
        *message = "cannot write " + Describe(end->output, error);
        return false;
      }
      return true;
    default:
      break;
  }
  if (const uint32_t error = CreatePartial(end); error != 0) {
    const std::u16string folder = FolderOf(end->output);
    if (KindOfHostPath(folder) != HostPathKind::kFolder) {
      *message = "cannot write " + Utf16ToUtf8(end->output) + ": the folder " + Utf16ToUtf8(folder) +
                 " does not exist";
    } else {
      *message = "cannot write " + Describe(end->output, error);
    }
    return false;
  }
  return true;
}

// Opens both ends; the output goes to a partial name first.
bool OpenEnds(const std::u16string& input, OutputEnd* out, std::unique_ptr<File>* in, uint64_t* size,
              std::string* message) {
  // A pipe or a device tells no size ahead, and the container records one:
  // read as if empty, it stored nothing and said all went well.
  if (const HostPathKind kind = KindOfHostPath(input); kind != HostPathKind::kRegular && kind != HostPathKind::kMissing) {
    *message = "the input " + Utf16ToUtf8(input) + " is not a regular file; nothing written";
    return false;
  }
  if (const uint32_t error = OpenHostFile(input, false, in); error != 0) {
    *message = "cannot read " + Describe(input, error);
    return false;
  }
  if (const uint32_t error = (*in)->Size(size); error != 0) {
    *message = "cannot read " + Describe(input, error);
    return false;
  }
  if (SameHostFile(input, out->output)) {
    *message = "the output " + Utf16ToUtf8(out->output) + " is the input itself; nothing written";
    return false;
  }
  return OpenOutput(out, message);
}

// Puts a complete output in place, or removes it after a failure.
int Finish(ContainerStatus status, OutputEnd& out, const std::u16string& input, std::string* message) {
  // On the disk before it takes the output's name: a power cut then leaves
  // the old output or the whole new one, never a named file of zeros.
  if (status.Ok() && !out.partial.empty()) {
    if (const uint32_t error = out.file->Flush(); error != 0) status = {ContainerResult::kWriteFailed, error};
  }
  out.file.reset();
  const std::u16string& output = out.output;
  if (status.Ok()) {
    if (out.partial.empty()) return 0;
    if (const uint32_t error = RenameHostFile(out.partial, output); error != 0) {
      RemoveHostFile(out.partial);
      *message = "cannot write " + Describe(output, error);
      return 1;
    }
    return 0;
  }
  if (!out.partial.empty()) RemoveHostFile(out.partial);
  switch (status.result) {
    case ContainerResult::kReadFailed:
      *message = "cannot read " + Describe(input, status.error);
      break;
    case ContainerResult::kWriteFailed:
      *message = "cannot write " + Describe(output, status.error);
      break;
    default:
      *message = Utf16ToUtf8(input) + " is damaged: its blocks do not decode to a whole file";
      break;
  }
  if (out.partial.empty()) *message += " (" + Utf16ToUtf8(output) + " holds what was written before)";
  return 1;
}

// The store index entry of a container inside a store ("F:\QTRPMB\C\a.txt.zip"),
// when the index has one that still describes it. Stores are reached
// through the Windows file system only.
std::optional<StoreIndexEntry> IndexEntryOf(const std::u16string& input) {
#ifdef _WIN32
  const std::u16string lower = Lowercase(input);
  const size_t at = lower.find(u"\\" + Lowercase(kStoreFolder) + u"\\");
  if (at == std::u16string::npos || at != 2 || lower[1] != u':') return std::nullopt;
  FileSystem& fs = SystemFileSystem();
  const StoreIndex index = StoreIndex::Load(fs, input.substr(0, at + 1 + kStoreFolder.size()));
  const StoreIndexEntry* entry = nullptr;
  if (index.Lookup(fs, input, &entry) == IndexState::kCurrent && entry->form == StoredForm::kCompressed)
    return *entry;
#else
  (void)input;
#endif
  return std::nullopt;
}

}  // namespace

int PackCommand(const std::u16string& input, const std::u16string& output, unsigned threads, std::string* message) {
  OutputEnd out{output, {}, nullptr};
  std::unique_ptr<File> in;
  uint64_t size = 0;
  if (!OpenEnds(input, &out, &in, &size, message)) return 1;
  const ContainerStatus status = WriteContainer(*in, size, *out.file, nullptr, threads);
  in.reset();
  return Finish(status, out, input, message);
}

int UnpackCommand(const std::u16string& input, const std::u16string& output, std::string* message) {
  OutputEnd out{output, {}, nullptr};
  std::unique_ptr<File> in;
  uint64_t size = 0;
  {
    // Refuse a file that is not a container before anything is created.
    std::unique_ptr<File> probe;
    if (const uint32_t error = OpenHostFile(input, false, &probe); error != 0) {
      *message = "cannot read " + Describe(input, error);
      return 1;
    }
    uint8_t marker[4] = {};
    size_t got = 0;
    if (const uint32_t error = probe->Read(marker, 4, &got); error != 0) {
      *message = "cannot read " + Describe(input, error);
      return 1;
    }
    if (got != 4 || std::memcmp(marker, kContainerMarker, 4) != 0) {
      *message = Utf16ToUtf8(input) + " is not a compressed container (no FF FF FF FF marker)";
      return 1;
    }
  }
  if (!OpenEnds(input, &out, &in, &size, message)) return 1;
  // A container the store's index knows is checked against the hash it recorded.
  const std::optional<StoreIndexEntry> entry = IndexEntryOf(input);
  std::unique_ptr<HashingFile> hashed;
  if (entry) {
    hashed = std::make_unique<HashingFile>(std::move(out.file), HashingFile::Side::kWrite);
  }
  File& writer = hashed ? *hashed : *out.file;
  ContainerStatus status;
  if (const uint32_t error = in->Seek(4); error != 0) {
    status = {ContainerResult::kReadFailed, error};
  } else {
    status = ReadContainer(*in, size, writer, nullptr);
  }
  in.reset();
  bool mismatch = false;
  if (hashed) {
    Sha256Digest digest{};
    mismatch = status.Ok() && (!hashed->Finish(&digest) || hashed->Bytes() != entry->sourceSize ||
                               (!entry->keyed && digest != entry->sha256));
    out.file = hashed->Release();
    if (mismatch) status = {ContainerResult::kDamaged, 13};
  }
  const int result = Finish(status, out, input, message);
  if (mismatch)
    *message = Utf16ToUtf8(input) + " is damaged: it does not decode to the file its store index recorded" +
               (out.partial.empty() ? " (" + Utf16ToUtf8(output) + " holds what was written)" : "");
  return result;
}

}  // namespace qtr
