#include "ui/StartSequence.h"

#include <gtest/gtest.h>

#include <vector>

namespace qtr {
namespace {

// A File Backup page with one partition chosen and one folder ticked; each
// test changes what it needs. Every question is recorded and answered with
// `answer`.
class FakeWorld : public StartWorld {
 public:
  bool filesSelected = true, nothingSelected = false;
  int sourceDisk = -1, targetDisk = -1;
  std::u16string target = u"F:";
  int entries = 1;
  bool notUsable = false, hasRoot = true, rootUnchecked = false, makeSure = false;
  bool answer = true;
  bool handOverWorks = true;
  bool promptOpen = false, targetLocked = false;
  CopyStartCheck copyCheck{true, 0, 1, std::nullopt};
  std::vector<Question> confirmations, asked, personOnly;
  std::vector<JobStart> handedOver;
  // The state as the world saw it while a question was up.
  PageBoxState* state = nullptr;
  std::vector<PageBoxState> stateWhileAsking;

  bool SourceFilesSelected() override { return filesSelected; }
  bool SourceNothingSelected() override { return nothingSelected; }
  int SourceDisk() override { return sourceDisk; }
  int TargetDisk() override { return targetDisk; }
  std::u16string TargetText() override { return target; }
  int TargetEntries() override { return entries; }
  bool TargetNotUsable() override { return notUsable; }
  bool TargetTreeHasRoot() override { return hasRoot; }
  bool TargetRootUnchecked() override { return rootUnchecked; }
  bool MakeSureOn() override { return makeSure; }
  bool PasswordPromptOpen() override { return promptOpen; }
  bool DiskLocked(int number) override { return number == lockedDisk; }
  int lockedDisk = -1;
  bool TargetLocked() override { return targetLocked; }
  std::u16string DiskName(int number) override { return number == 4 ? u"WDC     Passport" : u"Seagate Vault   "; }
  bool ConfirmByPerson(const Question& q) override {
    personOnly.push_back(q);
    return answer;
  }
  bool Confirm(const Question& q) override {
    confirmations.push_back(q);
    if (state) stateWhileAsking.push_back(*state);
    return answer;
  }
  bool Ask(const Question& q) override {
    asked.push_back(q);
    if (state) stateWhileAsking.push_back(*state);
    return answer;
  }
  CopyStartCheck CheckDiskCopy(int, int) override { return copyCheck; }
  bool HandOver(const JobStart& start) override {
    handedOver.push_back(start);
    return handOverWorks;
  }
};

class StartSequenceTest : public testing::Test {
 protected:
  void SetUp() override { world_.state = &state_; }
  PageBoxState state_;
  FakeWorld world_;
  StartSequence sequence_{state_, world_};

