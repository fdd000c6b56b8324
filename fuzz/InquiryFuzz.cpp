// Any bytes as the answer of INQUIRY and of READ CAPACITY(10) and (16). The
// input is copied into a buffer of exactly its size, so a read beyond it is
// caught.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>

#include "devices/CapacityAnswer.h"
#include "devices/InquiryAnswer.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::unique_ptr<uint8_t[]> exact(new uint8_t[size == 0 ? 1 : size]);
  for (size_t i = 0; i < size; ++i) exact[i] = data[i];
  const qtr::InquiryAnswer answer = qtr::ParseInquiryAnswer(exact.get(), size);
  if (answer.supported && size < qtr::kInquiryLength) std::abort();
  if (answer.displayName.size() > answer.vendor.size() + answer.product.size()) std::abort();
  const std::u16string vendor = qtr::VendorNameFor(answer.vendor);
  (void)vendor;
  (void)qtr::CapacityFromReadCapacity10(exact.get(), size);
  (void)qtr::CapacityFromReadCapacity16(exact.get(), size);
  return 0;
}
