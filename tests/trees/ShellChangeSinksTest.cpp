#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ui/ShellChange.h"

namespace qtr {
namespace {

// Writes down what reached it, with its name in front.
class Recorder : public ShellChangeSink {
 public:
  Recorder(std::vector<std::u16string>& log, std::u16string name) : log_(log), name_(std::move(name)) {}
  void AddPath(const std::u16string& path) override { log_.push_back(name_ + u" add " + path); }
  void RemovePath(const std::u16string& path) override { log_.push_back(name_ + u" remove " + path); }
  void RenameInPlace(const std::u16string& a, const std::u16string& b) override {
    log_.push_back(name_ + u" rename " + a + u" " + b);
  }
  void DriveArrived(const std::u16string& path) override { log_.push_back(name_ + u" drive+ " + path); }
  void DriveRemoved(const std::u16string& path) override { log_.push_back(name_ + u" drive- " + path); }
  void UpdateShare(const std::u16string& path) override { log_.push_back(name_ + u" share " + path); }
  void RefreshFolder(const std::u16string& path) override { log_.push_back(name_ + u" refresh " + path); }
  void ChangeHandled() override { log_.push_back(name_ + u" done"); }

 private:
  std::vector<std::u16string>& log_;
  std::u16string name_;
};

TEST(ShellChangeSinksTest, EveryTreeHearsEveryChangeInTheOrderTheyWereAdded) {
  std::vector<std::u16string> log;
  Recorder source(log, u"source");
  Recorder target(log, u"target");
  ShellChangeSinks sinks;
  EXPECT_TRUE(sinks.Empty());
  sinks.Add(&source);
  sinks.Add(&target);
  sinks.Add(&source);
  RouteShellChange(kShellRenameFolder, u"C:\\a\\old", u"C:\\b\\new", sinks);
  EXPECT_EQ(log, (std::vector<std::u16string>{u"source remove C:\\a\\old", u"target remove C:\\a\\old",
                                              u"source add C:\\b\\new", u"target add C:\\b\\new",
                                              u"source done", u"target done"}));

  log.clear();
  sinks.Remove(&source);
  RouteShellChange(kShellUpdateDirectory, u"C:\\a", u"", sinks);
  EXPECT_EQ(log, (std::vector<std::u16string>{u"target refresh C:\\a", u"target done"}));
}

}  // namespace
}  // namespace qtr
