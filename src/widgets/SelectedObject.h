// An object selected into a device context for one scope: what it replaced
// goes back into the context when the scope ends. Declare it after the
// object it selects, so the object is put back out before it is deleted.
#pragma once
#include <windows.h>

namespace qtr {

class SelectedObject {
 public:
  SelectedObject(HDC dc, HGDIOBJ object) : dc_(dc), previous_(SelectObject(dc, object)) {}
  ~SelectedObject() { SelectObject(dc_, previous_); }
  SelectedObject(const SelectedObject&) = delete;
  SelectedObject& operator=(const SelectedObject&) = delete;

  // Selects another object of the same kind; the first one replaced is
  // still the one put back at the end.
  void Select(HGDIOBJ object) const { SelectObject(dc_, object); }

 private:
  HDC dc_;
  HGDIOBJ previous_;
};

}  // namespace qtr
