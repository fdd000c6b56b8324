// pack and unpack on real files of the host.
#include "tools/PackCommand.h"

#include <gtest/gtest.h>

#include "platform/WholeFile.h"
#include "support/TempFolder.h"

namespace qtr {
namespace {

using test::ReadBytes;
using test::TempFolder;
using test::WriteBytes;

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

}  // namespace
}  // namespace qtr
