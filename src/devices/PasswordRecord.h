// The password record kept in a reserved sector near the end of a supported
// disk (other machines read it, so its layout is fixed):
//   0  4 bytes  1 when a password is set, 0 when not (little-endian)
//   4  4 bytes  length of the password in UTF-16 characters
//   8  8 bytes  "password", no terminator
//  16  1 byte   0
//  17  ...      the password in the ANSI code page, no terminator, then zeros
// The password is stored as plain text; it is never logged or shown.
#pragma once
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "devices/DiskGeometry.h"

namespace qtr {

inline constexpr size_t kPasswordRecordSize = 512;
using PasswordRecord = std::array<uint8_t, kPasswordRecordSize>;

inline constexpr size_t kPasswordMarkerOffset = 8;
inline constexpr size_t kPasswordTextOffset = 17;
// The longest ANSI form that still leaves the record's last byte zero, so
// the stored text always ends inside the record.
inline constexpr size_t kPasswordMaxBytes = kPasswordRecordSize - kPasswordTextOffset - 1;  // 494

// Byte offset of the record: sector (C x H x S - 2) times the sector size,
// in 64 bits. Empty for a geometry that has no such sector: fewer than two
// sectors, sectors smaller than the record, or a product beyond 64 bits.
// Writing anywhere else could destroy the start of the disk.
std::optional<uint64_t> PasswordRecordOffset(const DiskGeometry& geometry);

// True when the bytes from offset 8 up to the first zero byte are "password".
bool IsValidPasswordRecord(const PasswordRecord& record);
// The first word: non-zero when a password is set.
uint32_t PasswordSetWord(const PasswordRecord& record);
inline bool HasPassword(const PasswordRecord& record) {
  return PasswordSetWord(record) != 0;
}

// All zero but the marker: the record of a disk without password.
PasswordRecord FreshPasswordRecord();

// The stored password: the zero-terminated bytes from offset 17 (never
// beyond the record), ANSI decoded. The length word is not trusted.
std::u16string StoredPassword(const PasswordRecord& record);

enum class PasswordEncoding { Ok, TooLong, NotRepresentable };

// The record for a new password (empty removes the password). A password
// whose ANSI form is over 494 bytes, or that has characters the ANSI code
// page cannot hold (it could never be entered back), is refused.
PasswordEncoding BuildPasswordRecord(std::u16string_view password, PasswordRecord& record);

}  // namespace qtr
