// The report of the last load, save and parse of an XML document: a run of
// empty elements such as <file_error msg="..." n="2"/>. Once it holds more
// than 999 characters nothing more is added, so a bad file cannot make it grow.
#pragma once
#include <initializer_list>
#include <string>
#include <string_view>
#include <utility>

namespace qtr {

class XmlResultLog {
 public:
  using Attribute = std::pair<std::u16string_view, std::u16string>;

  void Clear() { text_.clear(); }
  void Add(std::u16string_view record, std::initializer_list<Attribute> attributes = {});
  // Sets an attribute of the last record of that name (adding the record when there is none).
  void Update(std::u16string_view record, std::u16string_view attribute, const std::u16string& value);
  bool Has(std::u16string_view record) const;
  const std::u16string& Text() const { return text_; }

 private:
  std::u16string text_;
};

}  // namespace qtr
