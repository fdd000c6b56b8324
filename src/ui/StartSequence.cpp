#include "ui/StartSequence.h"

#include "config/LanguageText.h"
#include "platform/NumberText.h"

namespace qtr {
namespace {

void ReplaceAll(std::u16string& text, std::u16string_view what, const std::u16string& with) {
  for (size_t at = text.find(what); at != std::u16string::npos; at = text.find(what, at + with.size()))
    text.replace(at, what.size(), with);
}

}  // namespace

std::u16string CollapsedDiskName(const std::u16string& displayName) {
  std::u16string name;
  for (char16_t c : displayName) {
    if (c == u' ' && (name.empty() || name.back() == u' ')) continue;
    name.push_back(c);
  }
  while (!name.empty() && name.back() == u' ') name.pop_back();
  return name;
}

std::u16string ShownDiskName(const std::u16string& displayName, int number) {
  std::u16string name = CollapsedDiskName(displayName);
  if (!name.empty()) name.push_back(u' ');
  return name + u"#" + DecimalText(number);
}

Question DiskCopyQuestion(const std::u16string& sourceName, int sourceNumber, const std::u16string& targetName,
                          int targetNumber) {
  // Numbered places, so that a translation may name the disks in its own order.
  std::u16string text = DisplayText(TextId::DiskCopyPrompt);
  ReplaceAll(text, u"%1", ShownDiskName(sourceName, sourceNumber));
  ReplaceAll(text, u"%2", ShownDiskName(targetName, targetNumber));
  return {DisplayText(TextId::Title), text, false};
}

StartResult StartSequence::Abandon(StartResult result) {
  state_.EndJob();
  return result;
}

StartResult StartSequence::Refuse(TextId title, TextId message) {
  world_.Ask({DisplayText(title), DisplayText(message), false});
  return Abandon(StartResult::Refused);
}

bool StartSequence::FileBackupChecksPass(bool checkUsable) {
  const auto tell = [this](TextId message) {
    world_.Ask({DisplayText(TextId::PromptTitle), DisplayText(message), false});
    return false;
  };
  if (world_.SourceNothingSelected()) return tell(TextId::ChoseBackupFile);
  // A partition of a locked disk is no target until its password was entered.
  if (world_.TargetText().empty() || world_.TargetLocked()) return tell(TextId::ChoseDestDisk);
  if (checkUsable && world_.TargetNotUsable()) return tell(TextId::VolumNotFormat);
  return true;
}

StartResult StartSequence::HandOver(const JobStart& start) {
  state_.confirmationShowing = false;
  state_.fromOutside = false;
  if (!world_.HandOver(start)) {
    state_.quickLaunch = false;
    return Abandon(StartResult::Failed);
  }
  return StartResult::Started;
}

StartResult StartSequence::StartBackup() {
  // A restore counts as busy too: its job must not be joined by a backup.
  if (Held()) {
    // A press from outside that came to nothing leaves no trace for the next start.
    if (!state_.busy) state_.fromOutside = false;
    return StartResult::Ignored;
  }
  state_.confirmationShowing = true;
  state_.busy = true;
  state_.triggerKind = TriggerKind::Backup;

  const ModeDecision mode =
      DecideStartMode(world_.SourceFilesSelected(), world_.SourceDisk(), world_.TargetDisk());
  JobStart start;
  start.target = world_.TargetText();
  start.unattended = state_.fromOutside;
  start.trigger = state_.fromOutside ? state_.outsideTrigger : JobTrigger::kButton;
  if (mode.mode == StartMode::Stop) return Refuse(TextId::PromptTitle, *mode.message);
  if (mode.mode == StartMode::DiskCopy) {
    // A locked disk is read or written only once its password was entered.
    for (const int disk : {world_.SourceDisk(), world_.TargetDisk()})
      if (world_.DiskLocked(disk)) {
        std::u16string text = DisplayText(TextId::DiskCopyLocked);
        ReplaceAll(text, u"%1", ShownDiskName(world_.DiskName(disk), disk));
        world_.Ask({DisplayText(disk_copy_text::kTitle), text, false});
        return Abandon(StartResult::Refused);
      }
    const CopyStartCheck check = world_.CheckDiskCopy(world_.SourceDisk(), world_.TargetDisk());
    if (!check.start) {
      if (check.message) return Refuse(disk_copy_text::kTitle, *check.message);
      return Abandon(StartResult::Refused);
    }
    start.kind = JobStart::Kind::DiskCopy;
    start.sourceIndex = check.sourceIndex;
    start.targetIndex = check.targetIndex;
    // The copy has no partition for a target: a drive that goes stops it not.
    start.target.clear();
  } else if (!FileBackupChecksPass(true)) {
    return Abandon(StartResult::Refused);
  }

  bool confirmed = false;
  if (start.kind == JobStart::Kind::DiskCopy) {
    // It erases the target disk: only a person says yes to that, never a countdown or a press.
    confirmed = world_.ConfirmByPerson(DiskCopyQuestion(world_.DiskName(world_.SourceDisk()), world_.SourceDisk(),
                                                        world_.DiskName(world_.TargetDisk()), world_.TargetDisk()));
  } else {
    // The Backup button counts down; a press from outside was a decision already.
    confirmed = world_.Confirm({DisplayText(TextId::Title), DisplayText(TextId::Prompt), !state_.fromOutside});
  }
  state_.fromOutside = false;
  if (!confirmed) return Abandon(StartResult::Cancelled);
  return HandOver(start);
}

StartResult StartSequence::ScheduledStart() {
  // A start already asking (or a job running) keeps the field: one job at a time.
  if (Held()) return StartResult::Ignored;
  state_.confirmationShowing = true;
  state_.busy = true;
  if (!FileBackupChecksPass(true)) return Abandon(StartResult::Refused);
  state_.triggerKind = TriggerKind::Scheduled;
  if (!world_.Confirm({DisplayText(TextId::Title), DisplayText(TextId::Prompt), false}))
    return Abandon(StartResult::Cancelled);
  JobStart start;
  start.target = world_.TargetText();
  start.unattended = true;
  start.trigger = JobTrigger::kSchedule;
  return HandOver(start);
}

StartResult StartSequence::QuickLaunch() {
  // Never a second job while one runs or is being started.
  if (Held()) return StartResult::Ignored;
  state_.confirmationShowing = true;
  state_.busy = true;
  if (!FileBackupChecksPass(true)) return Abandon(StartResult::Refused);
  state_.triggerKind = TriggerKind::QuickLaunch;
  if (world_.MakeSureOn() && !world_.Confirm({DisplayText(TextId::PromptTitle),
                                              DisplayText(TextId::QuickActivePoupPromptInfo), true}))
    return Abandon(StartResult::Cancelled);
  state_.quickLaunch = true;
  JobStart start;
  start.quickLaunch = true;
  start.unattended = true;
  start.trigger = JobTrigger::kQuickActivate;
  start.target = world_.TargetText();
  return HandOver(start);
}

StartResult StartSequence::StartRestore() {
  if (Held()) return StartResult::Ignored;
  state_.restore = true;
  state_.busy = true;
  // Without a store to restore from there is nothing more to ask.
  if (!world_.TargetTreeHasRoot()) return Refuse(TextId::PromptTitle, TextId::NoRestoreDisk);
  state_.triggerKind = TriggerKind::Restore;
  if (world_.TargetRootUnchecked() || world_.TargetEntries() <= 0 || world_.TargetText().empty())
    return Refuse(TextId::PromptTitle, TextId::ChoseFilePrompt);
  if (world_.TargetLocked()) return Refuse(TextId::PromptTitle, TextId::ChoseDestDisk);
  if (!world_.Ask({DisplayText(TextId::RestoreTipTitle), DisplayText(TextId::RestoreTipMessage), false}))
    return Abandon(StartResult::Cancelled);
  JobStart start;
  start.kind = JobStart::Kind::Restore;
  start.target = world_.TargetText();
  return HandOver(start);
}

StartResult StartSequence::StartVerify() {
  // One job at a time: a verify waits for a backup or restore to end, and the other way round.
  if (Held()) return StartResult::Ignored;
  state_.busy = true;
  state_.triggerKind = TriggerKind::Backup;
  JobStart start;
  start.kind = JobStart::Kind::Verify;
  start.target = world_.TargetText();
  if (start.target.empty() || world_.TargetLocked()) return Refuse(TextId::PromptTitle, TextId::ChoseDestDisk);
  return HandOver(start);
}

}  // namespace qtr
