#include "engine/DestinationListing.h"

#include <gtest/gtest.h>

#include "support/MemoryFileSystem.h"

namespace qtr {
namespace {

class DestinationListingTest : public ::testing::Test {
 protected:
  DestinationListingTest() {
    fs.AddVolume(u'F', MemoryFileSystem::Kind::kNtfs);
    fs.CreateFolder(u"F:\\A");
    fs.CreateFolder(u"F:\\A\\Sub");
    fs.CreateFolder(u"F:\\B");
    fs.PutFile(u"F:\\A\\one.txt", "1");
  }
  MemoryFileSystem fs;
  DestinationListing listing{fs};
};

TEST_F(DestinationListingTest, AFolderIsListedOnceWhileThePassStaysInItAndAfreshOnceItLeft) {
  EXPECT_TRUE(listing.Exists(u"F:\\A\\ONE.txt"));
  EXPECT_FALSE(listing.Exists(u"F:\\A\\two.txt"));
  // Made behind the pass's back: the listing it read still holds.
  fs.PutFile(u"F:\\A\\two.txt", "2");
  EXPECT_FALSE(listing.Exists(u"F:\\A\\two.txt"));
  // A folder inside keeps the listings along the way.
  EXPECT_FALSE(listing.Exists(u"F:\\A\\Sub\\x.txt"));
  EXPECT_FALSE(listing.Exists(u"F:\\A\\two.txt"));
  // A folder beside it drops them: coming back lists again.
  EXPECT_FALSE(listing.Exists(u"F:\\B\\y.txt"));
  EXPECT_TRUE(listing.Exists(u"F:\\A\\two.txt"));
}

TEST_F(DestinationListingTest, CommittedRenamesAndRemovalsShowInAKeptListingOnly) {
  EXPECT_FALSE(listing.Exists(u"F:\\A\\new.txt"));
  listing.Note(u"F:\\A\\new.txt", true);
  listing.Note(u"F:\\A\\one.txt", false);
  EXPECT_TRUE(listing.Exists(u"F:\\A\\NEW.TXT"));
  EXPECT_FALSE(listing.Exists(u"F:\\A\\one.txt"));
  // A note for a folder not kept is dropped: its listing, read later, tells.
  listing.Note(u"F:\\B\\ghost.txt", true);
  EXPECT_FALSE(listing.Exists(u"F:\\B\\ghost.txt"));
}

TEST_F(DestinationListingTest, AFolderIsVisitedFirstOnceWhateverItsCase) {
  EXPECT_TRUE(listing.FirstVisit(u"F:\\A"));
  EXPECT_FALSE(listing.FirstVisit(u"f:\\a"));
  EXPECT_TRUE(listing.FirstVisit(u"F:\\B"));
}

}  // namespace
}  // namespace qtr
