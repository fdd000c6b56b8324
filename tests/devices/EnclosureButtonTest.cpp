#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "DeviceTestSupport.h"
#include "devices/EnclosureButton.h"

namespace qtr {
namespace {

using namespace std::chrono_literals;
using test::SimulatedWorld;

std::string Disk(int n, const std::string& button) {
  return "[disk]\npath = \\\\?\\disk" + std::to_string(n) + "\nimage = d" + std::to_string(n) +
         ".img\nvendor = QTR\nproduct = Box\ngeometry = 1 1 63 512\nbutton = " + button + "\n";
}

template <typename Condition>
bool WaitFor(Condition condition) {
  for (int i = 0; i < 300; ++i) {
    if (condition()) return true;
    std::this_thread::sleep_for(10ms);
  }
  return false;
}

TEST(EnclosureButton, NoPortMeansNoPollingThread) {
  SimulatedWorld world(Disk(1, "no"));
  EnclosureButton button;
  button.Start();
  ASSERT_TRUE(WaitFor([&] { return button.ScanDone(); }));
  EXPECT_EQ(button.ActivePorts(), 0);
  button.Stop();
}

TEST(EnclosureButton, PressRaisesTheFlagOncePerPress) {
  SimulatedWorld world(Disk(1, "yes") + Disk(2, "yes"));
  EnclosureButton button;
  button.Start();
  ASSERT_TRUE(WaitFor([&] { return button.ActivePorts() == 2; }));

  world.Devices().PressButton(1);
  ASSERT_TRUE(WaitFor([&] { return button.Pressed(); }));
  EXPECT_TRUE(button.ConsumePressed());
  // Held down over several polls: the latch keeps the flag down.
  std::this_thread::sleep_for(EnclosureButton::kPollPeriod * 2);
  EXPECT_FALSE(button.ConsumePressed());

  world.Devices().ReleaseButton(1);
  std::this_thread::sleep_for(EnclosureButton::kPollPeriod * 2);
  world.Devices().PressButton(1);
  EXPECT_TRUE(WaitFor([&] { return button.ConsumePressed(); })) << "a new press after the release";

  // A port whose enclosure has gone ends its own thread.
  world.Devices().UnplugButton(0);
  EXPECT_TRUE(WaitFor([&] { return button.ActivePorts() == 1; }));

  const auto start = std::chrono::steady_clock::now();
  button.Stop();
  EXPECT_LT(std::chrono::steady_clock::now() - start, EnclosureButton::kPollPeriod)
      << "Stop cuts the sleep short";
  EXPECT_EQ(button.ActivePorts(), 0);
}

TEST(EnclosureButton, ButtonFileCanBePressedByHand) {
  SimulatedWorld world(Disk(1, "one.button"));
  test::WriteBytes(world.Image(u"one.button"), "up\n");
  EnclosureButton button;
  button.Start();
  ASSERT_TRUE(WaitFor([&] { return button.ActivePorts() == 1; }));
  test::WriteBytes(world.Image(u"one.button"), "down\n");
  EXPECT_TRUE(WaitFor([&] { return button.ConsumePressed(); }));
  button.Stop();
}

}  // namespace
}  // namespace qtr

namespace qtr {
namespace {

TEST(EnclosureButton, SettingAndDiskChangesStartAndStopPolling) {
  test::SimulatedWorld world(Disk(1, "yes"));
  EnclosureButton button;
  button.Apply(true, false);
  EXPECT_FALSE(button.Running()) << "no disk to poll";
  button.Apply(true, true);
  EXPECT_TRUE(button.Running());
  button.Restart(false);  // the last disk went away
  EXPECT_FALSE(button.Running());
  button.Restart(true);
  EXPECT_TRUE(button.Running());
  button.Apply(false, true);
  EXPECT_FALSE(button.Running());
  button.Restart(true);
  EXPECT_FALSE(button.Running()) << "disabled polling is not restarted";
}

}  // namespace
}  // namespace qtr
