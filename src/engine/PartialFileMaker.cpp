#include "engine/PartialFileMaker.h"

#include <string>

#include "engine/CopyPassState.h"
#include "engine/StoreFileOperations.h"
#include "engine/StoreLayout.h"
#include "platform/NumberText.h"
#include "platform/SystemError.h"
#include "platform/Utf8.h"

namespace qtr {

bool IsPartialFileName(std::u16string_view name) {
  if (!EndsWithNoCase(name, kPartialSuffix)) return false;
  const std::u16string_view number = name.substr(0, name.size() - kPartialSuffix.size());
  if (number.empty() || number.size() > 20) return false;
  for (const char16_t c : number)
    if (c < u'0' || c > u'9') return false;
  return true;
}

PartialFileMaker::PartialFileMaker(BackupJob& job, std::u16string folder, size_t ahead)
    : job_(job), folder_(std::move(folder)), made_(job, ahead, [this](Made* made) { return MakeNext(made); }) {}

PartialFileMaker::~PartialFileMaker() {
  for (Made& made : made_.End()) {
    if (!made.file) continue;
    made.file.reset();
    RemoveFileAnyway(job_.fs, made.path);
  }
}

bool PartialFileMaker::MakeNext(Made* made) {
  made->error = kErrorFileExists;
  for (int tries = 0; tries < 1000 && made->error == kErrorFileExists; ++tries) {
    made->path = JoinPath(folder_, DigitsOf(next_++)) + std::u16string(kPartialSuffix);
    made->error = job_.fs.Open(made->path, OpenMode::kWriteNew, &made->file);
  }
  if (made->error != 0) made->file.reset();
  return true;
}

uint32_t PartialFileMaker::Create(std::u16string* partial, std::unique_ptr<File>* file) {
  Made made;
  // Once the maker has ended (the job stopped), the file is made here.
  if (!made_.Take(&made)) MakeNext(&made);
  *partial = std::move(made.path);
  *file = std::move(made.file);
  return made.error;
}

}  // namespace qtr
