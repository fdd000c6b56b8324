#include "xml/XmlDocument.h"

#include "platform/NumberText.h"
#include "platform/SystemError.h"
#include "platform/WholeFile.h"
#include "xml/XmlEscape.h"
#include "xml/XmlFileEncoding.h"
#include "xml/XmlParser.h"
#include "xml/XmlSyntax.h"

namespace qtr {
namespace {

constexpr size_t npos = std::u16string_view::npos;
// Offsets are 32-bit; a text stays well below that so every sum fits.
constexpr size_t kMaxText = 0x7FFFFFFF;

std::u16string FirstLine(const std::u16string& text) {
  return text.substr(0, text.find_first_of(u"\r\n"));
}

// "<name>value</name>" or "<name/>", then a line end.
std::u16string ElementText(std::u16string_view name, std::u16string_view value) {
  std::u16string out;
  out += u'<';
  out += name;
  if (value.empty()) {
    out += u"/>";
  } else {
    out += u'>';
    out += EscapeXmlText(value);
    out += u"</";
    out += name;
    out += u'>';
  }
  out += u"\r\n";
  return out;
}

bool ValidName(std::u16string_view name) {
  if (name.empty() || !xml::IsNameStart(name[0])) return false;
  return xml::NameEnd(name, 0) == name.size();
}

}  // namespace

XmlDocument::XmlDocument() {
  table_.Reset(8);
}

bool XmlDocument::Parse() {
  ResetPosition();
  return ParseXml(text_, table_, log_);
}

bool XmlDocument::Load(std::u16string_view path) {
  log_.Clear();
  std::string bytes;
  const uint32_t error = ReadWholeFile(path, bytes);
  if (error == 0 && bytes.size() <= kMaxText) return LoadBytes(bytes);
  const uint32_t code = error != 0 ? error : kErrorNotEnoughMemory;
  log_.Add(u"file_error", {{u"msg", FirstLine(SystemErrorMessage(code))}, {u"n", DigitsOf(code)}});
  text_.clear();
  flags_ = 0;
  table_.Reset(8);
  ResetPosition();
  return false;
}

bool XmlDocument::LoadBytes(std::string_view bytes) {
  text_ = DecodeXmlFile(bytes, flags_, log_);
  return Parse();
}

bool XmlDocument::SetDoc(std::u16string_view text) {
  log_.Clear();
  flags_ = 0;
  text_.assign(text.substr(0, kMaxText));
  return Parse();
}

bool XmlDocument::Save(std::u16string_view path) {
  std::u16string encoding;
  const std::string bytes = EncodeXmlFile(text_, flags_, log_, encoding);
  // Never truncated in place: a crash mid-save would leave a damaged file.
  const uint32_t error = ReplaceWholeFile(path, bytes);
  if (error != 0) {
    log_.Add(u"file_error", {{u"msg", FirstLine(SystemErrorMessage(error))}, {u"n", DigitsOf(error)}});
    return false;
  }
  log_.Add(u"write", {{u"encoding", encoding}, {u"length", DigitsOf(bytes.size())}});
  return true;
}

// --- navigation ---

void XmlDocument::ResetPosition() {
  parent_ = current_ = child_ = 0;
}

bool XmlDocument::FindElement(std::u16string_view name) {
  uint32_t c = current_ != 0 ? table_[current_].nextSibling : table_[parent_].firstChild;
  for (; c != 0; c = table_[c].nextSibling) {
    if (name.empty() || NameOf(c) == name) {
      current_ = c;
      child_ = 0;
      return true;
    }
  }
  return false;
}

bool XmlDocument::FindChildElement(std::u16string_view name) {
  if (current_ == 0 && !FindElement()) return false;
  uint32_t c = child_ != 0 ? table_[child_].nextSibling : table_[current_].firstChild;
  for (; c != 0; c = table_[c].nextSibling) {
    if (name.empty() || NameOf(c) == name) {
      child_ = c;
      return true;
    }
  }
  return false;
}

bool XmlDocument::IntoElement() {
  if (current_ == 0) return false;
  parent_ = current_;
  current_ = child_;
  child_ = 0;
  return true;
}

bool XmlDocument::OutOfElement() {
  if (parent_ == 0) return false;
  child_ = current_;
  current_ = parent_;
  parent_ = table_[parent_].parent;
  return true;
}

// --- reading ---

std::u16string_view XmlDocument::NameOf(uint32_t element) const {
  if (element == 0) return {};
  const size_t start = table_[element].start + 1;
  return std::u16string_view(text_).substr(start, xml::NameEnd(text_, start) - start);
}

std::u16string XmlDocument::DataOf(uint32_t element) const {
  if (element == 0) return {};
  const ElementRecord& record = table_[element];
  if (record.endTagLength == 0 || record.firstChild != 0) return {};
  const std::u16string_view content =
      std::u16string_view(text_).substr(record.ContentStart(), record.ContentEnd() - record.ContentStart());
  std::u16string out;
  size_t i = 0;
  while (i < content.size()) {
    const size_t lt = content.find(u'<', i);
    AppendUnescapedXml(content.substr(i, (lt == npos ? content.size() : lt) - i), out);
    if (lt == npos) break;
    const std::u16string_view rest = content.substr(lt);
    size_t close;
    if (rest.starts_with(u"<![CDATA[")) {
      close = content.find(u"]]>", lt + 9);
      out.append(content.substr(lt + 9, (close == npos ? content.size() : close) - lt - 9));
      i = close == npos ? content.size() : close + 3;
    } else if (rest.starts_with(u"<!--")) {
      close = content.find(u"-->", lt + 4);
      i = close == npos ? content.size() : close + 3;
    } else if (rest.starts_with(u"<?")) {
      close = content.find(u"?>", lt + 2);
      i = close == npos ? content.size() : close + 2;
    } else {
      close = content.find(u'>', lt + 1);
      i = close == npos ? content.size() : close + 1;
    }
  }
  return out;
}

size_t XmlDocument::StartTagClose(uint32_t element) const {
  const ElementRecord& record = table_[element];
  size_t close = record.ContentStart() - 1;  // the '>'
  if (close > record.start && text_[close - 1] == u'/') --close;
  return close;
}

std::u16string XmlDocument::AttributeOf(uint32_t element, std::u16string_view name) const {
  if (element == 0 || name.empty()) return {};
  xml::AttributeSpan span;
  if (!xml::FindAttribute(text_, table_[element].start, StartTagClose(element), name, span)) return {};
  return UnescapeXml(std::u16string_view(text_).substr(span.valueStart, span.valueEnd - span.valueStart));
}

uint32_t XmlDocument::LastChildOf(uint32_t parent) const {
  uint32_t last = 0;
  for (uint32_t c = table_[parent].firstChild; c != 0; c = table_[c].nextSibling) last = c;
  return last;
}

// --- editing ---

bool XmlDocument::RoomFor(size_t added) const {
  return text_.size() + added <= kMaxText;
}

void XmlDocument::Splice(size_t pos, size_t removed, std::u16string_view inserted, uint32_t enclosing) {
  text_.replace(pos, removed, inserted);
  const auto delta = static_cast<int64_t>(inserted.size()) - static_cast<int64_t>(removed);
  const uint32_t count = table_.Count();
  for (uint32_t r = 1; r < count; ++r) {
    ElementRecord& record = table_[r];
    if ((record.flags & ElementRecord::kRemoved) == 0 && record.start >= pos + removed)
      record.start = static_cast<uint32_t>(record.start + delta);
  }
  for (uint32_t a = enclosing; a != 0; a = table_[a].parent)
    table_[a].length = static_cast<uint32_t>(table_[a].length + delta);
}

uint32_t XmlDocument::Insert(uint32_t parent, uint32_t ref, Place place, std::u16string_view name,
                             std::u16string_view value) {
  if (!ValidName(name)) return 0;
  const std::u16string element = ElementText(name, value);
  if (!RoomFor(element.size() * 2 + name.size() + 8)) return 0;
  const uint32_t index = table_.Add();
  if (index == 0) return 0;

  uint32_t previous, next;
  if (place == Place::After) {
    previous = ref != 0 ? ref : LastChildOf(parent);
    next = ref != 0 ? table_[ref].nextSibling : 0;
  } else {
    previous = ref != 0 ? table_[ref].previousSibling : 0;
    next = ref != 0 ? ref : table_[parent].firstChild;
  }

  size_t elementStart;
  const ElementRecord host = table_[parent];
  const bool hostEmpty = parent != 0 && (host.endTagLength == 0 || host.ContentStart() == host.ContentEnd());
  if (hostEmpty) {
    // "<p/>" (or "<p></p>", or a start tag never closed) becomes the start
    // tag, a line end, the new element on its line, and the end tag.
    std::u16string startTag = text_.substr(host.start, host.startTagLength);
    if (host.endTagLength == 0 && (host.flags & ElementRecord::kEndedByParent) == 0) {
      startTag.erase(StartTagClose(parent) - host.start, 1);  // the '/' of "/>"
    }
    const std::u16string endTag = u"</" + std::u16string(NameOf(parent)) + u">";
    const std::u16string rewritten = startTag + u"\r\n" + element + endTag;
    const size_t oldEnd = host.start + host.length;
    // Only the empty host's own text is replaced; what followed it moves.
    Splice(host.start, oldEnd - host.start, rewritten, table_[parent].parent);
    ElementRecord& updated = table_[parent];
    updated.startTagLength = static_cast<uint32_t>(startTag.size());
    updated.endTagLength = static_cast<uint32_t>(endTag.size());
    updated.length = static_cast<uint32_t>(rewritten.size());
    updated.flags &= static_cast<uint16_t>(~ElementRecord::kEndedByParent);
    elementStart = host.start + startTag.size() + 2;
  } else {
    size_t pos;
    if (place == Place::After && ref != 0) {
      // After the element and the line end that follows it, when an element follows.
      pos = table_[ref].End();
      const size_t skipped = xml::SkipSpace(text_, pos);
      if (skipped < text_.size() && text_[skipped] == u'<') pos = skipped;
    } else if (place == Place::After) {
      pos = parent != 0 ? host.ContentEnd() : text_.size();
    } else if (ref != 0) {
      pos = table_[ref].start;
    } else if (parent != 0) {
      pos = xml::SkipSpace(text_, host.ContentStart());
    } else {
      pos = next != 0 ? table_[next].start : text_.size();
    }
    Splice(pos, 0, element, parent);
    elementStart = pos;
  }

  ElementRecord& record = table_[index];
  record.start = static_cast<uint32_t>(elementStart);
  record.length = static_cast<uint32_t>(element.size() - 2);
  record.endTagLength = value.empty() ? 0 : static_cast<uint32_t>(name.size() + 3);
  record.startTagLength = value.empty() ? record.length : static_cast<uint32_t>(name.size() + 2);
  record.parent = parent;
  record.previousSibling = previous;
  record.nextSibling = next;
  if (previous != 0) {
    table_[previous].nextSibling = index;
  } else {
    table_[parent].firstChild = index;
  }
  if (next != 0) table_[next].previousSibling = index;
  return index;
}

bool XmlDocument::AddSibling(Place place, std::u16string_view name, std::u16string_view value) {
  const uint32_t added = Insert(parent_, current_, place, name, value);
  if (added == 0) return false;
  current_ = added;
  child_ = 0;
  return true;
}

bool XmlDocument::AddElement(std::u16string_view name, std::u16string_view value) {
  return AddSibling(Place::After, name, value);
}

bool XmlDocument::InsertElement(std::u16string_view name, std::u16string_view value) {
  return AddSibling(Place::Before, name, value);
}

bool XmlDocument::AddChildElement(std::u16string_view name, std::u16string_view value) {
  if (current_ == 0) return false;
  const uint32_t added = Insert(current_, child_, Place::After, name, value);
  if (added == 0) return false;
  child_ = added;
  return true;
}

bool XmlDocument::SetAttributeOf(uint32_t element, std::u16string_view name, std::u16string_view value) {
  if (element == 0 || !ValidName(name)) return false;
  const std::u16string escaped = EscapeXmlAttribute(value);
  if (!RoomFor(escaped.size() + name.size() + 4)) return false;
  const size_t close = StartTagClose(element);
  const uint32_t start = table_[element].start;
  xml::AttributeSpan span;
  size_t pos, removed = 0;
  std::u16string inserted;
  if (xml::FindAttribute(text_, start, close, name, span)) {
    if (span.quoted) {
      pos = span.valueStart;
      removed = span.valueEnd - span.valueStart;
      inserted = escaped;
    } else if (span.valueEnd > span.nameEnd) {  // name=value without quotes
      pos = span.valueStart;
      removed = span.valueEnd - span.valueStart;
      inserted = u"\"" + escaped + u"\"";
    } else {  // a bare name
      pos = span.nameEnd;
      inserted = u"=\"" + escaped + u"\"";
    }
  } else {
    // After the last attribute, or after the name when there is none.
    pos = xml::NameEnd(text_, start + 1);
    for (size_t i = pos; xml::NextAttribute(text_, i, close, span); i = span.end) pos = span.end;
    inserted = u" " + std::u16string(name) + u"=\"" + escaped + u"\"";
  }
  Splice(pos, removed, inserted, element);
  const auto delta = static_cast<int64_t>(inserted.size()) - static_cast<int64_t>(removed);
  table_[element].startTagLength = static_cast<uint32_t>(table_[element].startTagLength + delta);
  return true;
}

bool XmlDocument::SetAttribute(std::u16string_view name, std::u16string_view value) {
  return SetAttributeOf(current_, name, value);
}

bool XmlDocument::SetChildAttribute(std::u16string_view name, std::u16string_view value) {
  return SetAttributeOf(child_, name, value);
}

bool XmlDocument::RemoveChildElement() {
  if (child_ == 0) return false;
  const ElementRecord removed = table_[child_];
  const size_t end = xml::SkipSpace(text_, removed.End());
  Splice(removed.start, end - removed.start, {}, removed.parent);
  if (removed.previousSibling != 0) {
    table_[removed.previousSibling].nextSibling = removed.nextSibling;
  } else {
    table_[removed.parent].firstChild = removed.nextSibling;
  }
  if (removed.nextSibling != 0) table_[removed.nextSibling].previousSibling = removed.previousSibling;
  ReleaseSubtree(child_);
  child_ = removed.previousSibling;
  return true;
}

void XmlDocument::ReleaseSubtree(uint32_t element) {
  // Depth first without recursion: a document may nest very deeply.
  uint32_t at = element;
  while (at != 0) {
    if (table_[at].firstChild != 0) {
      const uint32_t first = table_[at].firstChild;
      table_[at].firstChild = 0;
      at = first;
      continue;
    }
    const uint32_t next = at == element ? 0 : table_[at].nextSibling;
    const uint32_t up = at == element ? 0 : table_[at].parent;
    table_.Release(at);
    at = next != 0 ? next : up;
  }
}

}  // namespace qtr
