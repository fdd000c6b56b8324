#include <gtest/gtest.h>

#include "ui/HelpViewer.h"

namespace qtr {
namespace {

TEST(HelpCommandTest, QuotesTheHelpFileBesideTheProgramEvenInAFolderWithBlanks) {
  EXPECT_EQ(HelpCommandLine(u"C:\\Users\\Ann\\AppData\\Local\\Programs\\XVQ Backup\\"),
            u"hh.exe \"C:\\Users\\Ann\\AppData\\Local\\Programs\\XVQ Backup\\XVQ.chm\"");
  EXPECT_EQ(HelpCommandLine(u"D:\\"), u"hh.exe \"D:\\XVQ.chm\"");
}

TEST(HelpCommandTest, TheActiveLanguageOpensItsOwnHelpFileWhereOneLiesBesideTheProgram) {
  const auto chinese = [](std::u16string_view name) { return name == u"XVQ_0x0804.chm"; };
  EXPECT_EQ(HelpFileName(u"0x0804", chinese), u"XVQ_0x0804.chm");
  EXPECT_EQ(HelpFileName(u"0x0409", chinese), u"XVQ.chm") << "no file of its own: the English one";
  EXPECT_EQ(HelpFileName(u"", chinese), u"XVQ.chm") << "no table active";
  EXPECT_EQ(HelpFileName(u"..\\x", [](std::u16string_view) { return true; }), u"XVQ.chm");
  EXPECT_EQ(HelpCommandLine(u"D:\\", u"XVQ_0x0804.chm"), u"hh.exe \"D:\\XVQ_0x0804.chm\"");
}

}  // namespace
}  // namespace qtr
