// The device backend and message seam of the Windows program. Declared
// without <windows.h>; built only for Windows.
#pragma once
#include <memory>

#include "devices/DeviceSystem.h"
#include "devices/MessageSeam.h"

namespace qtr {

// SetupAPI enumeration, DeviceIoControl requests and raw I/O on device paths.
std::unique_ptr<DeviceSystem> MakeWin32DeviceSystem();
// A MessageBoxW without owner or title.
std::unique_ptr<MessageSeam> MakeMessageBoxSeam();

}  // namespace qtr
