#include "devices/SimulatedDevices.h"

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cstring>
#include <filesystem>

#include "devices/CapacityAnswer.h"
#include "devices/ImageFile.h"
#include "devices/InquiryAnswer.h"
#include "platform/NumberText.h"
#include "platform/SystemError.h"
#include "platform/Utf8.h"
#include "platform/WholeFile.h"

namespace qtr {
namespace {

constexpr std::u16string_view kVolumePrefix = u"\\\\.\\";

char16_t UpperAscii(char16_t c) {
  return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - u'a' + u'A') : c;
}

bool EqualIgnoringCase(std::u16string_view a, std::u16string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char16_t x, char16_t y) {
           return UpperAscii(x) == UpperAscii(y);
         });
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t' || s.front() == '\r')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
  return s;
}

std::vector<std::string_view> Words(std::string_view s) {
  std::vector<std::string_view> words;
  size_t i = 0;
  while (i < s.size()) {
    while (i < s.size() && (s[i] == ' ' || s[i] == '\t')) ++i;
    const size_t start = i;
    while (i < s.size() && s[i] != ' ' && s[i] != '\t') ++i;
    if (i > start) words.push_back(s.substr(start, i - start));
  }
  return words;
}

template <typename T>
bool Number(std::string_view word, T& out) {
  int base = 10;
  if (word.size() > 2 && word[0] == '0' && (word[1] == 'x' || word[1] == 'X')) {
    word.remove_prefix(2);
    base = 16;
  }
  const auto [end, ec] = std::from_chars(word.data(), word.data() + word.size(), out, base);
  return ec == std::errc() && end == word.data() + word.size();
}

std::optional<SimulatedFailure> FailureNamed(std::string_view name) {
  static constexpr std::pair<std::string_view, SimulatedFailure> kNames[] = {
      {"open", SimulatedFailure::Open},
      {"inquiry", SimulatedFailure::Inquiry},
      {"direct", SimulatedFailure::Direct},
      {"capacity10", SimulatedFailure::Capacity10},
      {"capacity16", SimulatedFailure::Capacity16},
      {"number", SimulatedFailure::DeviceNumber},
      {"geometry", SimulatedFailure::Geometry},
      {"seek", SimulatedFailure::Seek},
      {"read", SimulatedFailure::Read},
      {"short-read", SimulatedFailure::ShortRead},
      {"write", SimulatedFailure::Write},
      {"short-write", SimulatedFailure::ShortWrite},
      {"layout", SimulatedFailure::Layout},
  };
  for (const auto& [key, value] : kNames)
    if (key == name) return value;
  return std::nullopt;
}

std::optional<DriveKind> DriveKindNamed(std::string_view name) {
  if (name == "fixed") return DriveKind::Fixed;
  if (name == "removable") return DriveKind::Removable;
  if (name == "cdrom") return DriveKind::CdRom;
  if (name == "remote") return DriveKind::Remote;
  if (name == "ramdisk") return DriveKind::RamDisk;
  return std::nullopt;
}

