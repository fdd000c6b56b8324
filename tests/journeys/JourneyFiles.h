// Files as the journeys make and check them from outside the program: plain
// bytes, a stored file's content out of its container, the journey disk, and
// scripts run on the host beside Wine.
#pragma once
#include <string>
#include <vector>

namespace qtr::test {

// The journey disk: R: is the test's mapped folder, so the program links no letter.
inline constexpr char kJourneyDisks[] =
    "drive = C fixed 0\n"
    "[disk]\npath = \\\\?\\usbstor#disk&ven_wdc&prod_journey#1#"
    "{53f56307-b6bf-11d0-94f2-00a0c91efb8b}\n"
    "image = journey.img\nvendor = WDC\nproduct = Journey\nnumber = 1\n"
    "geometry = 32 255 63 512\nvolume = R\nbutton = journey.button\n";

bool WriteFileBytes(const std::wstring& path, const std::string& bytes);
// "<missing>" when the file cannot be opened.
std::string ReadFileBytes(const std::wstring& path);
// The content a stored container holds: "<missing>", "<no room>" or
// "<bad container>" when it cannot be read back.
std::string StoredBytes(const std::wstring& path);
// Every file below folder, at any depth, with its full path.
std::vector<std::wstring> FilesBelow(const std::wstring& folder);
// Runs script with the host's shell, keeping it in folder (a Windows path,
// outside what is backed up), and waits until it has run to its end; false
// when it did not within the time.
bool RunHostScript(const std::wstring& folder, const std::string& script, unsigned milliseconds = 60000);

}  // namespace qtr::test
