// Where the running test program is: the build puts the shipped language
// tables and help beside it.
#pragma once
#include <string>

namespace qtr::test {

// The folder of this executable, ending in a backslash.
std::u16string ExecutableFolder();

}  // namespace qtr::test
