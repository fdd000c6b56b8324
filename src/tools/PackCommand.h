// The pack and unpack commands of qtrpack: a plain file to its compressed
// container and back. The output appears only when complete, and the input
// is never written.
#pragma once
#include <string>

namespace qtr {

// Exit codes: 0 done, 1 the input is missing, unreadable or damaged or the
// output cannot be written; message says what happened.
int PackCommand(const std::u16string& input, const std::u16string& output, unsigned threads, std::string* message);
int UnpackCommand(const std::u16string& input, const std::u16string& output, std::string* message);

}  // namespace qtr
