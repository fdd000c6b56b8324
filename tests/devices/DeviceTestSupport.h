// Helpers of the device tests: a message seam that records what would be
// shown, and a simulated backend set up from a description text with its
// images in a fresh folder, both installed for the life of the object.
#pragma once
#include <gtest/gtest.h>

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "devices/DeviceServices.h"
#include "devices/SimulatedDevices.h"
#include "platform/Utf8.h"
#include "support/TempFolder.h"

namespace qtr::test {

// Two supported disks (numbers 4 and 2, listed in that order by the system)
// and one without the marker, all unplugged at first.
inline constexpr std::string_view kDisks =
    "drive = C fixed 0\n"
    "[disk]\npath = \\\\?\\usbstor#four\nimage = four.img\nvendor = WDC\nproduct = Four\n"
    "number = 4\ngeometry = 2 16 63 512\nvolume = E\nvolume = G\npresent = no\nplug = four.plug\n"
    "[disk]\npath = \\\\?\\usbstor#two\nimage = two.img\nvendor = ST\nproduct = Two\n"
    "number = 2\ngeometry = 2 16 63 512\nvolume = F\npresent = no\n"
    "[disk]\npath = \\\\?\\usbstor#other\nimage = other.img\nmarker = no\n"
    "number = 7\ngeometry = 2 16 63 512\nvolume = H\npresent = no\n";
inline const std::u16string kFour = u"\\\\?\\usbstor#four";
inline const std::u16string kTwo = u"\\\\?\\usbstor#two";

// A [disk] of a description: interface \\?\disk<number>, image
// d<number>.img, the given cylinders of 2 heads, 4 sectors and 512 bytes,
// then the extra lines.
inline std::string NumberedDisk(int number, int cylinders, const std::string& extra = "") {
  const std::string n = std::to_string(number);
  return "[disk]\npath = \\\\?\\disk" + n + "\nimage = d" + n +
         ".img\nvendor = QTR\nproduct = Box\nnumber = " + n + "\ngeometry = " + std::to_string(cylinders) +
         " 2 4 512\n" + extra;
}

class RecordingMessages final : public MessageSeam {
 public:
  void ShowPlainMessage(std::u16string_view text) override {
    const std::lock_guard lock(mutex_);
    shown_.emplace_back(text);
  }
  std::vector<std::u16string> Shown() const {
    const std::lock_guard lock(mutex_);
    return shown_;
  }

 private:
  mutable std::mutex mutex_;
  std::vector<std::u16string> shown_;
};

class SimulatedWorld {
 public:
  explicit SimulatedWorld(std::string_view description) {
    std::u16string message;
    devices_ = SimulatedDevices::Parse(description, folder_.Path(), message);
    EXPECT_NE(devices_, nullptr) << Utf16ToUtf8(message);
    services_ = std::make_unique<ScopedDeviceServices>(devices_.get(), &messages_);
  }
  SimulatedDevices& Devices() { return *devices_; }
  RecordingMessages& Messages() { return messages_; }
  std::u16string Image(std::u16string_view name) const { return folder_.File(name); }

 private:
  TempFolder folder_;
  RecordingMessages messages_;
  std::unique_ptr<SimulatedDevices> devices_;
  std::unique_ptr<ScopedDeviceServices> services_;
};

// Raw bytes of an image file at an offset.
std::string ReadImage(const std::u16string& image, uint64_t offset, size_t length);
void WriteImage(const std::u16string& image, uint64_t offset, const std::string& bytes);

}  // namespace qtr::test
