#include "ui/JobHandOver.h"

#include <gtest/gtest.h>

#include "support/MemoryFileSystem.h"
#include "support/RecordingPrompter.h"

namespace qtr {
namespace {

using test::RecordingPrompter;

JobStart Start(JobStart::Kind kind, bool quickLaunch = false) {
  JobStart start;
  start.kind = kind;
  start.quickLaunch = quickLaunch;
  start.target = u"F:";
  return start;
}

TEST(JobHandOver, EachKindAsksForWhatItNeedsAndPreparesOnlyItsOwn) {
  const HandOverPlan encrypted = PlanHandOver(Start(JobStart::Kind::Backup), true);
  EXPECT_EQ(encrypted.storeKey, StoreKeyUse::kEncryptedBackup);
  EXPECT_FALSE(encrypted.askReadable);
  EXPECT_TRUE(encrypted.prepareBackup);
  EXPECT_TRUE(encrypted.backup);
  EXPECT_EQ(encrypted.caption, u"Backup from PC to USB HDD");

  const HandOverPlan plain = PlanHandOver(Start(JobStart::Kind::Backup, true), false);
  EXPECT_FALSE(plain.storeKey.has_value());
  EXPECT_TRUE(plain.askReadable);
  EXPECT_TRUE(plain.prepareBackup);
  EXPECT_FALSE(plain.writeRestoreSelection);
  EXPECT_TRUE(plain.quickSlot);

  const HandOverPlan restore = PlanHandOver(Start(JobStart::Kind::Restore), true);
  EXPECT_EQ(restore.storeKey, StoreKeyUse::kRestore);
  EXPECT_FALSE(restore.askReadable);
  EXPECT_FALSE(restore.prepareBackup) << "a restore leaves the backup record and the store's attributes alone";
  EXPECT_TRUE(restore.writeRestoreSelection);
  EXPECT_FALSE(restore.backup);
  EXPECT_EQ(restore.caption, u"Restore from USB HDD to PC");

  const HandOverPlan verify = PlanHandOver(Start(JobStart::Kind::Verify), false);
  EXPECT_EQ(verify.storeKey, StoreKeyUse::kVerify);
  EXPECT_FALSE(verify.prepareBackup);
  EXPECT_FALSE(verify.writeRestoreSelection);
  EXPECT_FALSE(verify.backup);
  EXPECT_TRUE(verify.verify);
  EXPECT_EQ(verify.caption, u"Verify the backup on USB HDD");

  const HandOverPlan copy = PlanHandOver(Start(JobStart::Kind::DiskCopy), true);
  EXPECT_FALSE(copy.storeKey.has_value()) << "a disk copy has no store";
  EXPECT_FALSE(copy.askReadable);
  EXPECT_FALSE(copy.prepareBackup);
  EXPECT_TRUE(copy.diskCopy);
  EXPECT_EQ(copy.caption, u"Disk copy :from Disk1  to Disk2");
  EXPECT_FALSE(copy.quickSlot);
}

TEST(JobHandOver, ReadableCopiesIntoAnEncryptedStoreNeedAPersonsYes) {
  MemoryFileSystem fs;
  fs.AddVolume(u'F', MemoryFileSystem::Kind::kNtfs);
  RecordingPrompter yes;
  EXPECT_EQ(AskReadableCopies(fs, u"F:", yes, false), ReadableCopies::NotAsked);
  EXPECT_TRUE(yes.asked.empty()) << "a store without encrypted copies asks nothing";

  ASSERT_TRUE(fs.PutFile(u"F:\\QTRPMB\\C\\docs\\a.txt.qtrx", "sealed"));
  EXPECT_EQ(AskReadableCopies(fs, u"F:", yes, false), ReadableCopies::Agreed);
  ASSERT_EQ(yes.asked.size(), 1u);
  EXPECT_EQ(yes.asked[0].message.rfind(u"Encryption is off, but the backup on this disk holds encrypted copies. This", 0), 0u);

  RecordingPrompter no;
  no.answer = false;
  EXPECT_EQ(AskReadableCopies(fs, u"F:", no, false), ReadableCopies::Refused);

  RecordingPrompter unattended;
  EXPECT_EQ(AskReadableCopies(fs, u"F:", unattended, true), ReadableCopies::Refused)
      << "nobody there: an OK on the message is no agreement";
  ASSERT_EQ(unattended.asked.size(), 1u);
  EXPECT_NE(unattended.asked[0].message.find(u"never stores them readable: nothing was stored."), std::u16string::npos);
}

}  // namespace
}  // namespace qtr
