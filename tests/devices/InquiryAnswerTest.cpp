#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "devices/InquiryAnswer.h"

namespace qtr {
namespace {

std::vector<uint8_t> Answer(const char vendor[8], const char product[16], bool marker) {
  std::vector<uint8_t> answer(kInquiryLength, 0);
  std::memcpy(answer.data() + 8, vendor, 8);
  std::memcpy(answer.data() + 16, product, 16);
  if (marker) {
    answer[36] = kInquiryMarker36;
    answer[37] = kInquiryMarker37;
  }
  return answer;
}

TEST(InquiryAnswer, VendorNamesFollowTheTableOrder) {
  EXPECT_EQ(VendorNameFor(u"WDC     "), u"Western Digital");
  EXPECT_EQ(VendorNameFor(u"HPST"), u"Seagate");  // "ST" comes before "HP"
  EXPECT_EQ(VendorNameFor(u"Acme-X"), u"Acme");   // cut at the hyphen, no key matches
  EXPECT_EQ(VendorNameFor(u"Samsung"), u"Samsung Electronics");
  EXPECT_EQ(VendorNameFor(u"wdc"), u"wdc");  // keys are case-sensitive
  EXPECT_EQ(VendorNameFor(u""), u"");
}

TEST(InquiryAnswer, DisplayNameKeepsVendorPaddingAndLosesTrailingSpaces) {
  const auto answer = Answer("WDC     ", "My Passport     ", true);
  const InquiryAnswer parsed = ParseInquiryAnswer(answer.data(), answer.size());
  EXPECT_TRUE(parsed.supported);
  EXPECT_EQ(parsed.vendor, u"WDC     ");
  EXPECT_EQ(parsed.displayName, u"WDC     My Passport");
}

TEST(InquiryAnswer, MarkerBytesDecideSupport) {
  auto answer = Answer("QTR     ", "Box             ", true);
  EXPECT_TRUE(ParseInquiryAnswer(answer.data(), answer.size()).supported);
  answer[37] = 0;
  EXPECT_FALSE(ParseInquiryAnswer(answer.data(), answer.size()).supported);
  answer = Answer("QTR     ", "Box             ", true);
  EXPECT_FALSE(ParseInquiryAnswer(answer.data(), 37).supported) << "byte 37 missing";
}

TEST(InquiryAnswer, GarbageAndShortAnswersStayInsideTheirBytes) {
  std::vector<uint8_t> answer(12, 'A');  // vendor field cut off after 4 bytes
  const InquiryAnswer parsed = ParseInquiryAnswer(answer.data(), answer.size());
  EXPECT_FALSE(parsed.supported);
  EXPECT_EQ(parsed.vendor, u"AAAA");
  EXPECT_EQ(parsed.product, u"");
  // A zero byte ends a field as it would in a zero-filled buffer.
  auto zeroed = Answer("AB\0CDEFG", "P\0RODUCT        ", true);
  const InquiryAnswer cut = ParseInquiryAnswer(zeroed.data(), zeroed.size());
  EXPECT_EQ(cut.displayName, u"ABP");
  EXPECT_FALSE(ParseInquiryAnswer(nullptr, 38).supported);
}

}  // namespace
}  // namespace qtr
