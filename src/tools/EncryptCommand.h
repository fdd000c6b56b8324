// The encrypt and decrypt commands of qtrpack: a file to its encrypted form
// under a store's key and back. The key comes from the password and the
// store's key check file; the output appears only when every chunk was
// written (encrypt) or authenticated (decrypt).
#pragma once
#include <string>
#include <string_view>

namespace qtr {

// Exit codes: 0 done, 1 a wrong password, a damaged or unreadable input or
// key check file, or an output that cannot be written; message says which.
// encrypt creates the key check file from the password when there is none.
int EncryptCommand(const std::u16string& input, const std::u16string& output, const std::u16string& keyFile,
                   std::string_view password, std::string* message);
int DecryptCommand(const std::u16string& input, const std::u16string& output, const std::u16string& keyFile,
                   std::string_view password, std::string* message);

}  // namespace qtr
