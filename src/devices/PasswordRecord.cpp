#include "devices/PasswordRecord.h"

#include <algorithm>
#include <cstring>

#include "platform/TextCodec.h"

namespace qtr {
namespace {

constexpr std::string_view kMarker = "password";

void PutWord(PasswordRecord& record, size_t offset, uint32_t value) {
  for (size_t i = 0; i < 4; ++i) record[offset + i] = static_cast<uint8_t>(value >> (8 * i));
}

bool MultiplyChecked(uint64_t a, uint64_t b, uint64_t& out) {
  if (a != 0 && b > UINT64_MAX / a) return false;
  out = a * b;
  return true;
}

}  // namespace

std::optional<uint64_t> PasswordRecordOffset(const DiskGeometry& geometry) {
  if (geometry.Cylinders <= 0 || geometry.BytesPerSector < kPasswordRecordSize) return std::nullopt;
  uint64_t sectors = 0;
  uint64_t offset = 0;
  if (!MultiplyChecked(static_cast<uint64_t>(geometry.Cylinders), geometry.TracksPerCylinder, sectors) ||
      !MultiplyChecked(sectors, geometry.SectorsPerTrack, sectors) || sectors < 2 ||
      !MultiplyChecked(sectors - 2, geometry.BytesPerSector, offset))
    return std::nullopt;
  return offset;
}

bool IsValidPasswordRecord(const PasswordRecord& record) {
  const auto begin = record.begin() + kPasswordMarkerOffset;
  const auto end = std::find(begin, record.end(), uint8_t{0});
  return static_cast<size_t>(end - begin) == kMarker.size() && std::equal(begin, end, kMarker.begin());
}

uint32_t PasswordSetWord(const PasswordRecord& record) {
  return static_cast<uint32_t>(record[0]) | static_cast<uint32_t>(record[1]) << 8 |
         static_cast<uint32_t>(record[2]) << 16 | static_cast<uint32_t>(record[3]) << 24;
}

PasswordRecord FreshPasswordRecord() {
  PasswordRecord record{};
  std::memcpy(record.data() + kPasswordMarkerOffset, kMarker.data(), kMarker.size());
  return record;
}

std::u16string StoredPassword(const PasswordRecord& record) {
  const auto begin = record.begin() + kPasswordTextOffset;
  const auto end = std::find(begin, record.end(), uint8_t{0});
  std::u16string text;
  if (!DecodeToUtf16(0, std::string_view(reinterpret_cast<const char*>(&*begin), end - begin), text))
    text.clear();
  return text;
}

PasswordEncoding BuildPasswordRecord(std::u16string_view password, PasswordRecord& record) {
  std::string ansi;
  bool lossy = false;
  if (!EncodeFromUtf16(0, password, ansi, lossy) || lossy) return PasswordEncoding::NotRepresentable;
  // A zero byte would end the stored text early.
  if (ansi.find('\0') != std::string::npos) return PasswordEncoding::NotRepresentable;
  if (ansi.size() > kPasswordMaxBytes) return PasswordEncoding::TooLong;
  record = FreshPasswordRecord();
  PutWord(record, 0, password.empty() ? 0 : 1);
  PutWord(record, 4, static_cast<uint32_t>(password.size()));
  std::memcpy(record.data() + kPasswordTextOffset, ansi.data(), ansi.size());
  return PasswordEncoding::Ok;
}

}  // namespace qtr
