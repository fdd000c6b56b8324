// Any bytes as the password sector of a disk (cut or zero-padded to 512),
// and as a password to store: the record is read within its bytes and a
// stored password reads back as itself.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "devices/PasswordRecord.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  qtr::PasswordRecord record{};
  std::copy_n(data, std::min(size, record.size()), record.begin());
  (void)qtr::IsValidPasswordRecord(record);
  (void)qtr::HasPassword(record);
  const std::u16string stored = qtr::StoredPassword(record);
  if (stored.size() > qtr::kPasswordRecordSize - qtr::kPasswordTextOffset) std::abort();

  // The same bytes taken as a password typed in (pairs of bytes as UTF-16).
  std::u16string typed;
  for (size_t i = 0; i + 1 < size && typed.size() < 600; i += 2)
    typed.push_back(static_cast<char16_t>(data[i] | data[i + 1] << 8));
  qtr::PasswordRecord built{};
  if (qtr::BuildPasswordRecord(typed, built) == qtr::PasswordEncoding::Ok) {
    if (!qtr::IsValidPasswordRecord(built) || qtr::StoredPassword(built) != typed) std::abort();
    if (qtr::HasPassword(built) == typed.empty() || built.back() != 0) std::abort();
  }
  qtr::DiskGeometry geometry{};
  std::copy_n(data, std::min(size, sizeof geometry), reinterpret_cast<uint8_t*>(&geometry));
  if (const auto offset = qtr::PasswordRecordOffset(geometry); offset && geometry.BytesPerSector < 512)
    std::abort();
  return 0;
}
