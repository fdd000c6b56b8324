// A dialog built from a .rc template. One dialog procedure stores the object
// at WM_INITDIALOG and hands the messages to virtual handlers, so a real
// dialog is a small class that overrides what it needs.
#pragma once
#include <windows.h>

#include <string>

namespace qtr {

class Dialog {
 public:
  explicit Dialog(UINT templateId) : templateId_(templateId) {}
  virtual ~Dialog();
  Dialog(const Dialog&) = delete;
  Dialog& operator=(const Dialog&) = delete;

  // Runs the dialog modally; returns the code given to EndModal, or -1.
  // While a dialog ends with its nested ones it shows nothing and returns IDCANCEL.
  INT_PTR RunModal(HWND owner);
  // The program ends with this modal dialog: every modal dialog opened while
  // it runs is ended with IDCANCEL, innermost first, and none opens after, so
  // that no question is left on an empty desktop and the loops unwind.
  void EndWithNestedModals(INT_PTR code);
  // Creates the dialog without a loop of its own; the dialog destroys its window with the object.
  bool CreateModeless(HWND owner);

  HWND Handle() const { return hwnd_; }
  HWND Item(int id) const { return GetDlgItem(hwnd_, id); }
  std::wstring ItemText(int id) const;
  void SetItemText(int id, const std::wstring& text) const { SetDlgItemTextW(hwnd_, id, text.c_str()); }
  void EndModal(INT_PTR code);

 protected:
  // Each handler returns true when it handled the message.
  virtual bool OnInit() { return true; }
  virtual bool OnCommand(int /*id*/, int /*code*/, HWND /*control*/) { return false; }
  virtual bool OnNotify(int /*id*/, NMHDR* /*header*/, LRESULT& /*result*/) { return false; }
  virtual bool OnTimer(UINT_PTR /*id*/) { return false; }
  // Everything else; result is what the dialog procedure hands back for the message.
  virtual bool OnMessage(UINT /*message*/, WPARAM /*w*/, LPARAM /*l*/, INT_PTR& /*result*/) { return false; }
  // Called when the window is gone; the object may be reused afterwards.
  virtual void OnDestroyed() {}

 private:
  static INT_PTR CALLBACK Procedure(HWND hwnd, UINT message, WPARAM w, LPARAM l);
  INT_PTR Dispatch(UINT message, WPARAM w, LPARAM l);

  UINT templateId_;
  HWND hwnd_ = nullptr;
  bool modal_ = false;
};

}  // namespace qtr
