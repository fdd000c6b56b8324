// The Linux host behind Wine, as a Windows program reaches it: the host path
// of a Windows path, a host program started, and a drive letter, which under
// Wine is a symbolic link in the prefix's dosdevices folder. Outside Wine
// every operation fails.
#pragma once
#include <string>

namespace qtr {

// The host path of a Windows path, or empty when Wine cannot say.
std::string HostPath(const std::wstring& windowsPath);

// Starts a host program (an absolute Unix path) with arguments; true when it
// started. A host process cannot be waited for from Wine, nor its exit code
// read, so callers wait for its effect instead.
bool RunHostCommand(const std::wstring& program, const std::wstring& arguments);

// The prefix's dosdevices entry of a letter ('d'), as a host path.
std::string DriveLinkPath(wchar_t letter);

// Whether "X:\" can be reached, waited for up to about five seconds.
bool WaitForDriveRoot(wchar_t letter, bool reachable);

// Links the letter to folder, replacing an earlier link, and waits until the
// letter shows it; removes the letter's link and waits until it is gone.
bool LinkDriveLetter(wchar_t letter, const std::wstring& folder);
bool UnlinkDriveLetter(wchar_t letter);

}  // namespace qtr
