// What the OK buttons of the password dialogs do, apart from drawing: which
// message to show, which fields to empty, whether the dialog stays open, and
// the record written to the disk.
#pragma once
#include <optional>
#include <string>

#include "config/LanguageText.h"
#include "devices/UsbDevice.h"

namespace qtr {

namespace password_text {
inline constexpr TextId kError = TextId::Error;
inline constexpr TextId kPromptTitle = TextId::PromptTitle;
inline constexpr TextId kTwiceInputNotSame = TextId::TwiceInputNotSame;
inline constexpr TextId kOldPasswordError = TextId::OldPasswordError;
inline constexpr TextId kPasswordSetFiled = TextId::PasswordSetFiled;
inline constexpr TextId kPasswordSetSuccess = TextId::PasswordSetSuccess;
inline constexpr TextId kPasswordError = TextId::PasswordError;
inline constexpr TextId kPasswordTooLong = TextId::PasswordTooLong;
inline constexpr TextId kPasswordBadCharacters = TextId::PasswordBadCharacters;
inline constexpr TextId kPasswordUnsupported = TextId::PasswordUnsupported;
}  // namespace password_text

struct PasswordSetInput {
  bool diskMode = true;    // opened for a disk
  bool resetMode = false;  // the disk already has a password: the old one is asked
  std::u16string oldPassword;
  std::u16string newPassword;
  std::u16string newPasswordAgain;
};

// The outcome of OK in the password-setting dialog.
struct PasswordSetOutcome {
  std::optional<TextId> message;  // shown in the confirmation window
  std::optional<TextId> title;
  bool clearNewFields = false;  // empty both new fields, focus the first
  bool clearOldField = false;   // empty the old field and focus it
  bool closeDialog = false;     // close with OK
};

// Runs OK of the password-setting dialog against device: checks the entries,
// writes the new record and updates the device's copy and unlocked flag.
PasswordSetOutcome ApplyPasswordSet(const PasswordSetInput& input, CUSBDevice* device);

// The disk entries of the management tree's menu, by command id.
inline constexpr int kMenuSetPassword = 100;
inline constexpr int kMenuLock = 101;
inline constexpr int kMenuResetPassword = 102;
struct PasswordMenuState {
  bool setEnabled = false;    // the disk has no password and room for one
  bool lockEnabled = false;   // it has one and is unlocked
  bool resetEnabled = false;  // it has one and its sector may be written
};
PasswordMenuState PasswordMenuFor(const CUSBDevice& device);

// The lock command: the password is asked again before the disk is used.
inline void LockDisk(CUSBDevice& device) {
  device.m_unlocked = 0;
}

// OK of the password prompt: true (and m_unlocked = 1) when input is the
// stored password, compared exactly; an empty input never matches. On false
// the dialog shows password_text::kPasswordError and stays open.
bool VerifyDiskPassword(CUSBDevice& device, const std::u16string& input);

}  // namespace qtr
