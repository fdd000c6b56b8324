// The encrypt and decrypt commands of qtrpack: a file to its encrypted form
// under a store's key and back. The key comes from the password and the
// store's key check file; the output appears only when every chunk was
// written (encrypt) or authenticated (decrypt).
#pragma once
#include <string>
#include <string_view>

#include "engine/StoreKeyRebuild.h"

namespace qtr {

// Exit codes: 0 done, 1 a wrong password, a damaged or unreadable input or
// key check file, or an output that cannot be written; message says which.
// encrypt creates the key check file from the password when there is none.
// An empty keyFile means the key check file of the store the output
// (encrypt) or the input (decrypt) lies in (KeyCheckFileOf).
int EncryptCommand(const std::u16string& input, const std::u16string& output, const std::u16string& keyFile,
                   std::string_view password, std::string* message);
// readParameters: how decrypt reads the salt and count the input carries,
// so that a lost key check file is no loss (none: the key check file is needed).
int DecryptCommand(const std::u16string& input, const std::u16string& output, const std::u16string& keyFile,
                   std::string_view password, std::string* message,
                   const EncryptedParametersReader& readParameters = {});

// The key check file of the store path lies in: "QTRPMB\~key.bin" in the
// nearest folder above path named "QTRPMB" ("F:\QTRPMB\C\a.txt.qtrx" ->
// "F:\QTRPMB\~key.bin"); empty when path is in no store.
std::u16string KeyCheckFileOf(std::u16string_view path);

}  // namespace qtr
