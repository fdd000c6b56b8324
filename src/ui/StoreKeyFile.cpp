#include "ui/StoreKeyFile.h"

#include "engine/StoreLayout.h"

namespace qtr {

StoreKeyFile::StoreKeyFile(FileSystem& fs, std::u16string_view target, StoreKeyRebuild rebuild)
    : fs_(fs), storeRoot_(StoreRootOf(target)), rebuild_(std::move(rebuild)) {}

bool StoreKeyFile::IsEncrypted() {
  return StoreIsEncrypted(fs_, storeRoot_);
}

StoreKeyResult StoreKeyFile::Open(std::string_view password, bool create, StoreKey* key) {
  return OpenStoreKey(fs_, storeRoot_, password, create, key, nullptr, rebuild_);
}

StoreKeyResult StoreKeyFile::ReplaceLost(std::string_view password, StoreKey* key) {
  return ReplaceLostStoreKey(fs_, storeRoot_, password, key);
}

}  // namespace qtr
