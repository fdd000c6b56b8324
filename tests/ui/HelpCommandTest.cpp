#include <gtest/gtest.h>

#include "ui/HelpViewer.h"

namespace qtr {
namespace {

TEST(HelpCommandTest, QuotesTheHelpFileBesideTheProgramEvenInAFolderWithBlanks) {
  EXPECT_EQ(HelpCommandLine(u"C:\\Users\\Ann\\AppData\\Local\\Programs\\XVQ Backup\\"),
            u"hh.exe \"C:\\Users\\Ann\\AppData\\Local\\Programs\\XVQ Backup\\XVQ.chm\"");
  EXPECT_EQ(HelpCommandLine(u"D:\\"), u"hh.exe \"D:\\XVQ.chm\"");
}

}  // namespace
}  // namespace qtr
