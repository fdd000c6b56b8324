#include "ui/JobHandOver.h"

#include "config/LanguageText.h"
#include "engine/StoreKey.h"
#include "engine/StoreLayout.h"
#include "ui/DiskCopyChecks.h"

namespace qtr {

HandOverPlan PlanHandOver(const JobStart& start, bool encryptedBackup) {
  HandOverPlan plan;
  plan.quickSlot = start.quickLaunch;
  switch (start.kind) {
    case JobStart::Kind::Backup:
      if (encryptedBackup)
        plan.storeKey = StoreKeyUse::kEncryptedBackup;
      else
        plan.askReadable = true;
      plan.prepareBackup = true;
      plan.caption = DisplayText(TextId::ProgressBKTitle);
      break;
    case JobStart::Kind::Restore:
      plan.storeKey = StoreKeyUse::kRestore;
      plan.writeRestoreSelection = true;
      plan.backup = false;
      plan.caption = DisplayText(TextId::ProgressRestoreTitle);
      break;
    case JobStart::Kind::DiskCopy:
      plan.diskCopy = true;
      plan.caption = std::u16string(kDiskCopyCaption);
      break;
    case JobStart::Kind::Verify:
      // It only reads the store: no backup record, no selection file, no
      // change of the store's attributes, and the target's free space is no
      // concern. An encrypted store's files are checked only with its key.
      plan.storeKey = StoreKeyUse::kVerify;
      plan.verify = true;
      plan.backup = false;
      plan.caption = DisplayText(TextId::ProgressVerifyTitle);
      break;
  }
  return plan;
}

ReadableCopies AskReadableCopies(FileSystem& fs, const std::u16string& target, Prompter& prompter,
                                 bool unattended) {
  if (!StoreIsEncrypted(fs, StoreRootOf(target))) return ReadableCopies::NotAsked;
  if (unattended) {
    prompter.Ask({DisplayText(TextId::PromptTitle), DisplayText(TextId::StoreReadableUnattended)});
    return ReadableCopies::Refused;
  }
  const bool agreed = prompter.Ask({DisplayText(TextId::PromptTitle), DisplayText(TextId::StoreReadableQuestion)});
  return agreed ? ReadableCopies::Agreed : ReadableCopies::Refused;
}

}  // namespace qtr
