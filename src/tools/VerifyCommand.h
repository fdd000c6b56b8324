// The verify command of qtrpack: every stored file of a target's store read
// and checked against the store index, the findings and a summary printed.
#pragma once
#include <functional>
#include <string>

#include "platform/FileSystem.h"

namespace qtr {

// Exit codes: 0 every stored file was read and matched its entry, and every
// entry has its file; 1 something is damaged (changed since it was backed
// up included) or missing; 3 nothing damaged was found, but not everything
// could be checked (a damaged index, files without an entry, encrypted
// files without the key or without a key check file); 2 the target holds
// no store or the pass was stopped. out receives one line per finding
// ("damaged PATH;REASON", "missing PATH", "unknown PATH", "encrypted PATH")
// and the summary last. A store with a key check file is read with its
// key, from the password readPassword gives (one line of standard input
// in qtrpack); a wrong one, or none, is exit 2 with one line saying so,
// before anything is read. Without readPassword encrypted files are listed
// as "encrypted PATH", not read.
int VerifyCommand(FileSystem& fs, const std::u16string& target, std::string* out,
                  const std::function<bool(std::string* password)>& readPassword = {});

}  // namespace qtr
