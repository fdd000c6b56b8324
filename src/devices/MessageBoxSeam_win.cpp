#include <windows.h>

#include <string>

#include "devices/Win32DeviceSystem.h"

namespace qtr {
namespace {

class MessageBoxSeam final : public MessageSeam {
 public:
  void ShowPlainMessage(std::u16string_view text) override {
    const std::wstring wide(text.begin(), text.end());
    MessageBoxW(nullptr, wide.c_str(), nullptr, MB_OK);
  }
};

}  // namespace

std::unique_ptr<MessageSeam> MakeMessageBoxSeam() {
  return std::make_unique<MessageBoxSeam>();
}

}  // namespace qtr
