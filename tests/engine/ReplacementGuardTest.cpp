#include "engine/ReplacementGuard.h"

#include <gtest/gtest.h>

#include <ostream>
#include <random>
#include <string>
#include <vector>

namespace qtr {

void PrintTo(Suspicion suspicion, std::ostream* out) {
  const char* names[] = {"kNone", "kLooksEncrypted", "kSignatureLost"};
  *out << names[static_cast<int>(suspicion)];
}

namespace {

using Bytes = std::vector<uint8_t>;

// Stands in for ciphertext and for deflated or JPEG-coded data alike: both
// look like random bytes to a byte count.
Bytes Random(size_t n, uint32_t seed) {
  std::mt19937 generator(seed);
  Bytes bytes(n);
  for (uint8_t& b : bytes) b = static_cast<uint8_t>(generator());
  return bytes;
}

Bytes Text(size_t n) {
  const std::string line = "Meeting notes: the budget for March is agreed, send the figures to Anna.\r\n";
  Bytes bytes;
  while (bytes.size() < n) bytes.push_back(static_cast<uint8_t>(line[bytes.size() % line.size()]));
  return bytes;
}

Bytes Join(Bytes head, const Bytes& rest) {
  head.insert(head.end(), rest.begin(), rest.end());
  return head;
}

const Bytes kZipHead{'P', 'K', 3, 4, 20, 0, 0, 0, 8, 0};
const Bytes kJpegHead{0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x10, 'J', 'F', 'I', 'F', 0x00, 0x01, 0x01};
const Bytes kPngHead{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n', 0, 0, 0, 13, 'I', 'H', 'D', 'R'};

TEST(ReplacementGuardTest, EntropyCountsBitsPerByte) {
  EXPECT_EQ(EntropyBitsPerByte({}), 0.0);
  EXPECT_EQ(EntropyBitsPerByte(Bytes(1000, 'a')), 0.0);
  EXPECT_DOUBLE_EQ(EntropyBitsPerByte(Bytes{'a', 'b', 'a', 'b'}), 1.0);
  Bytes everyByte(512);
  for (size_t k = 0; k < everyByte.size(); ++k) everyByte[k] = static_cast<uint8_t>(k);
  EXPECT_DOUBLE_EQ(EntropyBitsPerByte(everyByte), 8.0);
}

TEST(ReplacementGuardTest, HeadsFitTheSignatureTheirExtensionPromises) {
  EXPECT_TRUE(HeadFitsExtension(u"Report.DOCX", kZipHead));
  EXPECT_FALSE(HeadFitsExtension(u"report.docx", Random(100, 1)));
  EXPECT_TRUE(HeadFitsExtension(u"a.jpeg", kJpegHead));
  EXPECT_TRUE(HeadFitsExtension(u"a.png", kPngHead));
  EXPECT_FALSE(HeadFitsExtension(u"a.png", Bytes(kPngHead.begin(), kPngHead.begin() + 7)));
  EXPECT_FALSE(HeadFitsExtension(u"a.png", {}));
  EXPECT_TRUE(HeadFitsExtension(u"a.gif", Bytes{'G', 'I', 'F', '8', '9', 'a'}));
  EXPECT_FALSE(HeadFitsExtension(u"a.gif", Bytes{'G', 'I', 'F', '9', '0', 'a'}));
  // Readers take a PDF header anywhere in the first kilobyte.
  EXPECT_TRUE(HeadFitsExtension(u"a.pdf", Join(Bytes(1000, ' '), {'%', 'P', 'D', 'F', '-', '1'})));
  EXPECT_FALSE(HeadFitsExtension(u"a.pdf", Join(Bytes(1020, ' '), {'%', 'P', 'D', 'F', '-', '1'})));
  // No promise: no extension, a dot file, an unknown type, a dot in a folder's name.
  EXPECT_TRUE(HeadFitsExtension(u"README", Random(100, 2)));
  EXPECT_TRUE(HeadFitsExtension(u".png", Random(100, 3)));
  EXPECT_TRUE(HeadFitsExtension(u"notes.txt", Random(100, 4)));
  EXPECT_TRUE(HeadFitsExtension(u"C:\\pictures.png\\list", Random(100, 5)));
  EXPECT_FALSE(HeadFitsExtension(u"C:\\pictures\\a.png", Random(100, 5)));
}

TEST(ReplacementGuardTest, JudgesEachChangeAgainstTheCopyItReplaces) {
  struct Case {
    const char* what;
    std::u16string name;
    Bytes stored, fresh;
    Suspicion expected;
  };
  const Bytes jpeg = Join(kJpegHead, Random(30000, 10));
  const Bytes zip = Join(kZipHead, Random(20000, 11));
  const Bytes pdfText = Join({'%', 'P', 'D', 'F', '-', '1', '.', '4', '\n'}, Text(9000));
  const Case cases[] = {
      {"text encrypted", u"notes.txt", Text(4000), Random(4016, 20), Suspicion::kLooksEncrypted},
      {"head-sized text encrypted", u"log", Text(kGuardHeadBytes), Random(kGuardHeadBytes, 21),
       Suspicion::kLooksEncrypted},
      {"document encrypted", u"report.docx", zip, Random(20016, 22), Suspicion::kSignatureLost},
      {"photo encrypted", u"IMG_0001.JPG", jpeg, Random(30016, 23), Suspicion::kSignatureLost},
      {"photo re-encoded", u"IMG_0001.JPG", jpeg, Join(kJpegHead, Random(21000, 24)), Suspicion::kNone},
      {"photo saved as PNG under its old name", u"a.jpg", jpeg, Join(kPngHead, Random(9000, 25)),
       Suspicion::kNone},
      {"picture edited", u"icon.png", Join(kPngHead, Random(3000, 26)), Join(kPngHead, Random(3100, 27)),
       Suspicion::kNone},
      {"archive re-packed", u"sources.zip", zip, Join(kZipHead, Random(18000, 28)), Suspicion::kNone},
      {"text edited", u"notes.txt", Text(4000), Join(Text(4000), Text(300)), Suspicion::kNone},
      {"PDF saved with packed streams", u"a.pdf", pdfText, Join({'%', 'P', 'D', 'F', '-', '1', '.', '7', '\n'},
       Random(9000, 29)), Suspicion::kNone},
      {"encrypted container changed", u"vault.bin", Random(8192, 30), Random(8192, 31), Suspicion::kNone},
      {"tiny text encrypted", u"todo.txt", Text(127), Random(127, 32), Suspicion::kNone},
      {"smallest judged text encrypted", u"todo.txt", Text(128), Random(128, 33), Suspicion::kLooksEncrypted},
      {"emptied document", u"report.docx", zip, {}, Suspicion::kNone},
      {"emptied text", u"notes.txt", Text(4000), {}, Suspicion::kNone},
      {"empty file filled", u"notes.txt", {}, Random(4000, 34), Suspicion::kNone},
  };
  for (const Case& c : cases)
    EXPECT_EQ(JudgeReplacement(c.name, c.stored, c.fresh), c.expected) << c.what;
}

TEST(ReplacementGuardTest, NamesTellWhatANewFileMayBeRenamedFrom) {
  using Names = std::vector<std::u16string>;
  EXPECT_EQ(NamesRenamedFrom(u"a.docx.locked"), Names{u"a.docx"});
  EXPECT_EQ(NamesRenamedFrom(u"a.docx.id-7.[x].crypt"), (Names{u"a.docx.id-7.[x]", u"a.docx.id-7", u"a.docx"}));
  EXPECT_EQ(NamesRenamedFrom(u".profile.locked"), Names{u".profile"});
  EXPECT_EQ(NamesRenamedFrom(u"C:\\Docs\\a.b.c"), Names{u"C:\\Docs\\a.b"});
  EXPECT_EQ(NamesRenamedFrom(u"C:\\v1.2\\a.locked"), Names{});
  EXPECT_EQ(NamesRenamedFrom(u"a.locked"), Names{});
  EXPECT_EQ(NamesRenamedFrom(u"a"), Names{});
  EXPECT_EQ(StemOf(u"a.locked"), u"a");
  EXPECT_EQ(StemOf(u"a.docx.locked"), u"a.docx");
  EXPECT_EQ(StemOf(u".profile"), u".profile");
  EXPECT_EQ(StemOf(u"C:\\v1.2\\a"), u"C:\\v1.2\\a");
}

TEST(ReplacementGuardTest, TallyTripsAtTenSuspiciousMakingHalfTheReplacements) {
  GuardTally allSuspicious;
  for (int k = 0; k < 9; ++k) allSuspicious.CountReplacement(Suspicion::kLooksEncrypted);
  EXPECT_FALSE(allSuspicious.Tripped());
  allSuspicious.CountReplacement(Suspicion::kSignatureLost);
  EXPECT_TRUE(allSuspicious.Tripped());
  EXPECT_EQ(allSuspicious.Suspicious(), 10);

  GuardTally halfSuspicious;
  for (int k = 0; k < 11; ++k) halfSuspicious.CountReplacement(Suspicion::kNone);
  for (int k = 0; k < 10; ++k) halfSuspicious.CountReplacement(Suspicion::kLooksEncrypted);
  EXPECT_FALSE(halfSuspicious.Tripped());  // 10 of 21
  halfSuspicious.CountReplacement(Suspicion::kLooksEncrypted);
  EXPECT_TRUE(halfSuspicious.Tripped());  // 11 of 22
  // The pass stops at once; what it would have counted after does not undo that.
  for (int k = 0; k < 100; ++k) halfSuspicious.CountReplacement(Suspicion::kNone);
  EXPECT_TRUE(halfSuspicious.Tripped());
  EXPECT_EQ(halfSuspicious.Replaced(), 122);
}

TEST(ReplacementGuardTest, TallyTripsAtTenRenamedToOneExtension) {
  GuardTally tally;
  for (int k = 0; k < 9; ++k) tally.CountNewFile(u"C:\\Docs\\f" + std::u16string(1, u'a' + k) + u".docx.locked", true);
  tally.CountNewFile(u"C:\\Docs\\new.locked", false);  // nothing of its name is stored
  for (int k = 0; k < 9; ++k) tally.CountNewFile(u"g" + std::u16string(1, u'a' + k) + u".crypt", true);
  EXPECT_FALSE(tally.Tripped());
  tally.CountNewFile(u"budget.LOCKED", true);
  EXPECT_TRUE(tally.Tripped());
  EXPECT_EQ(tally.RenamedToOneExtension(), 10);
  EXPECT_EQ(tally.RenamedExtension(), u"locked");
  EXPECT_EQ(tally.NewFiles(), 20);
}

TEST(ReplacementGuardTest, APersonsBusyDayDoesNotTrip) {
  GuardTally tally;
  for (int k = 0; k < 300; ++k)
    tally.CountReplacement(k % 40 == 0 ? Suspicion::kLooksEncrypted : Suspicion::kNone);  // 8 odd files
  // Pictures converted, logs packed, backups of edits made by a program: the
  // old names' sources are gone, but the new types are common ones.
  for (int k = 0; k < 50; ++k) {
    const std::u16string stem = u"f" + std::u16string(1, u'a' + k % 26) + std::u16string(1, u'a' + k / 26);
    tally.CountNewFile(stem + u".jpg", true);
    tally.CountNewFile(stem + u".log.gz", true);
    tally.CountNewFile(stem + u".txt.bak", true);
    tally.CountNewFile(stem + u".dat", false);
  }
  for (int k = 0; k < 9; ++k) tally.CountNewFile(u"x" + std::u16string(1, u'a' + k) + u".draft", true);
  EXPECT_FALSE(tally.Tripped());
  EXPECT_EQ(tally.Suspicious(), 8);
  EXPECT_EQ(tally.RenamedToOneExtension(), 9);
  EXPECT_EQ(tally.RenamedExtension(), u"draft");
}

}  // namespace
}  // namespace qtr
