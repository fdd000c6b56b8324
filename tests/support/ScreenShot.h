// A picture of the whole screen as a person sees it, for a journey to save
// where QTR_JOURNEY_SHOTS names a folder (Windows build only).
#pragma once
#include <string>

namespace qtr::test {

// Saves the screen as a 24-bit BMP at path; false when it could not.
bool SaveScreenShot(const std::wstring& path);
// Saves the screen as QTR_JOURNEY_SHOTS\name.bmp when that variable is set.
void SaveJourneyShot(const std::wstring& name);

}  // namespace qtr::test
