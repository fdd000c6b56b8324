// The simulated device backend: virtual USB disks on image files, described
// by a small text file so that tests and a person trying the program on
// Linux set disks up the same way.
//
// Description format: one setting per line, "key = value"; "#" first on
// a line or after white space starts a comment; each "[disk]" line starts a disk. Paths are relative to the
// image folder (by default the description's folder). Settings outside a
// disk describe the PC's other drives:
//
//   drive = C fixed 0          letter, kind (fixed, removable, cdrom, remote,
//                              ramdisk), device number (optional; without it
//                              the device-number request fails), or
//                              "unopenable" instead of the number
//   [disk]
//   path     = \\?\usbstor#disk&ven_wdc#1#{53f56307-b6bf-11d0-94f2-00a0c91efb8b}
//   image    = one.img         created sparse when missing, grown to the capacity
//   vendor   = WDC             INQUIRY texts, padded with spaces to 8 and 16 bytes
//   product  = Passport
//   marker   = yes             the two marker bytes in the INQUIRY answer (yes/no)
//   inquiry  = 00 00 05 ...    hex bytes replacing the whole INQUIRY answer
//   number   = 3               device number
//   geometry = 130 255 63 512  cylinders, tracks per cylinder, sectors per
//                              track, bytes per sector
//   capacity = 1073741824      bytes (default: what the geometry covers)
//   block    = 512             block length of the READ CAPACITY answers
//   volume   = E               a volume of the disk (repeatable); "E unopenable"
//                              lists the letter but its volume cannot be opened;
//                              "E e-files" names the folder (relative to the
//                              image folder) that the letter shows: under Wine
//                              the program links it to the letter in the
//                              prefix's dosdevices folder while the volume is
//                              mounted and removes the link when it is not
//   volume-delay = 1500        the volumes are mounted this many milliseconds
//                              after the disk arrives, as on a real PC, where
//                              a volume follows its disk's interface (default 0)
//   mount    = one.mount       the volumes' own switch: "mounted" or
//                              "unmounted" in this file, read at every
//                              PollPresence(), takes them away while the disk
//                              stays (media removed, a dismount)
//   button   = one.button      the enclosure has a push button; its state is
//                              read from this file at every poll: "down",
//                              "up" or "gone" (anything else: no change).
//                              "button = yes" keeps the state in memory only.
//   plug     = one.plug        the disk's plug: "in" or "out" in this file,
//                              read at every PollPresence(); anything else,
//                              or no file, leaves the disk as it is
//   present  = no              the disk starts unplugged (default yes)
//   fail     = direct geometry switches that make operations fail (below)
//
// A volume that is not mounted is neither among the logical drives nor
// opened, nor does it answer for its disk: the disk itself is still listed
// and opened. PollPresence() reports a volume change apart from the disk's
// own: after the disk's arrival, before its removal.
//
// The partition layout a disk reports is read from its image's partition
// table (MBR, or GPT behind a protective MBR); raw reads and writes move
// whole sectors of the geometry's size from a sector boundary, as on a real
// disk, so a disk with "geometry = ... 4096" behaves as a 4Kn disk.
//
// A disk over 2 TiB answers 0xFFFFFFFF as the last address of READ
// CAPACITY(10). Under Wine a volume's files are reached by mapping a folder
// to its letter in the prefix's dosdevices folder.
#pragma once
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "devices/DeviceSystem.h"

namespace qtr {

// The switches, by their names in the description.
enum class SimulatedFailure : int {
  Open,          // "open": the disk cannot be opened
  Inquiry,       // "inquiry": no SCSI command is answered at all
  Direct,        // "direct": the direct request is refused, the buffered one works
  Capacity10,    // "capacity10": READ CAPACITY(10) is not answered
  Capacity16,    // "capacity16"
  DeviceNumber,  // "number"
  Geometry,      // "geometry"
  Seek,          // "seek"
  Read,          // "read": reads fail
  ShortRead,     // "short-read": reads move half the bytes asked
  Write,         // "write"
  ShortWrite,    // "short-write"
  Layout,        // "layout": the partition layout request fails
  Count
};

class SimulatedDevices final : public DeviceSystem {
 public:
  struct Volume {
    char16_t letter = 0;
    bool openable = true;
    std::u16string folder;  // full path; empty: no link is made
  };
  struct Drive {
    char16_t letter = 0;
    DriveKind kind = DriveKind::Fixed;
    std::optional<uint32_t> number;
    bool openable = true;
  };
  struct Disk {
    std::u16string path;
    std::u16string image;  // full path
    std::string vendor;    // bytes as sent
    std::string product;
    bool marker = true;
    std::vector<uint8_t> inquiry;  // replaces the built answer when not empty
    std::optional<uint32_t> number;
    DiskGeometry geometry{};
    uint64_t capacity = 0;
    uint32_t blockLength = 512;
    std::vector<Volume> volumes;
    bool hasButton = false;
    std::u16string buttonFile;  // full path; empty keeps the state in memory
    std::u16string plugFile;    // full path; empty: plugged only through SetPresent
    bool present = true;        // at the start
    uint32_t volumeDelayMs = 0;
    std::u16string mountFile;  // full path; empty: mounted only through SetMounted
  };
  // A disk plugged in or pulled out, or its volumes mounted or taken away,
  // since the previous PollPresence().
  struct PresenceChange {
    size_t disk = 0;
    std::u16string path;
    bool arrived = false;  // plugged in, or the volumes mounted
    bool volumes = false;  // the change is the volumes', not the disk's
  };

