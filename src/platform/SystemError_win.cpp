#include "platform/SystemError.h"

#include <windows.h>

namespace qtr {

std::u16string SystemErrorMessage(uint32_t code) {
  if (code == kErrorLinkNotFollowed) return kLinkNotFollowedText;
  wchar_t* buffer = nullptr;
  const DWORD n = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
      code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  std::u16string text;
  if (n != 0 && buffer != nullptr) text.assign(reinterpret_cast<const char16_t*>(buffer), n);
  LocalFree(buffer);
  while (!text.empty() && (text.back() == u'\n' || text.back() == u'\r' || text.back() == u' '))
    text.pop_back();
  if (text.empty()) text = u"Unknown error";
  return text;
}

}  // namespace qtr
