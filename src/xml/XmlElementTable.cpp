#include "xml/XmlElementTable.h"

#include <algorithm>

namespace qtr {

void XmlElementTable::Reset(uint32_t capacity) {
  blocks_.clear();
  released_.clear();
  capacity_ = 0;
  Grow(std::max<uint32_t>(capacity, 1));
  count_ = 1;
  (*this)[0] = ElementRecord{};
}

void XmlElementTable::Grow(uint32_t capacity) {
  // Every block but the last is full; the last is sized to what is asked.
  while (capacity_ < capacity) {
    if (blocks_.empty() || blocks_.back().size() == kBlockSize) blocks_.emplace_back();
    auto& last = blocks_.back();
    const uint32_t add =
        std::min<uint32_t>(kBlockSize - static_cast<uint32_t>(last.size()), capacity - capacity_);
    last.resize(last.size() + add);
    capacity_ += add;
  }
}

uint32_t XmlElementTable::Add() {
  if (!released_.empty()) {
    const uint32_t index = released_.back();
    released_.pop_back();
    (*this)[index] = ElementRecord{};
    return index;
  }
  constexpr uint32_t kMaxRecords = 0xFFFFFFF0u;
  if (count_ >= kMaxRecords) return 0;
  if (count_ == capacity_) {
    const uint64_t grown = static_cast<uint64_t>(capacity_) + capacity_ / 2 + 1;
    Grow(static_cast<uint32_t>(std::min<uint64_t>(grown, kMaxRecords)));
  }
  const uint32_t index = count_++;
  (*this)[index] = ElementRecord{};
  return index;
}

void XmlElementTable::Release(uint32_t index) {
  if (index == 0 || index >= count_) return;
  (*this)[index].flags = ElementRecord::kRemoved;
  released_.push_back(index);
}

}  // namespace qtr
