#include "tools/PackCommand.h"

#include <cstring>
#include <memory>

#include "engine/Container.h"
#include "engine/StoreLayout.h"
#include "platform/SystemError.h"
#include "platform/Utf8.h"
#include "tools/HostFile.h"

namespace qtr {
namespace {

std::string Describe(std::u16string_view path, uint32_t error) {
  return Utf16ToUtf8(path) + ": " + Utf16ToUtf8(SystemErrorMessage(error)) + " (error " + std::to_string(error) + ")";
}

// Opens both ends; the output goes to a partial name first.
bool OpenEnds(const std::u16string& input, const std::u16string& output, const std::u16string& partial,
              std::unique_ptr<File>* in, std::unique_ptr<File>* out, uint64_t* size, std::string* message) {
  if (const uint32_t error = OpenHostFile(input, false, in); error != 0) {
    *message = "cannot read " + Describe(input, error);
    return false;
  }
  if (const uint32_t error = (*in)->Size(size); error != 0) {
    *message = "cannot read " + Describe(input, error);
    return false;
  }
  if (SameHostFile(input, output)) {
    *message = "the output " + Utf16ToUtf8(output) + " is the input itself; nothing written";
    return false;
  }
  if (const uint32_t error = OpenHostFile(partial, true, out); error != 0) {
    *message = "cannot write " + Describe(output, error);
    return false;
  }
  return true;
}

// Puts a complete output in place, or removes it after a failure.
int Finish(ContainerStatus status, std::unique_ptr<File> out, const std::u16string& input, const std::u16string& output,
           const std::u16string& partial, std::string* message) {
  out.reset();
  if (status.Ok()) {
    if (const uint32_t error = RenameHostFile(partial, output); error != 0) {
      RemoveHostFile(partial);
      *message = "cannot write " + Describe(output, error);
      return 1;
    }
    return 0;
  }
  RemoveHostFile(partial);
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
  return 1;
}

}  // namespace

int PackCommand(const std::u16string& input, const std::u16string& output, unsigned threads, std::string* message) {
  const std::u16string partial = output + std::u16string(kPartialSuffix);
  std::unique_ptr<File> in, out;
  uint64_t size = 0;
  if (!OpenEnds(input, output, partial, &in, &out, &size, message)) return 1;
  const ContainerStatus status = WriteContainer(*in, size, *out, nullptr, threads);
  in.reset();
  return Finish(status, std::move(out), input, output, partial, message);
}

int UnpackCommand(const std::u16string& input, const std::u16string& output, std::string* message) {
  const std::u16string partial = output + std::u16string(kPartialSuffix);
  std::unique_ptr<File> in, out;
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
  if (!OpenEnds(input, output, partial, &in, &out, &size, message)) return 1;
  ContainerStatus status;
  if (const uint32_t error = in->Seek(4); error != 0) {
    status = {ContainerResult::kReadFailed, error};
  } else {
    status = ReadContainer(*in, size, *out, nullptr);
  }
  in.reset();
  return Finish(status, std::move(out), input, output, partial, message);
}

}  // namespace qtr
