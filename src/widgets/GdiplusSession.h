// GDI+ is started once for the process and shut down when the session object ends.
#pragma once
#include <windows.h>

#include <basetsd.h>

namespace qtr {

class GdiplusSession {
 public:
  GdiplusSession();
  ~GdiplusSession();
  GdiplusSession(const GdiplusSession&) = delete;
  GdiplusSession& operator=(const GdiplusSession&) = delete;
  bool Ok() const { return token_ != 0; }

 private:
  ULONG_PTR token_ = 0;
};

}  // namespace qtr
