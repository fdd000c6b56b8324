#include "ui/BackupTriggers.h"

namespace qtr {

void BackupTriggers::StartFromOutside(JobTrigger trigger) {
  window_.ShowMainWindow();
  state_.fromOutside = true;
  state_.outsideTrigger = trigger;
  window_.SwitchToBackUpPage();
  window_.StartBackup();
}

void BackupTriggers::OnHotKey() {
  if (!state_.Idle() || window_.PasswordPromptOpen()) return;
  StartFromOutside(JobTrigger::kHotKey);
}

void BackupTriggers::ConsumeEnclosureButton() {
  if (state_.restore) return;
  if (state_.busy && !state_.confirmationShowing) return;
  if (!window_.TakeEnclosurePress()) return;
  // A press while a password is asked is used up: it neither starts nor
  // confirms anything, then or later.
  if (window_.PasswordPromptOpen()) return;
  // A second press confirms the start the first one began.
  if (state_.confirmationShowing) {
    window_.ConfirmOpenQuestion();
    return;
  }
  StartFromOutside(JobTrigger::kEnclosureButton);
}

void BackupTriggers::CheckSchedule() {
  if (state_.restore) return;
  if (state_.busy && !state_.confirmationShowing) return;
  // The minute is looked at again once the prompt has gone.
  if (window_.PasswordPromptOpen()) return;
  XmlDocument settings;
  window_.LoadSettings(settings);
  if (schedule_.Due(window_.Now(), settings)) window_.ScheduledStart();
}

void BackupTriggers::OnTick() {
  ConsumeEnclosureButton();
  CheckSchedule();
}

}  // namespace qtr
