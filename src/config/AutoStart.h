// The program's entry under the per-user Run key, which starts it when the
// user logs on: the value "VaRuriZeRed" holding the executable's full path.
// Windows only.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

namespace qtr {

inline constexpr std::u16string_view kAutoStartValueName = u"VaRuriZeRed";
inline constexpr std::u16string_view kRunKeyPath = u"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";

// Sets the value (enabled) to command under HKEY_CURRENT_USER, or deletes
// it there and, where it exists and this user may delete it, under
// HKEY_LOCAL_MACHINE. Returns the Win32 error code, 0 on success; deleting a
// value that is not there succeeds. The caller shows SystemErrorMessage of a
// failure.
uint32_t SetAutoStart(bool enabled, std::u16string_view command);

// The same with this executable's full path.
uint32_t SetAutoStartForThisProgram(bool enabled);

// The per-user value's text; empty when it is not set.
std::u16string AutoStartCommand();
// The machine-wide value's text, which an older version wrote.
std::u16string MachineAutoStartCommand();

}  // namespace qtr
