#include "xml/XmlResultLog.h"

#include "xml/XmlEscape.h"

namespace qtr {
namespace {

constexpr size_t kLogCap = 999;

}  // namespace

void XmlResultLog::Add(std::u16string_view record, std::initializer_list<Attribute> attributes) {
  if (text_.size() > kLogCap) return;
  text_ += u'<';
  text_ += record;
  for (const auto& [name, value] : attributes) {
    text_ += u' ';
    text_ += name;
    text_ += u"=\"";
    text_ += EscapeXmlAttribute(value);
    text_ += u'"';
  }
  text_ += u"/>";
}

bool XmlResultLog::Has(std::u16string_view record) const {
  const std::u16string open = u"<" + std::u16string(record);
  for (size_t at = text_.find(open); at != std::u16string::npos; at = text_.find(open, at + 1)) {
    const char16_t next = at + open.size() < text_.size() ? text_[at + open.size()] : u'\0';
    if (next == u' ' || next == u'/') return true;
  }
  return false;
}

void XmlResultLog::Update(std::u16string_view record, std::u16string_view attribute,
                          const std::u16string& value) {
  const std::u16string open = u"<" + std::u16string(record);
  size_t at = std::u16string::npos;
  for (size_t p = text_.find(open); p != std::u16string::npos; p = text_.find(open, p + 1)) {
    const char16_t next = p + open.size() < text_.size() ? text_[p + open.size()] : u'\0';
    if (next == u' ' || next == u'/') at = p;
  }
  if (at == std::u16string::npos) {
    Add(record, {{attribute, value}});
    return;
  }
  const size_t end = text_.find(u"/>", at);
  const std::u16string key = u" " + std::u16string(attribute) + u"=\"";
  const size_t existing = text_.find(key, at);
  const std::u16string escaped = EscapeXmlAttribute(value);
  if (existing != std::u16string::npos && existing < end) {
    const size_t valueStart = existing + key.size();
    const size_t valueEnd = text_.find(u'"', valueStart);
    text_.replace(valueStart, valueEnd - valueStart, escaped);
  } else if (text_.size() <= kLogCap) {
    text_.insert(end, key + escaped + u"\"");
  }
}

}  // namespace qtr
