#include "ui/ShellChange.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace qtr {
namespace {

class RecordingSink : public ShellChangeSink {
 public:
  std::vector<std::u16string> calls;
  void AddPath(const std::u16string& p) override { calls.push_back(u"add " + p); }
  void RemovePath(const std::u16string& p) override { calls.push_back(u"remove " + p); }
  void RenameInPlace(const std::u16string& a, const std::u16string& b) override {
    calls.push_back(u"rename " + a + u" > " + b);
  }
  void DriveArrived(const std::u16string& p) override { calls.push_back(u"arrived " + p); }
  void DriveRemoved(const std::u16string& p) override { calls.push_back(u"removed " + p); }
  void UpdateShare(const std::u16string& p) override { calls.push_back(u"share " + p); }
  void RefreshFolder(const std::u16string& p) override { calls.push_back(u"refresh " + p); }
  void ChangeHandled() override { calls.push_back(u"done"); }
};

std::vector<std::u16string> Route(uint32_t event, const std::u16string& a, const std::u16string& b = {}) {
  RecordingSink sink;
  RouteShellChange(event, a, b, sink);
  return sink.calls;
}

using Calls = std::vector<std::u16string>;

TEST(ShellChange, CreationsAndDeletionsReachTheTrees) {
  EXPECT_EQ(Route(kShellCreate, u"C:\\a\\new.txt"), (Calls{u"add C:\\a\\new.txt", u"done"}));
  EXPECT_EQ(Route(kShellMakeDirectory, u"C:\\a\\dir"), (Calls{u"add C:\\a\\dir", u"done"}));
  EXPECT_EQ(Route(kShellDelete, u"C:\\a\\old.txt"), (Calls{u"remove C:\\a\\old.txt", u"done"}));
  EXPECT_EQ(Route(kShellRemoveDirectory, u"C:\\a\\dir"), (Calls{u"remove C:\\a\\dir", u"done"}));
}

TEST(ShellChange, RenameInTheSameFolderKeepsTheItemAndAMoveReplacesIt) {
  EXPECT_EQ(Route(kShellRenameItem, u"C:\\a\\x.txt", u"C:\\a\\y.txt"),
            (Calls{u"rename C:\\a\\x.txt > C:\\a\\y.txt", u"done"}));
  EXPECT_EQ(Route(kShellRenameFolder, u"C:\\a\\x", u"C:\\b\\x"),
            (Calls{u"remove C:\\a\\x", u"add C:\\b\\x", u"done"}));
  // Same path twice: a drive's label changed, which reads like its arrival.
  EXPECT_EQ(Route(kShellRenameFolder, u"F:\\", u"F:\\"), (Calls{u"arrived F:\\", u"done"}));
}

TEST(ShellChange, DrivesSharesAndFolderUpdates) {
  EXPECT_EQ(Route(kShellDriveAdd, u"F:\\"), (Calls{u"arrived F:\\", u"done"}));
  EXPECT_EQ(Route(kShellMediaInserted, u"F:\\"), (Calls{u"arrived F:\\", u"done"}));
  EXPECT_EQ(Route(kShellDriveRemoved, u"F:\\"), (Calls{u"removed F:\\", u"done"}));
  EXPECT_EQ(Route(kShellMediaRemoved, u"F:\\"), (Calls{u"removed F:\\", u"done"}));
  EXPECT_EQ(Route(kShellNetShare, u"C:\\shared"), (Calls{u"share C:\\shared", u"done"}));
  EXPECT_EQ(Route(kShellUpdateDirectory, u"C:\\a"), (Calls{u"refresh C:\\a", u"done"}));
}

TEST(ShellChange, ItemsWithoutAPathAndOtherEventsChangeNothing) {
  EXPECT_TRUE(Route(kShellCreate, u"").empty());
  EXPECT_TRUE(Route(0x4000 /* attributes */, u"C:\\a").empty());
}

}  // namespace
}  // namespace qtr
