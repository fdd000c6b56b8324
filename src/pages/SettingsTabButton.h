// One of the Setting page's four tab buttons: owner-drawn, the selected one
// filled in the accent colour, its text in the page's tab font.
#pragma once
#include <windows.h>

#include "widgets/OwnerDrawn.h"

namespace qtr {

class SettingsTabButton : public OwnerDrawn {
 public:
  SettingsTabButton() = default;
  ~SettingsTabButton() override;
  SettingsTabButton(const SettingsTabButton&) = delete;
  SettingsTabButton& operator=(const SettingsTabButton&) = delete;

  bool Attach(HWND button);
  void SetSelected(bool selected);
  bool Selected() const { return selected_; }
  HWND Handle() const { return hwnd_; }
  void Draw(const DRAWITEMSTRUCT& item) override;

 private:
  HWND hwnd_ = nullptr;
  bool selected_ = false;
};

}  // namespace qtr
