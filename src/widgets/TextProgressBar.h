// A progress bar that writes its percentage in its middle ("42%").
#pragma once
#include <windows.h>

#include <string>

namespace qtr {

// "0%" to "100%"; the percentage of position in range, clamped.
std::wstring PercentText(unsigned long long position, unsigned long long range);

class TextProgressBar {
 public:
  TextProgressBar() = default;
  TextProgressBar(const TextProgressBar&) = delete;
  TextProgressBar& operator=(const TextProgressBar&) = delete;

  // Creates the bar as a child of parent at the given place (client pixels).
  bool Create(HWND parent, int id, const RECT& place);
  HWND Handle() const { return hwnd_; }
  // 0 to 100; repaints only when the value changes.
  void SetPercent(int percent);
  int Percent() const { return percent_; }
  void SetColours(COLORREF bar, COLORREF back, COLORREF text);

 private:
  static LRESULT CALLBACK Procedure(HWND hwnd, UINT message, WPARAM w, LPARAM l);
  void Paint(HDC dc, const RECT& client) const;

  HWND hwnd_ = nullptr;
  int percent_ = 0;
  COLORREF bar_ = RGB(72, 148, 220), back_ = RGB(236, 240, 244), text_ = RGB(20, 30, 40);
};

}  // namespace qtr
