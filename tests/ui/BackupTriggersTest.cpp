#include "ui/BackupTriggers.h"

#include <gtest/gtest.h>

#include <string>

namespace qtr {
namespace {

// Records what the triggers do; the schedule reads `settings` at `now`.
class FakeTriggerWindow : public TriggerWindow {
 public:
  std::string done;
  bool pressed = false;
  bool questionOpen = false;
  LocalTime now{2026, 3, 4, 3, 9, 5, 0};  // a Wednesday
  std::string settings = "<Setting><Wednesday IsSet=\"1\" Timing=\"09:05\"/></Setting>";
  PageBoxState* state = nullptr;

  void ShowMainWindow() override { done += "show;"; }
  void SwitchToBackUpPage() override { done += "page;"; }
  void StartBackup() override {
    if (!state->fromOutside) {
      done += "start;";
    } else {
      done += state->outsideTrigger == JobTrigger::kHotKey ? "start(hotkey);" : "start(enclosure);";
    }
  }
  void ScheduledStart() override { done += "scheduled;"; }
  bool ConfirmOpenQuestion() override {
    done += "confirm;";
    return questionOpen;
  }
  bool PasswordPromptOpen() override { return promptOpen; }
  bool promptOpen = false;
  bool TakeEnclosurePress() override {
    const bool was = pressed;
    pressed = false;
    return was;
  }
  LocalTime Now() override { return now; }
  void LoadSettings(XmlDocument& doc) override { doc.LoadBytes(settings); }
};

class BackupTriggersTest : public testing::Test {
 protected:
  void SetUp() override {
    window_.state = &state_;
    window_.settings = "<Setting/>";
  }
  PageBoxState state_;
  FakeTriggerWindow window_;
  BackupTriggers triggers_{state_, window_};
};

TEST_F(BackupTriggersTest, HotKeyShowsTheWindowOnFileBackupAndStartsFromOutside) {
  triggers_.OnHotKey();
  EXPECT_EQ(window_.done, "show;page;start(hotkey);");
}

TEST_F(BackupTriggersTest, HotKeyDoesNothingWhileBusyOrRestoring) {
  state_.busy = true;
  triggers_.OnHotKey();
  state_.busy = false;
  state_.restore = true;
  triggers_.OnHotKey();
  EXPECT_EQ(window_.done, "");
  EXPECT_FALSE(state_.fromOutside);
}

TEST_F(BackupTriggersTest, FirstPressStartsAndASecondPressWhileAskingConfirms) {
  window_.pressed = true;
  triggers_.OnTick();
  EXPECT_EQ(window_.done, "show;page;start(enclosure);");
  EXPECT_FALSE(window_.pressed);  // the flag is taken
  window_.done.clear();
  state_.busy = state_.confirmationShowing = true;
  window_.pressed = true;
  triggers_.OnTick();
  EXPECT_EQ(window_.done, "confirm;");
}

TEST_F(BackupTriggersTest, PressesStayUntakenWhileAJobRunsOrARestoreAsks) {
  window_.pressed = true;
  state_.busy = true;  // a job runs
  triggers_.OnTick();
  state_.busy = false;
  state_.restore = true;
  triggers_.OnTick();
  EXPECT_EQ(window_.done, "");
  EXPECT_TRUE(window_.pressed);
}

TEST_F(BackupTriggersTest, ScheduleIsLookedAtAfterTheButtonAndOnlyWhileFree) {
  window_.settings = "<Setting><Wednesday IsSet=\"1\" Timing=\"09:05\"/></Setting>";
  window_.pressed = true;
  triggers_.OnTick();
  EXPECT_EQ(window_.done, "show;page;start(enclosure);scheduled;");

  // A restore or a running job lets the minute pass.
  PageBoxState restoring;
  restoring.restore = true;
  FakeTriggerWindow other;
  other.state = &restoring;
  BackupTriggers whileRestoring(restoring, other);
  whileRestoring.OnTick();
  restoring.restore = false;
  restoring.busy = true;
  whileRestoring.OnTick();
  EXPECT_EQ(other.done, "");
  EXPECT_FALSE(whileRestoring.Schedule().FiredOnce());
}

TEST_F(BackupTriggersTest, APasswordPromptUsesUpPressesAndHoldsTheHotKeyAndTheSchedule) {
  window_.settings = "<Setting><Wednesday IsSet=\"1\" Timing=\"09:05\"/></Setting>";
  window_.promptOpen = true;
  for (int press = 0; press < 2; ++press) {
    window_.pressed = true;
    triggers_.OnTick();
    EXPECT_FALSE(window_.pressed) << "a press is not kept for after the prompt";
  }
  triggers_.OnHotKey();
  EXPECT_EQ(window_.done, "");
  EXPECT_FALSE(triggers_.Schedule().FiredOnce());
  window_.promptOpen = false;
  triggers_.OnTick();
  EXPECT_EQ(window_.done, "scheduled;") << "the minute is still due once the prompt has gone";
}

}  // namespace
}  // namespace qtr
