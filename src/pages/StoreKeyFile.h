// The key check file of the store on a target drive, as the start of a job
// reaches it.
#pragma once
#include <string>

#include "pages/StoreKeyPrompt.h"
#include "platform/FileSystem.h"

namespace qtr {

class StoreKeyFile : public StoreKeySource {
 public:
  // target: the drive of the store, "F:".
  StoreKeyFile(FileSystem& fs, std::u16string_view target);
  bool HasKeyCheck() override;
  StoreKeyResult Open(std::string_view password, bool create, StoreKey* key) override;

 private:
  FileSystem& fs_;
  std::u16string storeRoot_;
};

}  // namespace qtr
