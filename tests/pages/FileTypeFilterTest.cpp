#include <gtest/gtest.h>

#include "pages/FileTypeFilter.h"
#include "xml/XmlDocument.h"

namespace qtr {
namespace {

constexpr std::u16string_view kPrompt = u"Please input the file extensions which should be separated by ','";

XmlDocument Settings(const char16_t* boxes) {
  XmlDocument doc;
  doc.SetDoc(std::u16string(u"<InitInfo>") + boxes + u"</InitInfo>");
  return doc;
}

TEST(FileTypeFilterTest, PictureAndDataFilesGiveOnlyTheirExtensions) {
  XmlDocument doc = Settings(
      u"<BackupImages>1</BackupImages><BackupAudios>0</BackupAudios>"
      u"<BackupVedios>0</BackupVedios><BackupDatas>1</BackupDatas>");
  EXPECT_EQ(FileTypeFilterText(doc, u"", kPrompt), u"bmp,jpg,png,jpeg,jepg,txt,doc,docx,xls,ppt,pdf");
}

TEST(FileTypeFilterTest, NoTickedBoxMeansNoFilter) {
  XmlDocument none = Settings(u"<BackupImages>0</BackupImages><BackupDatas>x</BackupDatas>");
  EXPECT_EQ(FileTypeFilterText(none, u"", kPrompt), u"");
  // A settings file that did not load reads as nothing ticked.
  XmlDocument empty;
  EXPECT_EQ(FileTypeFilterText(empty, u"", kPrompt), u"");
}

TEST(FileTypeFilterTest, OthersFieldAddsTheTypedExtensionsButNotItsPrompt) {
  XmlDocument audio = Settings(u"<BackupAudios>1</BackupAudios>");
  EXPECT_EQ(FileTypeFilterText(audio, u"iso, .7z,,raw ", kPrompt), u"wmv,mp3,wma,iso,7z,raw");
  EXPECT_EQ(FileTypeFilterText(audio, kPrompt, kPrompt), u"wmv,mp3,wma");
  // Only blanks and commas typed: still no filter, rather than one that leaves every file out.
  XmlDocument none = Settings(u"");
  EXPECT_EQ(FileTypeFilterText(none, u" , ,", kPrompt), u"");
}

TEST(FileTypeFilterTest, BoxTextIsTheNameFollowedByItsList) {
  EXPECT_EQ(FileTypeBoxText(FileTypeBoxes()[0], u"图片"), u"图片:bmp,jpg,png,jpeg");
  EXPECT_EQ(FileTypeBoxText(FileTypeBoxes()[3], u"Data files"), u"Data files:txt,doc,docx,xls,ppt,pdf");
}

}  // namespace
}  // namespace qtr
