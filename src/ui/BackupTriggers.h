// How the hotkey, the enclosure's push button and the weekly schedule turn
// into backup starts: the hotkey and a first press show the window on the
// File Backup page and start a backup; a press while that start asks
// confirms it; the schedule is looked at on every page tick after the
// button.
#pragma once
#include "ui/LocalTime.h"
#include "ui/PageBoxState.h"
#include "ui/ScheduleCheck.h"
#include "xml/XmlDocument.h"

namespace qtr {

// What the triggers do through the windows and read from the system.
class TriggerWindow {
 public:
  virtual void ShowMainWindow() = 0;
  virtual void SwitchToBackUpPage() = 0;
  virtual void StartBackup() = 0;
  virtual void ScheduledStart() = 0;
  // Closes the start confirmation that is shown as confirmed; false when none is.
  virtual bool ConfirmOpenQuestion() = 0;
  // Takes the enclosure-button flag: true once per press.
  virtual bool TakeEnclosurePress() = 0;
  // A password prompt of a disk is open: no trigger starts anything meanwhile.
  virtual bool PasswordPromptOpen() = 0;
  virtual LocalTime Now() = 0;
  // The settings file as it is now; empty when it does not load.
  virtual void LoadSettings(XmlDocument& settings) = 0;

 public:
  virtual ~TriggerWindow() = default;
};

class BackupTriggers {
 public:
  BackupTriggers(PageBoxState& state, TriggerWindow& window) : state_(state), window_(window) {}

  void OnHotKey();
  // Every 200 ms: the enclosure button, then the schedule.
  void OnTick();
  const ScheduleDueCheck& Schedule() const { return schedule_; }

 private:
  void StartFromOutside(JobTrigger trigger);
  void ConsumeEnclosureButton();
  void CheckSchedule();

  PageBoxState& state_;
  TriggerWindow& window_;
  ScheduleDueCheck schedule_;
};

}  // namespace qtr
