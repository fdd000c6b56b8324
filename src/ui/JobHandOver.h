// How the page container hands a started job to its progress window: what
// is asked before the job changes anything, what is prepared on the program
// folder and the target, and what the window is told. The container carries
// the plan out; it decides none of it.
#pragma once
#include <optional>
#include <string>

#include "platform/FileSystem.h"
#include "ui/Prompter.h"
#include "ui/StartSequence.h"
#include "ui/StoreKeyPrompt.h"

namespace qtr {

struct HandOverPlan {
  // The store's key, asked for first: no key, no job.
  std::optional<StoreKeyUse> storeKey;
  // A backup without encryption: asked before readable copies go into an encrypted store.
  bool askReadable = false;
  // A backup: its start goes into the backup record, the store is hidden or
  // shown as the settings say, and the Setting page's file types are left out.
  bool prepareBackup = false;
  // A restore: the target tree's choice is written where the job reads it.
  bool writeRestoreSelection = false;
  // What the progress window runs and shows while it counts.
  bool backup = true;  // false: a restore or a check
  bool verify = false;
  bool diskCopy = false;
  std::u16string caption;
  // The window takes the Quick Activate page's slot, else the File Backup page's.
  bool quickSlot = false;
};

// encryptedBackup: the setting "SetPassword" is on (read for a backup only).
HandOverPlan PlanHandOver(const JobStart& start, bool encryptedBackup);

enum class ReadableCopies {
  NotAsked,  // the store is not encrypted
  Agreed,    // the person said so in as many words
  Refused,   // the person said no, or nobody was there to say it: no job
};

// A backup without encryption into an encrypted store makes its copies
// readable. A person present is asked; unattended, the job does not start
// and the message says why.
ReadableCopies AskReadableCopies(FileSystem& fs, const std::u16string& target, Prompter& prompter,
                                 bool unattended);

}  // namespace qtr
