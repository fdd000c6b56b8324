#include "ui/PasswordRules.h"

namespace qtr {
namespace {

PasswordSetOutcome ErrorOutcome(TextId message) {
  PasswordSetOutcome outcome;
  outcome.message = message;
  outcome.title = password_text::kError;
  return outcome;
}

// The disk's password sector is (or may be) inside a partition: nothing
// can be written there, and asking again would not change that.
PasswordSetOutcome UnsupportedOutcome() {
  PasswordSetOutcome outcome;
  outcome.message = password_text::kPasswordUnsupported;
  outcome.title = password_text::kPromptTitle;
  outcome.closeDialog = true;
  return outcome;
}

}  // namespace

PasswordSetOutcome ApplyPasswordSet(const PasswordSetInput& input, CUSBDevice* device) {
  using namespace password_text;
  if (input.newPassword != input.newPasswordAgain) {
    PasswordSetOutcome outcome = ErrorOutcome(kTwiceInputNotSame);
    outcome.clearNewFields = true;
    return outcome;
  }
  // Opened without a disk (from the settings page) there is nothing to store.
  if (!input.diskMode || device == nullptr) return {};
  if (!device->m_passwordSectorFree) return UnsupportedOutcome();
  if (input.resetMode && input.oldPassword != StoredPassword(device->m_passwordRecord)) {
    PasswordSetOutcome outcome = ErrorOutcome(kOldPasswordError);
    outcome.clearOldField = true;
    return outcome;
  }
  PasswordRecord record{};
  switch (BuildPasswordRecord(input.newPassword, record)) {
    case PasswordEncoding::Ok: break;
    case PasswordEncoding::TooLong: {
      PasswordSetOutcome outcome = ErrorOutcome(kPasswordTooLong);
      outcome.clearNewFields = true;
      return outcome;
    }
    case PasswordEncoding::NotRepresentable: {
      PasswordSetOutcome outcome = ErrorOutcome(kPasswordBadCharacters);
      outcome.clearNewFields = true;
      return outcome;
    }
  }
  PasswordSetOutcome outcome;
  outcome.title = kPromptTitle;
  switch (device->WritePasswordRecord(record)) {
    case CUSBDevice::RecordWrite::OpenFailed: outcome.message = kPasswordSetFiled; return outcome;
    case CUSBDevice::RecordWrite::Written:
      outcome.message = kPasswordSetSuccess;
      device->m_passwordRecord = record;
      break;
    case CUSBDevice::RecordWrite::Failed: outcome.message = kPasswordSetFiled; break;
    case CUSBDevice::RecordWrite::Unsupported: return UnsupportedOutcome();
  }
  device->m_unlocked = 0;
  outcome.closeDialog = true;
  return outcome;
}

PasswordMenuState PasswordMenuFor(const CUSBDevice& device) {
  const bool hasPassword = HasPassword(device.m_passwordRecord);
  const bool writable = device.m_passwordSectorFree;
  return {!hasPassword && writable, hasPassword && device.m_unlocked != 0, hasPassword && writable};
}

bool VerifyDiskPassword(CUSBDevice& device, const std::u16string& input) {
  if (input.empty() || input != StoredPassword(device.m_passwordRecord)) return false;
  device.m_unlocked = 1;
  return true;
}

}  // namespace qtr
