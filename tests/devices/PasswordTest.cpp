#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

#include "DeviceTestSupport.h"
#include "devices/PasswordRecord.h"
#include "devices/UsbDevice.h"
#include "ui/PasswordRules.h"

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

// A partition table in the first sector: MBR entries (type, first sector,
// sector count), or a protective MBR followed by a GPT with GPT entries.
std::string Mbr(std::vector<std::array<uint32_t, 3>> entries, uint32_t sectorSize = 512) {
  std::string sector(sectorSize, '\0');
  for (size_t i = 0; i < entries.size(); ++i) {
    char* entry = sector.data() + 446 + 16 * i;
    entry[4] = static_cast<char>(entries[i][0]);
    std::memcpy(entry + 8, &entries[i][1], 4);
    std::memcpy(entry + 12, &entries[i][2], 4);
  }
  sector[510] = '\x55';
  sector[511] = '\xAA';
  return sector;
}

std::string Gpt(uint64_t first, uint64_t last) {
  std::string bytes = Mbr({{0xEE, 1, 4031}});
  std::string header(512, '\0');
  std::memcpy(header.data(), "EFI PART", 8);
  const uint64_t entriesLba = 2;
  const uint32_t count = 128, entrySize = 128;
  std::memcpy(header.data() + 72, &entriesLba, 8);
  std::memcpy(header.data() + 80, &count, 4);
  std::memcpy(header.data() + 84, &entrySize, 4);
  std::string entries(count * entrySize, '\0');
  entries[0] = '\x42';  // any type GUID marks the entry used
  std::memcpy(entries.data() + 32, &first, 8);
  std::memcpy(entries.data() + 40, &last, 8);
  return bytes + header + entries;
}

TEST(PasswordRecord, FreshRecordIsWrittenOnlyWhereNoPartitionReaches) {
  // 4 x 16 x 63 = 4032 sectors; the record sector 4030.
  struct Case {
    const char* what;
    std::string table;
    std::string extra;
    bool free;
  };
  const Case cases[] = {
      {"no partition table", "", "", true},
      {"last partition ends before the record", Mbr({{0x07, 63, 3900}}), "", true},
      {"last partition covers the record", Mbr({{0x07, 63, 100}, {0x07, 200, 3832}}), "", false},
      {"extended container covers the record", Mbr({{0x0F, 2048, 1984}}), "", false},
      {"GPT partition ends before the record", Gpt(34, 3990), "", true},
      {"GPT partition covers the record", Gpt(34, 4030), "", false},
      {"GPT header missing", Mbr({{0xEE, 1, 4031}}), "", false},
      {"layout unknown", "", "fail = layout\n", false},
  };
  for (const Case& c : cases) {
    SimulatedWorld world(Description(c.extra));
    const std::u16string image = world.Image(u"disk.img");
    if (!c.table.empty()) WriteImage(image, 0, c.table);
    WriteImage(image, kRecordOffset, std::string(512, 'd'));  // a person's data, or garbage
    CUSBDevice device = Probed();
    EXPECT_EQ(device.m_passwordSectorFree, c.free) << c.what;
    EXPECT_FALSE(HasPassword(device.m_passwordRecord)) << c.what;
    EXPECT_EQ(ReadImage(image, kRecordOffset, 512), c.free ? FreshBytes() : std::string(512, 'd')) << c.what;

    const PasswordSetOutcome outcome = ApplyPasswordSet(Set(u"abc"), &device);
    EXPECT_EQ(outcome.message, c.free ? password_text::kPasswordSetSuccess : password_text::kPasswordUnsupported)
        << c.what;
    EXPECT_TRUE(outcome.closeDialog) << c.what;
    EXPECT_EQ(PasswordMenuFor(device).setEnabled, false) << c.what;
    if (!c.free) {
      EXPECT_EQ(ReadImage(image, kRecordOffset, 512), std::string(512, 'd')) << c.what;
      EXPECT_FALSE(HasPassword(device.m_passwordRecord)) << c.what;
    }
    if (!c.table.empty()) {
      EXPECT_EQ(ReadImage(image, 0, c.table.size()), c.table) << c.what;
    }
  }
}

TEST(PasswordRecord, ValidRecordInsideAPartitionIsHonouredButNeverRewritten) {
  SimulatedWorld world(Description());
  const std::u16string image = world.Image(u"disk.img");
  {
    CUSBDevice device = Probed();
    ASSERT_TRUE(ApplyPasswordSet(Set(u"Secret"), &device).closeDialog);
  }
  const std::string record = ReadImage(image, kRecordOffset, 512);
  WriteImage(image, 0, Mbr({{0x07, 63, 3969}}));  // repartitioned elsewhere, up to the disk's end
  CUSBDevice device = Probed();
  EXPECT_TRUE(HasPassword(device.m_passwordRecord)) << "the disk stays locked";
  EXPECT_TRUE(VerifyDiskPassword(device, u"Secret"));
  const PasswordMenuState menu = PasswordMenuFor(device);
  EXPECT_TRUE(menu.lockEnabled);
  EXPECT_FALSE(menu.resetEnabled);
  EXPECT_EQ(ApplyPasswordSet(Set(u"", u"\x1", u"Secret"), &device).message, password_text::kPasswordUnsupported);
  EXPECT_EQ(ReadImage(image, kRecordOffset, 512), record);
}

TEST(PasswordRecord, FourKilobyteSectorsCarryTheRecordInTheirFirstBytes) {
  SimulatedWorld world(std::string("[disk]\npath = ") + kPath +
                       "\nimage = disk.img\nvendor = QTR\nproduct = Box\nnumber = 1\ngeometry = 4 16 63 4096\n");
  const std::u16string image = world.Image(u"disk.img");
  const uint64_t offset = (4ull * 16 * 63 - 2) * 4096;
  WriteImage(image, offset + 512, std::string(3584, 'x'));
  CUSBDevice device = Probed();
  EXPECT_TRUE(device.m_passwordSectorFree);
  EXPECT_EQ(ReadImage(image, offset, 512), FreshBytes());
  EXPECT_EQ(ReadImage(image, offset + 512, 3584), std::string(3584, 'x')) << "the rest of the sector is kept";

  EXPECT_EQ(ApplyPasswordSet(Set(u"abc"), &device).message, password_text::kPasswordSetSuccess);
  EXPECT_EQ(ReadImage(image, offset, 20), std::string("\1\0\0\0\3\0\0\0password\0abc", 20));
  EXPECT_EQ(ReadImage(image, offset + 512, 3584), std::string(3584, 'x'));
  CUSBDevice reread = Probed();
  EXPECT_EQ(reread.ReadPasswordRecord(), 1);
  EXPECT_EQ(StoredPassword(reread.m_passwordRecord), u"abc");
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
