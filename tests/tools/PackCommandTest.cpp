// pack and unpack on real files of the host.
#include "tools/PackCommand.h"

#include <gtest/gtest.h>

#include <thread>
#ifndef _WIN32
#include <sys/stat.h>
#endif

#include "platform/WholeFile.h"
#include "support/TempFolder.h"

namespace qtr {
namespace {

using test::ReadBytes;
using test::TempFolder;
using test::WriteBytes;

[[maybe_unused]] std::string Narrow(std::u16string_view text) { return {text.begin(), text.end()}; }

std::string Sample() {
  std::string text;
  for (int k = 0; k < 20000; ++k) text += "line " + std::to_string(k % 97) + " of the sample\n";
  return text;
}

TEST(PackCommandTest, PackThenUnpackGivesTheFileBack) {
  TempFolder folder;
  const std::string plain = Sample();
  WriteBytes(folder.File(u"in.txt"), plain);
  std::string message;
  ASSERT_EQ(PackCommand(folder.File(u"in.txt"), folder.File(u"in.zip"), 2, &message), 0) << message;
  const std::string packed = ReadBytes(folder.File(u"in.zip"));
  EXPECT_EQ(packed.substr(0, 4), std::string(4, '\xFF'));
  EXPECT_LT(packed.size(), plain.size() / 3);
  ASSERT_EQ(UnpackCommand(folder.File(u"in.zip"), folder.File(u"out.txt"), &message), 0) << message;
  EXPECT_EQ(ReadBytes(folder.File(u"out.txt")), plain);
  // One thread writes the same bytes.
  ASSERT_EQ(PackCommand(folder.File(u"in.txt"), folder.File(u"one.zip"), 1, &message), 0) << message;
  EXPECT_EQ(ReadBytes(folder.File(u"one.zip")), packed);
}

TEST(PackCommandTest, BadInputsFailWithAReasonAndLeaveNothingBehind) {
  TempFolder folder;
  std::string message;
  EXPECT_EQ(UnpackCommand(folder.File(u"missing.zip"), folder.File(u"out"), &message), 1);
  EXPECT_NE(message.find("cannot read"), std::string::npos) << message;

  WriteBytes(folder.File(u"plain.txt"), "not a container");
  EXPECT_EQ(UnpackCommand(folder.File(u"plain.txt"), folder.File(u"out"), &message), 1);
  EXPECT_NE(message.find("not a compressed container"), std::string::npos) << message;

  WriteBytes(folder.File(u"in.txt"), Sample());
  ASSERT_EQ(PackCommand(folder.File(u"in.txt"), folder.File(u"in.zip"), 1, &message), 0);
  const std::string packed = ReadBytes(folder.File(u"in.zip"));
  WriteBytes(folder.File(u"cut.zip"), packed.substr(0, packed.size() - 3));
  EXPECT_EQ(UnpackCommand(folder.File(u"cut.zip"), folder.File(u"out"), &message), 1);
  EXPECT_NE(message.find("damaged"), std::string::npos) << message;

  // The input named as the output is refused and stays as it was.
  EXPECT_EQ(PackCommand(folder.File(u"in.txt"), folder.File(u"in.txt"), 1, &message), 1);
  EXPECT_EQ(ReadBytes(folder.File(u"in.txt")), Sample());
  EXPECT_EQ(UnpackCommand(folder.File(u"in.zip"), folder.File(u"in.zip"), &message), 1);
  EXPECT_EQ(ReadBytes(folder.File(u"in.zip")), packed);

  std::string unused;
  EXPECT_NE(ReadWholeFile(folder.File(u"out"), unused), 0u);
  EXPECT_NE(ReadWholeFile(folder.File(u"out.~qtrpart"), unused), 0u);
}

std::string Numbered(int seed) {
  std::string text;
  for (int k = 0; k < 60000; ++k)
    text += std::to_string((k * 7919 + seed) % 100003) + (seed == 1 ? " one\n" : " two\n");
  return text;
}

TEST(PackCommandTest, APartialFileOfTheSameNameIsNeverWrittenInto) {
  TempFolder folder;
  WriteBytes(folder.File(u"in.txt"), Sample());
  // Someone else's file that happens to carry the name a partial copy had.
  WriteBytes(folder.File(u"out.zip.~qtrpart"), "not ours");
  std::string message;
  ASSERT_EQ(PackCommand(folder.File(u"in.txt"), folder.File(u"out.zip"), 1, &message), 0) << message;
  EXPECT_EQ(ReadBytes(folder.File(u"out.zip.~qtrpart")), "not ours");
  ASSERT_EQ(UnpackCommand(folder.File(u"out.zip"), folder.File(u"back.txt"), &message), 0) << message;
  EXPECT_EQ(ReadBytes(folder.File(u"back.txt")), Sample());
}

TEST(PackCommandTest, TwoPacksToOneOutputLeaveOneWholeContainer) {
  TempFolder folder;
  const std::string one = Numbered(1), two = Numbered(2);
  WriteBytes(folder.File(u"one.txt"), one);
  WriteBytes(folder.File(u"two.txt"), two);
  for (int round = 0; round < 3; ++round) {
    std::string m1, m2;
    int r1 = -1, r2 = -1;
    std::thread first([&] { r1 = PackCommand(folder.File(u"one.txt"), folder.File(u"out.zip"), 1, &m1); });
    std::thread second([&] { r2 = PackCommand(folder.File(u"two.txt"), folder.File(u"out.zip"), 1, &m2); });
    first.join();
    second.join();
    EXPECT_EQ(r1, 0) << m1;
    EXPECT_EQ(r2, 0) << m2;
    std::string message;
    ASSERT_EQ(UnpackCommand(folder.File(u"out.zip"), folder.File(u"back.txt"), &message), 0) << message;
    const std::string back = ReadBytes(folder.File(u"back.txt"));
    EXPECT_TRUE(back == one || back == two) << "round " << round;
  }
}

TEST(PackCommandTest, OutputsThatAreNoFileOrHaveNoFolderAreNamedAsSuch) {
  TempFolder folder;
  WriteBytes(folder.File(u"in.txt"), Sample());
  std::string message;
  const char16_t separator = folder.File(u"x")[folder.Path().size()];
  const std::u16string deeper = folder.File(u"nope") + separator + u"out.zip";
  EXPECT_EQ(PackCommand(folder.File(u"in.txt"), deeper, 1, &message), 1);
  EXPECT_NE(message.find("does not exist"), std::string::npos) << message;
  EXPECT_NE(message.find("the folder"), std::string::npos) << message;
  EXPECT_EQ(PackCommand(folder.File(u"in.txt"), folder.Path(), 1, &message), 1);
  EXPECT_NE(message.find("is a folder"), std::string::npos) << message;
#ifndef _WIN32
  // A character device is written in place, never renamed over.
  ASSERT_EQ(PackCommand(folder.File(u"in.txt"), u"/dev/null", 1, &message), 0) << message;
  struct stat s;
  ASSERT_EQ(::stat("/dev/null", &s), 0);
  EXPECT_TRUE(S_ISCHR(s.st_mode));
  // A pipe tells no size: packed, it made an empty container and exit 0.
  ASSERT_EQ(::mkfifo(Narrow(folder.File(u"pipe")).c_str(), 0600), 0);
  EXPECT_EQ(PackCommand(folder.File(u"pipe"), folder.File(u"piped.zip"), 1, &message), 1);
  EXPECT_EQ(message, "the input " + Narrow(folder.File(u"pipe")) + " is not a regular file; nothing written");
  EXPECT_EQ(UnpackCommand(u"/dev/zero", folder.File(u"zero"), &message), 1);
  std::string unused;
  EXPECT_NE(ReadWholeFile(folder.File(u"piped.zip"), unused), 0u);
#endif
}

}  // namespace
}  // namespace qtr
