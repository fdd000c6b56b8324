// The document object of every XML file the system keeps: the text as it is
// on disk plus an index of its elements, walked with a parent/current/child
// cursor. Edits splice the text in place, so whatever they do not touch is
// saved byte for byte. Operations report by bool or an empty string.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

#include "xml/XmlElementTable.h"
#include "xml/XmlResultLog.h"

namespace qtr {

class XmlDocument {
 public:
  XmlDocument();

  // Reads and parses a file. True when it was read and is well-formed; a file
  // that cannot be read leaves the document empty, an ill-formed one leaves
  // what was read. Every position is reset.
  bool Load(std::u16string_view path);
  // As Load, for the bytes of a file already in memory.
  bool LoadBytes(std::string_view bytes);
  // Replaces the text and parses it; the encoding flags are cleared.
  bool SetDoc(std::u16string_view text);
  // Writes the text in the encoding it was read in (see XmlFileEncoding.h).
  bool Save(std::u16string_view path);

  const std::u16string& GetDoc() const { return text_; }
  // What the last Load, Save and parse reported.
  const std::u16string& GetResult() const { return log_.Text(); }
  bool IsWellFormed() const {
    return (table_[0].flags & ElementRecord::kIllFormed) == 0 && table_[0].firstChild != 0;
  }
  uint32_t EncodingFlags() const { return flags_; }

  // Navigation. A null or empty name matches any element.
  void ResetPosition();
  bool FindElement(std::u16string_view name = {});
  bool FindChildElement(std::u16string_view name = {});
  bool IntoElement();
  bool OutOfElement();

  // Reading. Text and attribute values come back unescaped.
  std::u16string GetData() const { return DataOf(current_); }
  std::u16string GetChildData() const { return DataOf(child_); }
  std::u16string GetAttribute(std::u16string_view name) const { return AttributeOf(current_, name); }
  std::u16string GetChildAttribute(std::u16string_view name) const { return AttributeOf(child_, name); }
  std::u16string GetTagName() const { return std::u16string(NameOf(current_)); }
  std::u16string GetChildTagName() const { return std::u16string(NameOf(child_)); }

  // Editing. Each new element is written on its own line, "<name/>" when the
  // value is empty, and becomes the current (or child) element.
  bool AddElement(std::u16string_view name, std::u16string_view value = {});
  bool InsertElement(std::u16string_view name, std::u16string_view value = {});
  bool AddChildElement(std::u16string_view name, std::u16string_view value = {});
  bool SetAttribute(std::u16string_view name, std::u16string_view value);
  bool SetChildAttribute(std::u16string_view name, std::u16string_view value);
  bool RemoveChildElement();

 private:
  enum class Place { After, Before };

  bool Parse();
  std::u16string_view NameOf(uint32_t element) const;
  std::u16string DataOf(uint32_t element) const;
  std::u16string AttributeOf(uint32_t element, std::u16string_view name) const;
  size_t StartTagClose(uint32_t element) const;
  uint32_t LastChildOf(uint32_t parent) const;

  // Writes a new element under parent, after or before the sibling ref (at the
  // end or the start of the parent's content when ref is 0). Returns its index, 0 on failure.
  uint32_t Insert(uint32_t parent, uint32_t ref, Place place, std::u16string_view name,
                  std::u16string_view value);
  // Insert beside the current element, which the new one replaces as current.
  bool AddSibling(Place place, std::u16string_view name, std::u16string_view value);
  bool SetAttributeOf(uint32_t element, std::u16string_view name, std::u16string_view value);
  // Replaces text [pos, pos + removed) by inserted; every element starting at
  // or after pos + removed moves, and enclosing and its ancestors change length.
  void Splice(size_t pos, size_t removed, std::u16string_view inserted, uint32_t enclosing);
  bool RoomFor(size_t added) const;
  // Returns the records of an element and everything inside it to the table.
  void ReleaseSubtree(uint32_t element);

  std::u16string text_;
  XmlResultLog log_;
  XmlElementTable table_;
  uint32_t parent_ = 0, current_ = 0, child_ = 0;
  uint32_t flags_ = 0;
};

}  // namespace qtr
