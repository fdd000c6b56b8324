// The key check file of the store on a target drive, as the start of a job
// reaches it.
#pragma once
#include <string>

#include "platform/FileSystem.h"
#include "ui/StoreKeyPrompt.h"

namespace qtr {

class StoreKeyFile : public StoreKeySource {
 public:
  // target: the drive of the store, "F:". rebuild: how a lost key check is
  // found again from the store's encrypted files (none: such a store is lost).
  StoreKeyFile(FileSystem& fs, std::u16string_view target, StoreKeyRebuild rebuild = {});
  bool IsEncrypted() override;
  StoreKeyResult Open(std::string_view password, bool create, StoreKey* key) override;
  StoreKeyResult ReplaceLost(std::string_view password, StoreKey* key) override;

 private:
  FileSystem& fs_;
  std::u16string storeRoot_;
  StoreKeyRebuild rebuild_;
};

}  // namespace qtr
