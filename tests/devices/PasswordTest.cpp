#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "DeviceTestSupport.h"
#include "devices/PasswordRecord.h"
#include "devices/PasswordRules.h"
#include "devices/UsbDevice.h"

namespace qtr {
namespace {

using test::ReadImage;
using test::SimulatedWorld;
using test::WriteImage;

constexpr char kPath[] = "\\\\?\\usbstor#disk&ven_qtr#1";
// 4 x 16 x 63 sectors: the record sits in sector 4030.
constexpr uint64_t kRecordOffset = (4ull * 16 * 63 - 2) * 512;

std::string Description(const std::string& extra = "") {
  return std::string("[disk]\npath = ") + kPath +
         "\nimage = disk.img\nvendor = QTR\nproduct = Box\nnumber = 1\n" + "geometry = 4 16 63 512\n" + extra;
}

std::string FreshBytes() {
  return std::string(8, '\0') + "password" + std::string(496, '\0');
}

CUSBDevice Probed() {
  CUSBDevice device;
  device.m_devicePath = Utf8ToUtf16(kPath);
  EXPECT_TRUE(device.IsHalvernDevice());
  return device;
}

PasswordSetInput Set(std::u16string next, std::u16string again = u"\x1", std::u16string old = u"") {
  PasswordSetInput input;
  input.resetMode = !old.empty();
  input.oldPassword = old;
  input.newPassword = next;
  input.newPasswordAgain = again == u"\x1" ? next : again;
  return input;
}

TEST(PasswordRecord, PositionComesFromTheGeometry) {
  DiskGeometry g{4, kFixedMedia, 16, 63, 512};
  EXPECT_EQ(PasswordRecordOffset(g), kRecordOffset);
  g.Cylinders = 0x100000000;  // beyond 32 bits: the product is 64-bit
  EXPECT_EQ(PasswordRecordOffset(g), (0x100000000ull * 16 * 63 - 2) * 512);
  EXPECT_EQ(PasswordRecordOffset(DiskGeometry{}), std::nullopt) << "zero geometry";
  EXPECT_EQ(PasswordRecordOffset(DiskGeometry{1, 0, 1, 1, 512}), std::nullopt) << "one sector";
  EXPECT_EQ(PasswordRecordOffset(DiskGeometry{4, 0, 16, 63, 0}), std::nullopt) << "no sector size";
  EXPECT_EQ(PasswordRecordOffset(DiskGeometry{INT64_MAX, 0, 255, 63, 512}), std::nullopt) << "overflow";
}

TEST(PasswordRecord, NewDiskGetsAFreshRecordAndCountsAsUnlocked) {
  SimulatedWorld world(Description());
  const CUSBDevice device = Probed();
  EXPECT_EQ(ReadImage(world.Image(u"disk.img"), kRecordOffset, 512), FreshBytes());
  EXPECT_FALSE(HasPassword(device.m_passwordRecord));
  EXPECT_TRUE(IsValidPasswordRecord(device.m_passwordRecord));
  EXPECT_EQ(ReadImage(world.Image(u"disk.img"), 0, 512), std::string(512, '\0')) << "nothing else written";
}

TEST(PasswordRecord, UnreadableSectorIsNotOverwritten) {
  SimulatedWorld world(Description("fail = short-read\n"));
  CUSBDevice device = Probed();
  EXPECT_EQ(ReadImage(world.Image(u"disk.img"), kRecordOffset, 512), std::string(512, '\0'));
  EXPECT_EQ(device.ReadPasswordRecord(), 0);
}

TEST(PasswordRecord, ThreeLetterPasswordIsWrittenAsItsBytes) {
  SimulatedWorld world(Description());
  CUSBDevice device = Probed();
  device.m_unlocked = 1;
  const PasswordSetOutcome outcome = ApplyPasswordSet(Set(u"abc"), &device);
  EXPECT_EQ(outcome.message, password_text::kPasswordSetSuccess);
  EXPECT_EQ(outcome.title, password_text::kPromptTitle);
  EXPECT_TRUE(outcome.closeDialog);
  EXPECT_EQ(device.m_unlocked, 0) << "locked again until the password is entered";
  const std::string expected =
      std::string("\1\0\0\0\3\0\0\0", 8) + "password" + std::string(1, '\0') + "abc" + std::string(492, '\0');
  EXPECT_EQ(ReadImage(world.Image(u"disk.img"), kRecordOffset, 512), expected);
  EXPECT_EQ(std::string(device.m_passwordRecord.begin(), device.m_passwordRecord.end()), expected);

  CUSBDevice reread = Probed();
  EXPECT_EQ(reread.ReadPasswordRecord(), 1);
  EXPECT_EQ(StoredPassword(reread.m_passwordRecord), u"abc");
}

TEST(PasswordRecord, ChangingNeedsTheExactOldPassword) {
  SimulatedWorld world(Description());
  CUSBDevice device = Probed();
  ASSERT_TRUE(ApplyPasswordSet(Set(u"Secret"), &device).closeDialog);
  const std::string before = ReadImage(world.Image(u"disk.img"), kRecordOffset, 512);

  const PasswordSetOutcome wrong = ApplyPasswordSet(Set(u"new", u"\x1", u"secret"), &device);
  EXPECT_EQ(wrong.message, password_text::kOldPasswordError);
  EXPECT_EQ(wrong.title, password_text::kError);
  EXPECT_TRUE(wrong.clearOldField);
  EXPECT_FALSE(wrong.closeDialog);
  EXPECT_EQ(ReadImage(world.Image(u"disk.img"), kRecordOffset, 512), before);

  // An empty new password removes the password.
  EXPECT_TRUE(ApplyPasswordSet(Set(u"", u"\x1", u"Secret"), &device).closeDialog);
  EXPECT_FALSE(HasPassword(device.m_passwordRecord));
  EXPECT_EQ(ReadImage(world.Image(u"disk.img"), kRecordOffset, 512), FreshBytes());
}

TEST(PasswordRecord, EntriesThatCannotBeStoredAreRefused) {
  SimulatedWorld world(Description());
  CUSBDevice device = Probed();
  const PasswordSetOutcome mismatch = ApplyPasswordSet(Set(u"abc", u"abd"), &device);
  EXPECT_EQ(mismatch.message, password_text::kTwiceInputNotSame);
  EXPECT_TRUE(mismatch.clearNewFields);
  EXPECT_EQ(ApplyPasswordSet(Set(std::u16string(495, u'x')), &device).message,
            password_text::kPasswordTooLong);
  EXPECT_EQ(ApplyPasswordSet(Set(u"\u5bc6\u7801"), &device).message, password_text::kPasswordBadCharacters);
  EXPECT_EQ(ReadImage(world.Image(u"disk.img"), kRecordOffset, 512), FreshBytes());
  EXPECT_EQ(ApplyPasswordSet(Set(std::u16string(494, u'x')), &device).message,
            password_text::kPasswordSetSuccess);
  EXPECT_EQ(StoredPassword(device.m_passwordRecord), std::u16string(494, u'x'));
  EXPECT_EQ(device.m_passwordRecord[511], 0);
}

TEST(PasswordRecord, FailedWritesKeepTheOldRecord) {
  SimulatedWorld world(Description());
  CUSBDevice device = Probed();
  world.Devices().SetFailure(0, SimulatedFailure::ShortWrite, true);
  const PasswordSetOutcome shortWrite = ApplyPasswordSet(Set(u"abc"), &device);
  EXPECT_EQ(shortWrite.message, password_text::kPasswordSetFiled);
  EXPECT_TRUE(shortWrite.closeDialog);
  EXPECT_FALSE(HasPassword(device.m_passwordRecord));

  world.Devices().SetFailure(0, SimulatedFailure::Open, true);
  const PasswordSetOutcome closed = ApplyPasswordSet(Set(u"abc"), &device);
  EXPECT_EQ(closed.message, password_text::kPasswordSetFiled);
  EXPECT_FALSE(closed.closeDialog) << "the dialog stays open when the disk cannot be opened";
  for (const std::u16string& shown : world.Messages().Shown())
    EXPECT_EQ(shown.find(u"abc"), std::u16string::npos) << "a password never appears in a message";
}

TEST(PasswordRecord, VerifyingComparesExactly) {
  SimulatedWorld world(Description());
  CUSBDevice device = Probed();
  ASSERT_TRUE(ApplyPasswordSet(Set(u"Secret"), &device).closeDialog);
  EXPECT_FALSE(VerifyDiskPassword(device, u"secret"));
  EXPECT_FALSE(VerifyDiskPassword(device, u""));
  EXPECT_EQ(device.m_unlocked, 0);
  EXPECT_TRUE(VerifyDiskPassword(device, u"Secret"));
  EXPECT_EQ(device.m_unlocked, 1);
}

TEST(PasswordRecord, MaliciousRecordsAreReadWithinTheirBytes) {
  PasswordRecord record = FreshPasswordRecord();
  record[4] = 0xFF;  // length field far beyond the bytes that follow
  record[5] = 0xFF;
  std::fill(record.begin() + kPasswordTextOffset, record.end(), 'p');
  EXPECT_EQ(StoredPassword(record), std::u16string(495, u'p')) << "ends at the record's end";

  std::fill(record.begin() + kPasswordMarkerOffset, record.end(), 'p');
  EXPECT_FALSE(IsValidPasswordRecord(record)) << "marker without terminator";
  PasswordRecord prefix{};
  std::memcpy(prefix.data() + 8, "passwor", 7);
  EXPECT_FALSE(IsValidPasswordRecord(prefix));
  PasswordRecord longer = FreshPasswordRecord();
  longer[16] = 's';
  EXPECT_FALSE(IsValidPasswordRecord(longer));
}

}  // namespace
}  // namespace qtr
