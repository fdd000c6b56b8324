// A stand-in for the logon-bound seal of UserDataProtection in tests.
#pragma once
#include <string>
#include <string_view>

#include "platform/SystemError.h"
#include "platform/UserDataProtection.h"

namespace qtr::test {

// Seals for one named user: the bytes are scrambled and tagged with the
// user and purpose, with a sum over everything, as a logon-bound seal would
// refuse another user, another purpose or a changed byte.
class TestProtection final : public UserDataProtection {
 public:
  explicit TestProtection(std::string user) : user_(std::move(user)) {}
  uint32_t Protect(std::string_view plain, std::string_view purpose, std::string* sealed) override {
    if (failing) return kErrorAccessDenied;
    std::string body = Tag(purpose);
    for (char c : plain) body.push_back(static_cast<char>(c ^ 0x5A));
    body.push_back(Sum(body));
    *sealed = body;
    return 0;
  }
  uint32_t Unprotect(std::string_view sealed, std::string_view purpose, std::string* plain) override {
    const std::string tag = Tag(purpose);
    if (sealed.size() < tag.size() + 1 || sealed.substr(0, tag.size()) != tag ||
        Sum(sealed.substr(0, sealed.size() - 1)) != sealed.back())
      return kErrorInvalidData;
    plain->clear();
    for (char c : sealed.substr(tag.size(), sealed.size() - tag.size() - 1))
      plain->push_back(static_cast<char>(c ^ 0x5A));
    return 0;
  }
  bool failing = false;

 private:
  std::string Tag(std::string_view purpose) const { return user_ + "|" + std::string(purpose) + "|"; }
  static char Sum(std::string_view bytes) {
    unsigned sum = 7;
    for (char c : bytes) sum = sum * 31 + static_cast<unsigned char>(c);
    return static_cast<char>(sum);
  }
  std::string user_;
};

}  // namespace qtr::test