bool Letter(std::string_view word, char16_t& letter) {
  if (word.size() != 1 && !(word.size() == 2 && word[1] == ':')) return false;
  const char c = word[0];
  if (!((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'))) return false;
  letter = UpperAscii(static_cast<char16_t>(c));
  return true;
}

bool HexBytes(std::string_view text, std::vector<uint8_t>& bytes) {
  bytes.clear();
  for (std::string_view word : Words(text)) {
    unsigned value = 0;
    const auto [end, ec] = std::from_chars(word.data(), word.data() + word.size(), value, 16);
    if (ec != std::errc() || end != word.data() + word.size() || value > 0xFF) return false;
    bytes.push_back(static_cast<uint8_t>(value));
  }
  return true;
}

std::u16string InFolder(const std::u16string& folder, std::string_view name) {
  return (std::filesystem::path(folder) / std::filesystem::path(Utf8ToUtf16(name))).u16string();
}

// The volume letter of "\\.\E:", or 0.
char16_t VolumeLetter(const std::u16string& path) {
  if (path.size() != kVolumePrefix.size() + 2 || path.compare(0, kVolumePrefix.size(), kVolumePrefix) != 0 ||
      path.back() != u':')
    return 0;
  const char16_t c = UpperAscii(path[kVolumePrefix.size()]);
  return c >= u'A' && c <= u'Z' ? c : 0;
}

std::vector<uint8_t> BuiltInquiry(const SimulatedDevices::Disk& disk) {
  std::vector<uint8_t> answer(kInquiryLength, 0);
  answer[0] = 0x00;  // direct-access block device
  answer[2] = 0x05;
  answer[3] = 0x02;
  answer[4] = kInquiryLength - 5;
  std::memset(answer.data() + 8, ' ', 24);
  std::memcpy(answer.data() + 8, disk.vendor.data(), std::min<size_t>(disk.vendor.size(), 8));
  std::memcpy(answer.data() + 16, disk.product.data(), std::min<size_t>(disk.product.size(), 16));
  std::memcpy(answer.data() + 32, "1.00", 4);
  if (disk.marker) {
    answer[36] = kInquiryMarker36;
    answer[37] = kInquiryMarker37;
  }
  return answer;
}

void PutBigEndian(uint8_t* out, uint64_t value, int bytes) {
  for (int i = bytes - 1; i >= 0; --i) {
    out[i] = static_cast<uint8_t>(value);
    value >>= 8;
  }
}

// The first line of a switch file, trimmed; empty when there is no file.
std::string FirstWord(const std::u16string& file) {
  std::string text;
  if (file.empty() || ReadWholeFile(file, text) != 0) return {};
  return std::string(Trim(std::string_view(text).substr(0, text.find('\n'))));
}

// Port records name their disk by index after a tag, so a record from
// elsewhere is never taken for one of ours.
constexpr char kPortTag[4] = {'S', 'I', 'M', 'P'};

}  // namespace

// An open disk: its own image handle and position, as a real handle has.
class SimulatedDiskHandle final : public DeviceHandle {
 public:
  SimulatedDiskHandle(const SimulatedDevices& owner, size_t index, const SimulatedDevices::Disk& disk,
                      std::unique_ptr<ImageFile> image)
      : owner_(owner), index_(index), disk_(disk), image_(std::move(image)) {}

  bool ScsiDataInDirect(const uint8_t* cdb, size_t cdbLength, uint8_t* data, uint32_t dataLength,
                        uint32_t& error) override {
    if (Fails(SimulatedFailure::Direct) || Fails(SimulatedFailure::Inquiry)) {
      error = kErrorInvalidFunction;
      return false;
    }
    return Answer(cdb, cdbLength, data, dataLength, error);
  }

  bool ScsiDataInBuffered(const uint8_t* cdb, size_t cdbLength, uint8_t* data, uint32_t dataLength,
                          uint32_t& error) override {
    if (Fails(SimulatedFailure::Inquiry)) {
      error = kErrorInvalidFunction;
      return false;
    }
    if (dataLength > kBufferedScsiDataMax) {
      error = kErrorInvalidParameter;
      return false;
    }
    return Answer(cdb, cdbLength, data, dataLength, error);
  }

  bool GetDeviceNumber(uint32_t& number, uint32_t& error) override {
    if (!Present()) return Gone(error);
    if (Fails(SimulatedFailure::DeviceNumber) || !disk_.number) {
      error = kErrorInvalidFunction;
      return false;
    }
    number = *disk_.number;
    return true;
  }

  bool GetGeometry(DiskGeometry& geometry, uint32_t& error) override {
    if (!Present()) return Gone(error);
    if (Fails(SimulatedFailure::Geometry)) {
      error = kErrorInvalidFunction;
      return false;
    }
    geometry = disk_.geometry;
    return true;
  }

  bool GetDriveLayout(std::vector<PartitionExtent>& partitions, uint32_t& error) override {
    if (!Present()) return Gone(error);
    if (Fails(SimulatedFailure::Layout)) {
      error = kErrorInvalidFunction;
      return false;
    }
    // The driver reads the table from the disk itself, in whole sectors.
    const uint32_t sectorSize = disk_.geometry.BytesPerSector != 0 ? disk_.geometry.BytesPerSector : 512;
    const auto read = [&](uint64_t offset, uint8_t* buffer, uint32_t length) {
      uint32_t done = 0;
      return image_->ReadAt(offset, buffer, length, done, error) && done == length;
    };
    if (ReadPartitionTable(read, sectorSize, partitions)) return true;
    error = kErrorIoDevice;
    return false;
  }

  bool Read(uint8_t* buffer, uint32_t length, uint32_t& done, uint32_t& error) override {
    done = 0;
    if (!Present()) return Gone(error);
    if (!WholeSectors(length, error)) return false;
    owner_.ObserveRead(index_, position_);
    if (Fails(SimulatedFailure::Read)) {
      error = kErrorReadFault;
      return false;
    }
    const uint32_t asked = Fails(SimulatedFailure::ShortRead) ? length / 2 : length;
    if (!image_->ReadAt(position_, buffer, asked, done, error)) return false;
    position_ += done;
    return true;
  }

  bool Write(const uint8_t* buffer, uint32_t length, uint32_t& done, uint32_t& error) override {
    done = 0;
    if (!Present()) return Gone(error);
    if (!WholeSectors(length, error)) return false;
    if (Fails(SimulatedFailure::Write)) {
      error = kErrorWriteFault;
      return false;
    }
    // A disk ends at its capacity, whatever the image file's size.
    const uint64_t room = position_ < disk_.capacity ? disk_.capacity - position_ : 0;
    uint32_t asked = static_cast<uint32_t>(std::min<uint64_t>(length, room));
    if (Fails(SimulatedFailure::ShortWrite)) asked = std::min(asked, length / 2);
    if (asked == 0 && length != 0) {
      error = kErrorDiskFull;
      return false;
    }
    if (!image_->WriteAt(position_, buffer, asked, done, error)) return false;
    position_ += done;
    return true;
  }

  bool Seek(uint64_t offset, uint32_t& error) override {
    if (!Present()) return Gone(error);
    if (Fails(SimulatedFailure::Seek) || offset > static_cast<uint64_t>(INT64_MAX)) {
      error = kErrorNegativeSeek;
      return false;
    }
    position_ = offset;
    return true;
  }

 private:
  bool Fails(SimulatedFailure failure) const { return owner_.Fails(index_, failure); }
  bool Present() const { return owner_.Present(index_); }
  // A raw disk moves whole sectors from a sector boundary, or nothing.
  bool WholeSectors(uint32_t length, uint32_t& error) const {
    const uint32_t sector = disk_.geometry.BytesPerSector;
    if (sector == 0 || (position_ % sector == 0 && length % sector == 0)) return true;
    error = kErrorInvalidParameter;
    return false;
  }
  static bool Gone(uint32_t& error) {
    error = kErrorDeviceNotConnected;
    return false;
  }

  bool Answer(const uint8_t* cdb, size_t cdbLength, uint8_t* data, uint32_t dataLength, uint32_t& error) {
    if (!Present()) return Gone(error);
    std::vector<uint8_t> answer;
    if (cdbLength == 6 && cdb[0] == 0x12) {
      answer = disk_.inquiry.empty() ? BuiltInquiry(disk_) : disk_.inquiry;
      answer.resize(std::min<size_t>(answer.size(), cdb[4]));
    } else if (cdbLength == 10 && cdb[0] == 0x25 && !Fails(SimulatedFailure::Capacity10)) {
      const uint64_t blocks = disk_.blockLength != 0 ? disk_.capacity / disk_.blockLength : 0;
      answer.resize(kReadCapacity10Length);
      PutBigEndian(answer.data(), blocks == 0 ? 0 : std::min<uint64_t>(blocks - 1, 0xFFFFFFFFu), 4);
      PutBigEndian(answer.data() + 4, disk_.blockLength, 4);
    } else if (cdbLength == 16 && cdb[0] == 0x9E && (cdb[1] & 0x1F) == 0x10 &&
               !Fails(SimulatedFailure::Capacity16)) {
      const uint64_t blocks = disk_.blockLength != 0 ? disk_.capacity / disk_.blockLength : 0;
      answer.resize(32);
      PutBigEndian(answer.data(), blocks == 0 ? 0 : blocks - 1, 8);
      PutBigEndian(answer.data() + 8, disk_.blockLength, 4);
      answer.resize(std::min<size_t>(answer.size(), cdb[13]));
    } else {
      // The bridge rejects what it does not know; the driver reports an I/O error.
      error = kErrorIoDevice;
      return false;
    }
    std::memcpy(data, answer.data(), std::min<size_t>(answer.size(), dataLength));
    return true;
  }

  const SimulatedDevices& owner_;
  size_t index_;
  const SimulatedDevices::Disk& disk_;
  std::unique_ptr<ImageFile> image_;
  uint64_t position_ = 0;
};

// A volume: answers only the device-number request.
class SimulatedVolumeHandle final : public DeviceHandle {
 public:
  explicit SimulatedVolumeHandle(std::optional<uint32_t> number) : number_(number) {}

  bool ScsiDataInDirect(const uint8_t*, size_t, uint8_t*, uint32_t, uint32_t& error) override {
    return No(error);
  }
  bool ScsiDataInBuffered(const uint8_t*, size_t, uint8_t*, uint32_t, uint32_t& error) override {
    return No(error);
  }
  bool GetDeviceNumber(uint32_t& number, uint32_t& error) override {
    if (!number_) return No(error);
    number = *number_;
    return true;
  }
  bool GetGeometry(DiskGeometry&, uint32_t& error) override { return No(error); }
  bool GetDriveLayout(std::vector<PartitionExtent>&, uint32_t& error) override { return No(error); }
  bool Read(uint8_t*, uint32_t, uint32_t& done, uint32_t& error) override {
    done = 0;
    return No(error);
  }
  bool Write(const uint8_t*, uint32_t, uint32_t& done, uint32_t& error) override {
    done = 0;
    return No(error);
  }
  bool Seek(uint64_t, uint32_t& error) override { return No(error); }

 private:
  static bool No(uint32_t& error) {
    error = kErrorInvalidFunction;
    return false;
  }
  std::optional<uint32_t> number_;
};

std::unique_ptr<SimulatedDevices> SimulatedDevices::Load(const std::u16string& descriptionPath,
                                                         const std::u16string& imageFolder,
                                                         std::u16string& message) {
  std::string text;
  if (const uint32_t error = ReadWholeFile(descriptionPath, text); error != 0) {
    message = u"cannot read " + descriptionPath + u": " + SystemErrorMessage(error);
    return nullptr;
  }
  const std::u16string folder =
      imageFolder.empty() ? std::filesystem::path(descriptionPath).parent_path().u16string() : imageFolder;
  return Parse(text, folder, message);
}

namespace {

// A line of a description without its comment and the blanks around it.
// Interface paths hold '#', so only a '#' after white space (or first on the
// line) starts a comment.
std::string_view WithoutComment(std::string_view line) {
  for (size_t hash = line.find('#'); hash != std::string_view::npos; hash = line.find('#', hash + 1))
    if (hash == 0 || line[hash - 1] == ' ' || line[hash - 1] == '\t') {
      line = line.substr(0, hash);
      break;
    }
  return Trim(line);
}

// The words of "drive = <letter> <kind> [<number>|unopenable]"; what is
// wrong with them, empty when they read.
std::string ReadDrive(const std::vector<std::string_view>& words, SimulatedDevices::Drive& drive) {
  std::optional<DriveKind> kind;
  if (words.size() < 2 || words.size() > 3 || !Letter(words[0], drive.letter) || !(kind = DriveKindNamed(words[1])))
    return "expected \"drive = <letter> <kind> [<number>|unopenable]\"";
  drive.kind = *kind;
  if (words.size() == 3) {
    uint32_t number = 0;
    if (words[2] == "unopenable")
      drive.openable = false;
    else if (Number(words[2], number))
      drive.number = number;
    else
      return "bad device number";
  }
  return {};
}

// What one "key = value" line of a [disk] says of the disk.
struct DiskLine {
  std::string_view key;
  std::string_view value;
  std::vector<std::string_view> words;  // of the value
};

// Reads one line of a [disk] into disk (and its switched-on failures); what
// is wrong with it, empty when it reads.
std::string ReadDiskLine(const DiskLine& line, const std::u16string& imageFolder, SimulatedDevices::Disk& disk,
                         bool& capacityGiven, std::vector<SimulatedFailure>& failures) {
  const std::string_view key = line.key, value = line.value;
  const std::vector<std::string_view>& words = line.words;
  if (key == "path") {
    disk.path = Utf8ToUtf16(value);
  } else if (key == "image") {
    disk.image = InFolder(imageFolder, value);
  } else if (key == "vendor") {
    disk.vendor = std::string(value);
  } else if (key == "product") {
    disk.product = std::string(value);
  } else if (key == "marker") {
    if (value != "yes" && value != "no") return "marker is yes or no";
    disk.marker = value == "yes";
  } else if (key == "inquiry") {
    if (!HexBytes(value, disk.inquiry)) return "inquiry takes hex bytes";
  } else if (key == "number") {
    uint32_t number = 0;
    if (!Number(value, number)) return "bad device number";
    disk.number = number;
  } else if (key == "geometry") {
    DiskGeometry g{};
    g.MediaType = kFixedMedia;
    if (words.size() != 4 || !Number(words[0], g.Cylinders) || g.Cylinders < 0 ||
        !Number(words[1], g.TracksPerCylinder) || !Number(words[2], g.SectorsPerTrack) ||
        !Number(words[3], g.BytesPerSector))
      return "expected \"geometry = <cylinders> <tracks> <sectors> <bytes>\"";
    disk.geometry = g;
  } else if (key == "capacity") {
    if (!Number(value, disk.capacity)) return "bad capacity";
    capacityGiven = true;
  } else if (key == "block") {
    if (!Number(value, disk.blockLength)) return "bad block length";
  } else if (key == "volume") {
    SimulatedDevices::Volume volume;
    if (words.empty() || words.size() > 3 || !Letter(words[0], volume.letter))
      return "expected \"volume = <letter> [unopenable] [<folder>]\"";
    for (size_t w = 1; w < words.size(); ++w) {
      if (words[w] == "unopenable" && volume.openable)
        volume.openable = false;
      else if (volume.folder.empty())
        volume.folder = InFolder(imageFolder, words[w]);
      else
        return "expected \"volume = <letter> [unopenable] [<folder>]\"";
    }
    disk.volumes.push_back(volume);
  } else if (key == "volume-delay") {
    if (!Number(value, disk.volumeDelayMs)) return "bad volume delay";
  } else if (key == "mount") {
    disk.mountFile = InFolder(imageFolder, value);
  } else if (key == "button") {
    disk.hasButton = value != "no";
    if (disk.hasButton && value != "yes") disk.buttonFile = InFolder(imageFolder, value);
  } else if (key == "plug") {
    disk.plugFile = InFolder(imageFolder, value);
  } else if (key == "present") {
    if (value != "yes" && value != "no") return "present is yes or no";
    disk.present = value == "yes";
  } else if (key == "fail") {
    for (std::string_view word : words) {
      const std::optional<SimulatedFailure> failure = FailureNamed(word);
      if (!failure) return "unknown failure \"" + std::string(word) + "\"";
      failures.push_back(*failure);
    }
  } else {
    return "unknown key \"" + std::string(key) + "\"";
  }
  return {};
}

}  // namespace

std::unique_ptr<SimulatedDevices> SimulatedDevices::Parse(std::string_view text,
                                                          const std::u16string& imageFolder,
                                                          std::u16string& message) {
  std::unique_ptr<SimulatedDevices> devices(new SimulatedDevices);
  size_t lineNumber = 0;
  auto fail = [&](std::string_view what) {
    message = u"line " + DigitsOf(lineNumber) + u": " + Utf8ToUtf16(what);
    return nullptr;
  };
  std::vector<bool> capacityGiven;
  while (!text.empty()) {
    ++lineNumber;
    const size_t end = text.find('\n');
    const std::string_view line = WithoutComment(text.substr(0, end));
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    if (line.empty()) continue;
    if (line == "[disk]") {
      devices->disks_.push_back(std::make_unique<DiskState>());
      capacityGiven.push_back(false);
      continue;
    }
    const size_t equals = line.find('=');
    if (equals == std::string_view::npos) return fail("expected \"key = value\"");
    DiskLine read{Trim(line.substr(0, equals)), Trim(line.substr(equals + 1)), {}};
    read.words = Words(read.value);
    if (devices->disks_.empty()) {
      if (read.key != "drive") return fail("unknown key \"" + std::string(read.key) + "\" outside a [disk]");
      Drive drive;
      if (const std::string wrong = ReadDrive(read.words, drive); !wrong.empty()) return fail(wrong);
      devices->drives_.push_back(drive);
      continue;
    }
    DiskState& state = *devices->disks_.back();
    std::vector<SimulatedFailure> failures;
    bool capacity = false;
    if (const std::string wrong = ReadDiskLine(read, imageFolder, state.disk, capacity, failures); !wrong.empty())
      return fail(wrong);
    if (capacity) capacityGiven.back() = true;
    for (const SimulatedFailure failure : failures) state.failures[static_cast<int>(failure)].store(true);
  }
  for (size_t i = 0; i < devices->disks_.size(); ++i) {
    lineNumber = 0;
    if (devices->disks_[i]->disk.path.empty()) return fail("a [disk] has no path");
    if (devices->disks_[i]->disk.image.empty()) return fail("a [disk] has no image");
    if (message = Start(*devices->disks_[i], capacityGiven[i]); !message.empty()) return nullptr;
  }
  return devices;
}

std::u16string SimulatedDevices::Start(DiskState& state, bool capacityGiven) {
  Disk& disk = state.disk;
  const DiskGeometry& g = disk.geometry;
  const uint64_t covered =
      static_cast<uint64_t>(g.Cylinders) * g.TracksPerCylinder * g.SectorsPerTrack * g.BytesPerSector;
  if (!capacityGiven) disk.capacity = covered;
  // The switch files as they stand now are where the disk starts.
  const std::string plug = FirstWord(disk.plugFile), mount = FirstWord(disk.mountFile);
  if (plug == "in" || plug == "out") disk.present = plug == "in";
  state.mounted.store(mount != "unmounted");
  state.present.store(disk.present);
  state.reported = disk.present;
  state.volumesReported = disk.present && mount != "unmounted";
  if (const uint32_t error = ImageFile::Prepare(disk.image, disk.capacity); error != 0)
    return u"cannot prepare " + disk.image + u": " + SystemErrorMessage(error);
  return {};
}

bool SimulatedDevices::Fails(size_t disk, SimulatedFailure failure) const {
  if (disk >= disks_.size() || failure == SimulatedFailure::Count) return true;
  return disks_[disk]->failures[static_cast<int>(failure)].load();
}

bool SimulatedDevices::Present(size_t disk) const {
  return disk < disks_.size() && disks_[disk]->present.load();
}

void SimulatedDevices::SetFailure(size_t disk, SimulatedFailure failure, bool on) {
  if (disk < disks_.size() && failure != SimulatedFailure::Count)
    disks_[disk]->failures[static_cast<int>(failure)].store(on);
}

void SimulatedDevices::StorePresent(DiskState& state, bool present) {
  // The volumes of a disk that comes count their delay from now.
  if (present && !state.present.load()) state.arrivedAt.store(Now());
  state.present.store(present);
}

void SimulatedDevices::SetPresent(size_t disk, bool present) {
  if (disk < disks_.size()) StorePresent(*disks_[disk], present);
}

void SimulatedDevices::SetMounted(size_t disk, bool mounted) {
  if (disk < disks_.size()) disks_[disk]->mounted.store(mounted);
}

bool SimulatedDevices::VolumesMounted(size_t disk) const {
  if (disk >= disks_.size()) return false;
  const DiskState& state = *disks_[disk];
  return state.present.load() && state.mounted.load() &&
         Now() - state.arrivedAt.load() >= static_cast<int64_t>(state.disk.volumeDelayMs);
}

void SimulatedDevices::SetClock(std::function<int64_t()> milliseconds) {
  clock_ = std::move(milliseconds);
}

int64_t SimulatedDevices::Now() const {
  if (clock_) return clock_();
  return std::chrono::duration_cast<std::chrono::milliseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

void SimulatedDevices::SetButton(size_t disk, int status, std::string_view fileText) {
  if (disk >= disks_.size()) return;
  DiskState& state = *disks_[disk];
  state.button.store(status);
  if (!state.disk.buttonFile.empty()) {
    const std::lock_guard lock(mutex_);
    WriteWholeFile(state.disk.buttonFile, fileText);
  }
}

void SimulatedDevices::PressButton(size_t disk) {
  SetButton(disk, 6, "down\n");
}
void SimulatedDevices::ReleaseButton(size_t disk) {
  SetButton(disk, 5, "up\n");
}
void SimulatedDevices::UnplugButton(size_t disk) {
  SetButton(disk, 1, "gone\n");
}

std::vector<SimulatedDevices::PresenceChange> SimulatedDevices::PollPresence() {
  const std::lock_guard lock(mutex_);
  std::vector<PresenceChange> changes;
  for (size_t i = 0; i < disks_.size(); ++i) {
    DiskState& state = *disks_[i];
    const std::string plug = FirstWord(state.disk.plugFile);
    if (plug == "in") StorePresent(state, true);
    if (plug == "out") StorePresent(state, false);
    const std::string mount = FirstWord(state.disk.mountFile);
    if (mount == "mounted") state.mounted.store(true);
    if (mount == "unmounted") state.mounted.store(false);
    // Volumes go before their disk and come after it.
    const bool present = state.present.load(), mounted = VolumesMounted(i);
    const bool volumesGo = !mounted && state.volumesReported;
    const bool volumesCome = mounted && !state.volumesReported;
    state.volumesReported = mounted;
    const bool hasVolumes = !state.disk.volumes.empty();
    if (volumesGo && hasVolumes) changes.push_back({i, state.disk.path, false, true});
    if (present != state.reported) {
      state.reported = present;
      changes.push_back({i, state.disk.path, present, false});
    }
    if (volumesCome && hasVolumes) changes.push_back({i, state.disk.path, true, true});
  }
  return changes;
}

std::vector<std::u16string> SimulatedDevices::OpenedPaths() const {
  const std::lock_guard lock(mutex_);
  return opened_;
}

void SimulatedDevices::SetReadObserver(std::function<void(size_t, uint64_t)> observer) {
  readObserver_ = std::move(observer);
}

void SimulatedDevices::ObserveRead(size_t disk, uint64_t offset) const {
  if (readObserver_) readObserver_(disk, offset);
}

int SimulatedDevices::FindDisk(const std::u16string& path) const {
  for (size_t i = 0; i < disks_.size(); ++i)
    if (EqualIgnoringCase(disks_[i]->disk.path, path)) return static_cast<int>(i);
  return -1;
}

const SimulatedDevices::Drive* SimulatedDevices::FindDrive(char16_t letter) const {
  for (const Drive& drive : drives_)
    if (drive.letter == letter) return &drive;
  return nullptr;
}

const SimulatedDevices::Volume* SimulatedDevices::FindVolume(char16_t letter, size_t& disk) const {
  for (size_t i = 0; i < disks_.size(); ++i) {
    if (!VolumesMounted(i)) continue;
    for (const Volume& volume : disks_[i]->disk.volumes)
      if (volume.letter == letter) {
        disk = i;
        return &volume;
      }
  }
  return nullptr;
}

bool SimulatedDevices::EnumerateDiskInterfaces(std::vector<std::u16string>& paths) {
  paths.clear();
  for (const auto& state : disks_)
    if (state->present.load()) paths.push_back(state->disk.path);
  return true;
}

std::unique_ptr<DeviceHandle> SimulatedDevices::Open(const std::u16string& path, DeviceAccess access,
                                                     uint32_t& error) {
  {
    const std::lock_guard lock(mutex_);
    opened_.push_back(path);
  }
  if (const char16_t letter = VolumeLetter(path)) {
    size_t disk = 0;
    if (const Volume* volume = FindVolume(letter, disk)) {
      if (!volume->openable) {
        error = kErrorAccessDenied;
        return nullptr;
      }
      return std::make_unique<SimulatedVolumeHandle>(disks_[disk]->disk.number);
    }
    if (const Drive* drive = FindDrive(letter)) {
      if (!drive->openable) {
        error = kErrorAccessDenied;
        return nullptr;
      }
      return std::make_unique<SimulatedVolumeHandle>(drive->number);
    }
    error = kErrorFileNotFound;
    return nullptr;
  }
  const int index = FindDisk(path);
  if (index < 0 || !disks_[index]->present.load()) {
    error = kErrorFileNotFound;
    return nullptr;
  }
  if (Fails(index, SimulatedFailure::Open)) {
    error = kErrorAccessDenied;
    return nullptr;
  }
  auto image = ImageFile::Open(disks_[index]->disk.image, access == DeviceAccess::ReadWrite, error);
  if (!image) return nullptr;
  return std::make_unique<SimulatedDiskHandle>(*this, static_cast<size_t>(index), disks_[index]->disk,
                                               std::move(image));
}

std::vector<std::u16string> SimulatedDevices::LogicalDriveRoots() {
  std::vector<char16_t> letters;
  for (const Drive& drive : drives_) letters.push_back(drive.letter);
  for (size_t i = 0; i < disks_.size(); ++i)
    if (VolumesMounted(i))
      for (const Volume& volume : disks_[i]->disk.volumes) letters.push_back(volume.letter);
  std::sort(letters.begin(), letters.end());
  letters.erase(std::unique(letters.begin(), letters.end()), letters.end());
  std::vector<std::u16string> roots;
  for (char16_t letter : letters) roots.push_back(std::u16string(1, letter) + u":\\");
  return roots;
}

DriveKind SimulatedDevices::DriveType(const std::u16string& root) {
  if (root.empty()) return DriveKind::NoRoot;
  const char16_t letter = UpperAscii(root[0]);
  if (const Drive* drive = FindDrive(letter)) return drive->kind;
  size_t disk = 0;
  return FindVolume(letter, disk) != nullptr ? DriveKind::Fixed : DriveKind::NoRoot;
}

bool SimulatedDevices::ScanButtonPorts(std::vector<ButtonPortRecord>& ports) {
  ports.clear();
  for (size_t i = 0; i < disks_.size(); ++i) {
    if (!disks_[i]->present.load() || !disks_[i]->disk.hasButton) continue;
    ButtonPortRecord port{};
    std::memcpy(port.data(), kPortTag, sizeof kPortTag);
    const uint32_t index = static_cast<uint32_t>(i);
    std::memcpy(port.data() + sizeof kPortTag, &index, sizeof index);
    ports.push_back(port);
  }
  return true;
}

int SimulatedDevices::ButtonPortStatus(const ButtonPortRecord& port) {
  if (std::memcmp(port.data(), kPortTag, sizeof kPortTag) != 0) return 1;
  uint32_t index = 0;
  std::memcpy(&index, port.data() + sizeof kPortTag, sizeof index);
  if (index >= disks_.size() || !disks_[index]->present.load()) return 1;
  const DiskState& state = *disks_[index];
  if (state.disk.buttonFile.empty()) return state.button.load();
  std::string text;
  {
    const std::lock_guard lock(mutex_);
    if (ReadWholeFile(state.disk.buttonFile, text) != 0) return 0;
  }
  const std::string_view word = Trim(std::string_view(text).substr(0, text.find('\n')));
  if (word == "down") return 6;
  if (word == "up") return 5;
  if (word == "gone") return 1;
  return 0;
}

}  // namespace qtr