  void ExpectIdle() {
    EXPECT_FALSE(state_.busy);
    EXPECT_FALSE(state_.confirmationShowing);
    EXPECT_FALSE(state_.restore);
    EXPECT_FALSE(state_.fromOutside);
    EXPECT_TRUE(world_.handedOver.empty());
  }
  void ExpectOneMessage(const std::u16string& title, const std::u16string& message) {
    ASSERT_EQ(world_.asked.size(), 1u);
    EXPECT_EQ(world_.asked[0].title, title);
    EXPECT_EQ(world_.asked[0].message, message);
    EXPECT_TRUE(world_.confirmations.empty());
  }
};

TEST_F(StartSequenceTest, BackupButtonAsksWithCountdownAndHandsOverAFileBackup) {
  EXPECT_EQ(sequence_.StartBackup(), StartResult::Started);
  ASSERT_EQ(world_.confirmations.size(), 1u);
  EXPECT_EQ(world_.confirmations[0].title, u"File Backup");
  EXPECT_EQ(world_.confirmations[0].message, u"Start backup now ?");
  EXPECT_TRUE(world_.confirmations[0].countdown);
  // Busy and checking while the question is up.
  EXPECT_TRUE(world_.stateWhileAsking[0].busy);
  EXPECT_TRUE(world_.stateWhileAsking[0].confirmationShowing);
  ASSERT_EQ(world_.handedOver.size(), 1u);
  EXPECT_EQ(world_.handedOver[0].kind, JobStart::Kind::Backup);
  EXPECT_EQ(world_.handedOver[0].target, u"F:");
  EXPECT_FALSE(world_.handedOver[0].quickLaunch);
  // The job runs: busy, but no longer asking, so the schedule and the button leave it alone.
  EXPECT_TRUE(state_.busy);
  EXPECT_FALSE(state_.confirmationShowing);
  EXPECT_EQ(state_.triggerKind, TriggerKind::Backup);
}

TEST_F(StartSequenceTest, StartFromOutsideAsksWithoutCountdownOnce) {
  state_.fromOutside = true;
  world_.answer = false;
  EXPECT_EQ(sequence_.StartBackup(), StartResult::Cancelled);
  ASSERT_EQ(world_.confirmations.size(), 1u);
  EXPECT_FALSE(world_.confirmations[0].countdown);
  ExpectIdle();
  // The next Backup button press counts down again.
  world_.answer = true;
  sequence_.StartBackup();
  EXPECT_TRUE(world_.confirmations[1].countdown);
}

TEST_F(StartSequenceTest, EachStartNamesWhatStartedIt) {
  const auto trigger = [this] { return world_.handedOver.back().trigger; };
  const auto end = [this] { state_.EndJob(); };
  sequence_.StartBackup();
  EXPECT_EQ(trigger(), JobTrigger::kButton);
  end();
  state_.fromOutside = true;
  state_.outsideTrigger = JobTrigger::kEnclosureButton;
  sequence_.StartBackup();
  EXPECT_EQ(trigger(), JobTrigger::kEnclosureButton);
  end();
  state_.fromOutside = true;
  state_.outsideTrigger = JobTrigger::kHotKey;
  sequence_.StartBackup();
  EXPECT_EQ(trigger(), JobTrigger::kHotKey);
  end();
  sequence_.StartBackup();
  EXPECT_EQ(trigger(), JobTrigger::kButton) << "a press from outside is used once";
  end();
  sequence_.ScheduledStart();
  EXPECT_EQ(trigger(), JobTrigger::kSchedule);
  end();
  sequence_.QuickLaunch();
  EXPECT_EQ(trigger(), JobTrigger::kQuickActivate);
  EXPECT_EQ(world_.handedOver.size(), 6u);
}

TEST_F(StartSequenceTest, FileBackupChecksShowTheirMessageInOrderAndStartNothing) {
  world_.nothingSelected = true;
  world_.target.clear();
  EXPECT_EQ(sequence_.StartBackup(), StartResult::Refused);
  ExpectOneMessage(u"Tips", u"Please select files for backup!");
  ExpectIdle();

  world_.asked.clear();
  world_.nothingSelected = false;
  EXPECT_EQ(sequence_.StartBackup(), StartResult::Refused);
  ExpectOneMessage(u"Tips", u"Please select target disk for backup!");
  ExpectIdle();

  world_.asked.clear();
  world_.target = u"F:";
  world_.notUsable = true;
  EXPECT_EQ(sequence_.StartBackup(), StartResult::Refused);
  ExpectOneMessage(u"Tips", u"Target partition may not be formatted or be not usable, please reselect!");
  ExpectIdle();
}

TEST_F(StartSequenceTest, WholeDisksChosenDecideBetweenMessagesAndADiskCopy) {
  world_.filesSelected = false;
  world_.targetDisk = 4;
  EXPECT_EQ(sequence_.StartBackup(), StartResult::Refused);
  ExpectOneMessage(u"Tips", u"Please select source disk for backup");

  world_.asked.clear();
  world_.sourceDisk = 4;
  EXPECT_EQ(sequence_.StartBackup(), StartResult::Refused);
  ExpectOneMessage(u"Tips", u"Target disk and Source disk are the same, please reselect!");

  world_.asked.clear();
  world_.targetDisk = -1;
  EXPECT_EQ(sequence_.StartBackup(), StartResult::Refused);
  ExpectOneMessage(u"Tips", u"Please select target disk for backup!");
  ExpectIdle();

  world_.asked.clear();
  world_.targetDisk = 5;
  world_.copyCheck = {false, -1, -1, TextId::SourceDiskIsGreater};
  EXPECT_EQ(sequence_.StartBackup(), StartResult::Refused);
  ExpectOneMessage(u"File Backup",
                   u"Source disk's Capacity is greater than the target disk, please re-select");
  ExpectIdle();

  world_.asked.clear();
  world_.copyCheck = {true, 1, 0, std::nullopt};
  EXPECT_EQ(sequence_.StartBackup(), StartResult::Started);
  ASSERT_EQ(world_.handedOver.size(), 1u);
  EXPECT_EQ(world_.handedOver[0].kind, JobStart::Kind::DiskCopy);
  EXPECT_EQ(world_.handedOver[0].sourceIndex, 1);
  EXPECT_EQ(world_.handedOver[0].targetIndex, 0);
  EXPECT_EQ(world_.handedOver[0].target, u"") << "a drive that goes is none of the copy's business";
}

TEST_F(StartSequenceTest, ADiskCopyIsConfirmedOnlyByAPersonToldWhatItErases) {
  world_.filesSelected = false;
  world_.sourceDisk = 4;
  world_.targetDisk = 5;
  for (bool fromOutside : {false, true}) {
    state_.fromOutside = fromOutside;
    world_.answer = false;
    EXPECT_EQ(sequence_.StartBackup(), StartResult::Cancelled);
    ExpectIdle();
  }
  EXPECT_TRUE(world_.confirmations.empty()) << "no question an enclosure press or a countdown answers";
  ASSERT_EQ(world_.personOnly.size(), 2u);
  for (const Question& q : world_.personOnly) {
    EXPECT_EQ(q.title, u"File Backup");
    EXPECT_EQ(q.message, u"Copy the whole disk WDC Passport #4 onto the disk Seagate Vault #5? "
                         u"Everything on Seagate Vault #5 will be overwritten.");
    EXPECT_FALSE(q.countdown);
  }
}

TEST_F(StartSequenceTest, ADiskCopyFromOrOntoALockedDiskIsRefusedNamingIt) {
  world_.filesSelected = false;
  world_.sourceDisk = 4;
  world_.targetDisk = 5;
  for (int locked : {4, 5}) {
    world_.lockedDisk = locked;
    world_.asked.clear();
    EXPECT_EQ(sequence_.StartBackup(), StartResult::Refused);
    ExpectOneMessage(u"File Backup", locked == 4
                                         ? u"The disk WDC Passport #4 is locked: please enter its password first."
                                         : u"The disk Seagate Vault #5 is locked: please enter its password first.");
    EXPECT_TRUE(world_.personOnly.empty());
    ExpectIdle();
  }
}

TEST_F(StartSequenceTest, NothingStartsWhileAPasswordIsAskedNorOntoALockedDisk) {
  world_.promptOpen = true;
  EXPECT_EQ(sequence_.StartBackup(), StartResult::Ignored);
  EXPECT_EQ(sequence_.ScheduledStart(), StartResult::Ignored);
  EXPECT_EQ(sequence_.QuickLaunch(), StartResult::Ignored);
  EXPECT_EQ(sequence_.StartRestore(), StartResult::Ignored);
  EXPECT_EQ(sequence_.StartVerify(), StartResult::Ignored);
  EXPECT_TRUE(world_.asked.empty());
  EXPECT_TRUE(world_.confirmations.empty());
  ExpectIdle();

  world_.promptOpen = false;
  world_.targetLocked = true;
  EXPECT_EQ(sequence_.StartBackup(), StartResult::Refused);
  EXPECT_EQ(sequence_.QuickLaunch(), StartResult::Refused);
  EXPECT_EQ(sequence_.StartRestore(), StartResult::Refused);
  EXPECT_EQ(sequence_.StartVerify(), StartResult::Refused);
  ASSERT_EQ(world_.asked.size(), 4u);
  for (const Question& q : world_.asked) EXPECT_EQ(q.message, u"Please select target disk for backup!");
  ExpectIdle();
}

TEST_F(StartSequenceTest, NoSecondStartWhileAJobRunsOrARestoreIsUnderWay) {
  ASSERT_EQ(sequence_.StartBackup(), StartResult::Started);
  EXPECT_EQ(sequence_.StartBackup(), StartResult::Ignored);
  EXPECT_EQ(sequence_.QuickLaunch(), StartResult::Ignored);
  EXPECT_EQ(sequence_.ScheduledStart(), StartResult::Ignored);
  EXPECT_EQ(sequence_.StartRestore(), StartResult::Ignored);
  EXPECT_EQ(world_.handedOver.size(), 1u);

  state_.EndJob();
  ASSERT_EQ(sequence_.StartRestore(), StartResult::Started);
  EXPECT_TRUE(state_.restore);
  EXPECT_EQ(sequence_.StartBackup(), StartResult::Ignored);
  EXPECT_EQ(sequence_.QuickLaunch(), StartResult::Ignored);
  EXPECT_EQ(world_.handedOver.size(), 2u);
}

TEST_F(StartSequenceTest, ScheduledStartAsksWithoutCountdownAndIsRefusedWhileAnotherStartAsks) {
  EXPECT_EQ(sequence_.ScheduledStart(), StartResult::Started);
  ASSERT_EQ(world_.confirmations.size(), 1u);
  EXPECT_FALSE(world_.confirmations[0].countdown);
  EXPECT_EQ(state_.triggerKind, TriggerKind::Scheduled);

  // A Backup button confirmation is up when the minute comes: nothing is asked twice.
  state_.EndJob();
  state_.busy = state_.confirmationShowing = true;
  EXPECT_EQ(sequence_.ScheduledStart(), StartResult::Ignored);
  EXPECT_EQ(world_.confirmations.size(), 1u);
  EXPECT_TRUE(state_.busy);
}

TEST_F(StartSequenceTest, ScheduledStartWithoutSelectionOrTargetTellsAndStays) {
  world_.nothingSelected = true;
  EXPECT_EQ(sequence_.ScheduledStart(), StartResult::Refused);
  ExpectOneMessage(u"Tips", u"Please select files for backup!");
  ExpectIdle();
}

TEST_F(StartSequenceTest, QuickLaunchAsksOnlyWithMakeSure) {
  EXPECT_EQ(sequence_.QuickLaunch(), StartResult::Started);
  EXPECT_TRUE(world_.confirmations.empty());
  ASSERT_EQ(world_.handedOver.size(), 1u);
  EXPECT_TRUE(world_.handedOver[0].quickLaunch);
  EXPECT_TRUE(state_.quickLaunch);
  EXPECT_EQ(state_.triggerKind, TriggerKind::QuickLaunch);

  state_.EndJob();
  state_.quickLaunch = false;
  world_.makeSure = true;
  world_.answer = false;
  EXPECT_EQ(sequence_.QuickLaunch(), StartResult::Cancelled);
  ASSERT_EQ(world_.confirmations.size(), 1u);
  EXPECT_EQ(world_.confirmations[0].title, u"Tips");
  EXPECT_EQ(world_.confirmations[0].message, u"Start Quick backup ?");
  EXPECT_TRUE(world_.confirmations[0].countdown);
  EXPECT_FALSE(state_.quickLaunch);
  EXPECT_FALSE(state_.busy);
  EXPECT_EQ(world_.handedOver.size(), 1u);
}

TEST_F(StartSequenceTest, AProgressWindowThatCannotBeMadeLeavesEverythingIdle) {
  world_.handOverWorks = false;
  EXPECT_EQ(sequence_.QuickLaunch(), StartResult::Failed);
  EXPECT_FALSE(state_.busy);
  EXPECT_FALSE(state_.quickLaunch);
  EXPECT_TRUE(state_.Idle());
}

TEST_F(StartSequenceTest, RestoreStopsAfterNoDiskForRestore) {
  world_.hasRoot = false;
  EXPECT_EQ(sequence_.StartRestore(), StartResult::Refused);
  // One message only: the sequence does not go on to the selection check.
  ExpectOneMessage(u"Tips", u"No disk for restore");
  ExpectIdle();
}

TEST_F(StartSequenceTest, RestoreAsksAndACancelClearsTheRestoreFlag) {
  world_.answer = false;
  EXPECT_EQ(sequence_.StartRestore(), StartResult::Cancelled);
  ExpectOneMessage(u"File Restore", u"Restore the selected files?");
  EXPECT_TRUE(world_.stateWhileAsking[0].restore);
  ExpectIdle();

  world_.asked.clear();
  world_.answer = true;
  EXPECT_EQ(sequence_.StartRestore(), StartResult::Started);
  ASSERT_EQ(world_.handedOver.size(), 1u);
  EXPECT_EQ(world_.handedOver[0].kind, JobStart::Kind::Restore);
  EXPECT_EQ(state_.triggerKind, TriggerKind::Restore);
}

TEST_F(StartSequenceTest, RestoreWithoutCheckedItemsOrTargetAsksForFiles) {
  for (int variant = 0; variant < 3; ++variant) {
    world_ = FakeWorld();
    world_.state = &state_;
    if (variant == 0) world_.rootUnchecked = true;
    if (variant == 1) world_.entries = 0;
    if (variant == 2) world_.target.clear();
    EXPECT_EQ(sequence_.StartRestore(), StartResult::Refused) << variant;
    ExpectOneMessage(u"Tips", u"Please select files for restore!");
    ExpectIdle();
  }
}

}  // namespace
}  // namespace qtr