  // Reads a description file; imageFolder empty = the description's folder.
  // Null with a message ("line 4: unknown key \"colour\"") on bad input or
  // when an image cannot be prepared.
  static std::unique_ptr<SimulatedDevices> Load(const std::u16string& descriptionPath,
                                                const std::u16string& imageFolder, std::u16string& message);
  static std::unique_ptr<SimulatedDevices> Parse(std::string_view text, const std::u16string& imageFolder,
                                                 std::u16string& message);

  size_t DiskCount() const { return disks_.size(); }
  const Disk& DiskAt(size_t index) const { return disks_[index]->disk; }

  // Switches and plugging, by disk index; safe while other threads use the disks.
  void SetFailure(size_t disk, SimulatedFailure failure, bool on);
  void SetPresent(size_t disk, bool present);
  // The volumes' switch: off takes them away while the disk stays.
  void SetMounted(size_t disk, bool mounted);
  // Present, switched on, and volume-delay gone by since the disk arrived.
  bool VolumesMounted(size_t disk) const;
  // Milliseconds of a steady clock for volume-delay; set it before use.
  void SetClock(std::function<int64_t()> milliseconds);
  // The in-memory button state (a "button = file" disk writes the file).
  void PressButton(size_t disk);
  void ReleaseButton(size_t disk);
  void UnplugButton(size_t disk);
  // Reads the plug and mount files, then lists every disk whose presence or
  // mounted volumes differ from what the previous call reported (SetPresent
  // and SetMounted count too), in disk order.
  std::vector<PresenceChange> PollPresence();

  // Every path opened so far, in order.
  std::vector<std::u16string> OpenedPaths() const;
  // Called before each read of a disk, with the disk index and the offset;
  // set it before the threads that read start.
  void SetReadObserver(std::function<void(size_t disk, uint64_t offset)> observer);

  bool EnumerateDiskInterfaces(std::vector<std::u16string>& paths) override;
  std::unique_ptr<DeviceHandle> Open(const std::u16string& path, DeviceAccess access,
                                     uint32_t& error) override;
  std::vector<std::u16string> LogicalDriveRoots() override;
  DriveKind DriveType(const std::u16string& root) override;
  bool ScanButtonPorts(std::vector<ButtonPortRecord>& ports) override;
  int ButtonPortStatus(const ButtonPortRecord& port) override;

  bool Fails(size_t disk, SimulatedFailure failure) const;
  bool Present(size_t disk) const;
  void ObserveRead(size_t disk, uint64_t offset) const;

 private:
  struct DiskState {
    Disk disk;
    std::atomic<bool> present{true};
    std::atomic<bool> mounted{true};
    std::atomic<int64_t> arrivedAt{-(int64_t{1} << 62)};  // the clock at the last arrival; long ago at first
    std::atomic<bool> failures[static_cast<int>(SimulatedFailure::Count)] = {};
    std::atomic<int> button{0};
    bool reported = true;         // presence as PollPresence() last told it
    bool volumesReported = true;  // the volumes, likewise
  };

  SimulatedDevices() = default;
  // Puts a disk as read from its description where it starts (its capacity,
  // the switch files' states) and prepares its image; what failed, empty
  // when it starts.
  static std::u16string Start(DiskState& state, bool capacityGiven);
  int FindDisk(const std::u16string& path) const;
  const Drive* FindDrive(char16_t letter) const;
  const Volume* FindVolume(char16_t letter, size_t& disk) const;
  void SetButton(size_t disk, int status, std::string_view fileText);
  void StorePresent(DiskState& state, bool present);
  int64_t Now() const;

  std::vector<std::unique_ptr<DiskState>> disks_;
  std::vector<Drive> drives_;
  mutable std::mutex mutex_;  // guards opened_ and button files
  std::vector<std::u16string> opened_;
  std::function<void(size_t, uint64_t)> readObserver_;
  std::function<int64_t()> clock_;
};

}  // namespace qtr
