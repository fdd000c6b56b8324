// Finding the key of a store whose key check is lost again, from the
// encrypted files that remain: each carries the salt and iteration count
// its key was derived with, and authenticates only under that key.
#pragma once
#include <functional>
#include <string>

#include "engine/StoreKey.h"

namespace qtr {

// Reads the salt and iteration count an encrypted file's header carries,
// without the key; false when the file carries none.
using EncryptedParametersReader = std::function<bool(File& file, KeyParameters* parameters)>;

// The reader of the encrypted file format: what a version 2 header carries
// (a version 1 file carries nothing).
bool ReadHeaderKeyParameters(File& file, KeyParameters* parameters);

// The rebuild of the store at storeRoot: the first encrypted file (in the
// order its folders list) whose parameters read gives, checked by opening
// that file's header with the rebuilt key. fs must outlive the result.
StoreKeyRebuild RebuildFromEncryptedFiles(FileSystem& fs, std::u16string storeRoot, EncryptedParametersReader read);

}  // namespace qtr
