// The index of an XML document: one record per element, addressed by a
// 32-bit index whose high 16 bits pick a block of 65,536 records and whose
// low 16 bits pick the record in it. Record 0 stands for the document itself.
#pragma once
#include <cstdint>
#include <vector>

namespace qtr {

struct ElementRecord {
  uint32_t start = 0;           // offset of the element's '<' in the text
  uint32_t length = 0;          // the whole element, end tag included
  uint32_t startTagLength = 0;  // "<name ...>" or "<name .../>"
  uint32_t endTagLength = 0;    // "</name>", 0 for an empty-element tag
  uint32_t parent = 0, firstChild = 0, nextSibling = 0, previousSibling = 0;
  uint16_t flags = 0;

  static constexpr uint16_t kEndedByParent = 0x1;  // start tag never closed
  static constexpr uint16_t kIllFormed = 0x2;      // on record 0 only
  static constexpr uint16_t kRemoved = 0x4;        // cut out of the text by an edit

  uint32_t End() const { return start + length; }
  uint32_t ContentStart() const { return start + startTagLength; }
  uint32_t ContentEnd() const { return start + length - endTagLength; }
};

class XmlElementTable {
 public:
  static constexpr uint32_t kBlockBits = 16;
  static constexpr uint32_t kBlockSize = 1u << kBlockBits;

  // Empties the table (only record 0 remains) and makes room for capacity records.
  void Reset(uint32_t capacity);
  // A new blank record, reusing a released one first; the table grows by half
  // when it is full. Returns 0 when no more records can be addressed.
  uint32_t Add();
  // Gives back the record of an element cut out of the text, so a document
  // edited for a long time does not keep growing its table.
  void Release(uint32_t index);

  ElementRecord& operator[](uint32_t index) { return blocks_[index >> kBlockBits][index & (kBlockSize - 1)]; }
  const ElementRecord& operator[](uint32_t index) const {
    return blocks_[index >> kBlockBits][index & (kBlockSize - 1)];
  }

  uint32_t Count() const { return count_; }  // records handed out, record 0 and released ones included
  uint32_t Capacity() const { return capacity_; }

 private:
  void Grow(uint32_t capacity);

  std::vector<std::vector<ElementRecord>> blocks_;
  std::vector<uint32_t> released_;
  uint32_t count_ = 0;
  uint32_t capacity_ = 0;
};

}  // namespace qtr
