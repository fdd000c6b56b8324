#include "pages/StoreKeyFile.h"

#include "engine/StoreLayout.h"

namespace qtr {

StoreKeyFile::StoreKeyFile(FileSystem& fs, std::u16string_view target)
    : fs_(fs), storeRoot_(StoreRootOf(target)) {}

bool StoreKeyFile::HasKeyCheck() {
  return StoreHasKeyCheck(fs_, storeRoot_);
}

StoreKeyResult StoreKeyFile::Open(std::string_view password, bool create, StoreKey* key) {
  return OpenStoreKey(fs_, storeRoot_, password, create, key);
}

}  // namespace qtr
