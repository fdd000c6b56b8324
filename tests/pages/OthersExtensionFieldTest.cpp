#include <gtest/gtest.h>

#include "pages/OthersExtensionField.h"

namespace qtr {
namespace {

constexpr std::u16string_view kPrompt = u"Please input the file extensions which should be separated by ','";

TEST(OthersExtensionFieldTest, PromptComesWithTheTickAndGoesWithoutIt) {
  OthersExtensionField field = ToggleOthersBox(true, u"", kPrompt);
  EXPECT_TRUE(field.enabled);
  EXPECT_EQ(field.text, kPrompt);
  EXPECT_TRUE(ShowsPrompt(field.text, kPrompt));

  field = ToggleOthersBox(false, field.text, kPrompt);
  EXPECT_FALSE(field.enabled);
  EXPECT_EQ(field.text, u"");

  // The person's own extensions are kept either way and are not grey.
  EXPECT_EQ(ToggleOthersBox(true, u"iso", kPrompt).text, u"iso");
  EXPECT_EQ(ToggleOthersBox(false, u"iso", kPrompt).text, u"iso");
  EXPECT_FALSE(ShowsPrompt(u"iso", kPrompt));
  EXPECT_FALSE(ShowsPrompt(u"", u""));
}

}  // namespace
}  // namespace qtr
