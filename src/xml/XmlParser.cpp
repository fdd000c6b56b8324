#include "xml/XmlParser.h"

#include <vector>

#include "platform/NumberText.h"
#include "xml/XmlSyntax.h"

namespace qtr {
namespace {

using xml::IsNameStart;
using xml::NameEnd;

constexpr size_t npos = std::u16string_view::npos;

class Parser {
 public:
  Parser(std::u16string_view text, XmlElementTable& table, XmlResultLog& log)
      : text_(text), table_(table), log_(log) {}

  bool Run() {
    table_.Reset(static_cast<uint32_t>(text_.size() / 64 + 8));
    open_.push_back({0, 0});
    size_t i = 0;
    while (i < text_.size()) {
      const size_t lt = text_.find(u'<', i);
      if (lt == npos) break;
      i = ParseMarkup(lt);
    }
    // Elements still open at the end have no end tag: their content moves up
    // to the document level.
    if (open_.size() > 1) EndUnended(0);
    CheckRoot();
    if (illFormed_) table_[0].flags |= ElementRecord::kIllFormed;
    return !illFormed_;
  }

 private:
  struct OpenElement {
    uint32_t index;
    uint32_t lastChild;
  };

  bool StartsWith(size_t at, std::u16string_view prefix) const {
    return text_.substr(at, prefix.size()) == prefix;
  }

  void Fault(std::u16string_view record, size_t offset, size_t offset2 = npos) {
    illFormed_ = true;
    if (offset2 == npos) {
      log_.Add(record, {{u"offset", DigitsOf(offset)}});
    } else {
      log_.Add(record, {{u"offset", DigitsOf(offset)}, {u"offset2", DigitsOf(offset2)}});
    }
  }

  void TagFault(std::u16string_view record, size_t nameStart, size_t nameEnd, size_t offset) {
    illFormed_ = true;
    log_.Add(record, {{u"tagname", std::u16string(text_.substr(nameStart, nameEnd - nameStart))},
                      {u"offset", DigitsOf(offset)}});
  }

  // Skips past the next '>' at or after from; to the end when there is none.
  size_t PastNextGreater(size_t from) const {
    const size_t gt = text_.find(u'>', from);
    return gt == npos ? text_.size() : gt + 1;
  }

  // Parses the markup that starts with the '<' at lt; returns where to go on.
  size_t ParseMarkup(size_t lt) {
    if (lt + 1 >= text_.size()) {
      Fault(u"unterminated_tag_syntax", lt);
      return text_.size();
    }
    const char16_t c = text_[lt + 1];
    if (c == u'?') {
      const size_t end = text_.find(u"?>", lt + 2);
      if (end == npos) {
        Fault(u"unterminated_tag_syntax", lt);
        return text_.size();
      }
      return end + 2;
    }
    if (c == u'!') return ParseExclamation(lt);
    if (c == u'/') return ParseEndTag(lt);
    if (!IsNameStart(c)) {
      // A '<' that starts no markup: only the character itself is skipped,
      // so a tag that follows is still read.
      Fault(u"first_tag_syntax", lt);
      return lt + 1;
    }
    return ParseStartTag(lt);
  }

  size_t ParseExclamation(size_t lt) {
    if (StartsWith(lt, u"<!--")) {
      const size_t end = text_.find(u"-->", lt + 4);
      if (end != npos) return end + 3;
      Fault(u"comment_tag_syntax", lt);
      return PastNextGreater(lt + 4);
    }
    if (StartsWith(lt, u"<![CDATA[")) {
      const size_t end = text_.find(u"]]>", lt + 9);
      if (end != npos) return end + 3;
      Fault(u"cdata_section_syntax", lt);
      return text_.size();
    }
    if (StartsWith(lt, u"<!DOCTYPE")) {
      // The internal subset in brackets and quoted literals may hold '>'.
      int depth = 0;
      char16_t quote = 0;
      for (size_t i = lt + 9; i < text_.size(); ++i) {
        const char16_t ch = text_[i];
        if (quote != 0) {
          if (ch == quote) quote = 0;
        } else if (ch == u'"' || ch == u'\'') {
          quote = ch;
        } else if (ch == u'[') {
          ++depth;
        } else if (ch == u']') {
          if (depth > 0) --depth;
        } else if (ch == u'>' && depth == 0) {
          return i + 1;
        }
      }
      Fault(u"doctype_tag_syntax", lt);
      return PastNextGreater(lt + 9);
    }
    Fault(u"exclamation_tag_syntax", lt);
    return PastNextGreater(lt + 2);
  }

  // The end of the tag that starts at lt: the offset of its '>', or npos
  // when another '<' or the end of the text comes first. Quoted attribute
  // values may hold '>' and '<'.
  size_t TagClose(size_t from) const {
    char16_t quote = 0;
    for (size_t i = from; i < text_.size(); ++i) {
      const char16_t ch = text_[i];
      if (quote != 0) {
        if (ch == quote) quote = 0;
      } else if (ch == u'"' || ch == u'\'') {
        quote = ch;
      } else if (ch == u'>') {
        return i;
      } else if (ch == u'<') {
        return npos;
      }
    }
    if (quote == 0) return npos;
    // An unclosed quote: read the tag as if the quote were not there.
    for (size_t i = from; i < text_.size(); ++i) {
      if (text_[i] == u'>') return i;
      if (text_[i] == u'<') return npos;
    }
    return npos;
  }

  size_t ParseStartTag(size_t lt) {
    const size_t nameEnd = NameEnd(text_, lt + 1);
    const size_t gt = TagClose(nameEnd);
    if (gt == npos) {
      Fault(u"unterminated_tag_syntax", lt);
      const size_t next = text_.find(u'<', lt + 1);
      return next == npos ? text_.size() : next;
    }
    const uint32_t index = table_.Add();
    if (index == 0) {
      Fault(u"unterminated_tag_syntax", lt);
      return text_.size();
    }
    OpenElement& parent = open_.back();
    ElementRecord& record = table_[index];
    record.start = static_cast<uint32_t>(lt);
    record.startTagLength = static_cast<uint32_t>(gt + 1 - lt);
    record.length = record.startTagLength;
    record.parent = parent.index;
    if (parent.lastChild == 0) {
      table_[parent.index].firstChild = index;
    } else {
      table_[parent.lastChild].nextSibling = index;
      record.previousSibling = parent.lastChild;
    }
    parent.lastChild = index;
    const bool empty = gt > nameEnd && text_[gt - 1] == u'/';
    if (!empty) open_.push_back({index, 0});
    return gt + 1;
  }

  std::u16string_view NameOf(uint32_t index) const {
    const size_t start = table_[index].start + 1;
    return text_.substr(start, NameEnd(text_, start) - start);
  }

  size_t ParseEndTag(size_t lt) {
    const size_t nameStart = lt + 2;
    const size_t nameEnd = NameEnd(text_, nameStart);
    size_t gt = nameEnd;
    while (gt < text_.size() && text_[gt] != u'>' && text_[gt] != u'<') ++gt;
    if (gt == text_.size() || text_[gt] == u'<') {
      Fault(u"unterminated_tag_syntax", lt);
      return gt;
    }
    const std::u16string_view name = text_.substr(nameStart, nameEnd - nameStart);
    if (name.empty()) {
      Fault(u"first_tag_syntax", lt);
      return gt + 1;
    }
    size_t depth = open_.size() - 1;
    while (depth > 0 && NameOf(open_[depth].index) != name) --depth;
    if (depth == 0) {
      TagFault(u"lone_end_tag", nameStart, nameEnd, lt);
      return gt + 1;
    }
    EndUnended(depth);
    ElementRecord& record = table_[open_[depth].index];
    record.length = static_cast<uint32_t>(gt + 1 - record.start);
    record.endTagLength = static_cast<uint32_t>(gt + 1 - lt);
    open_.pop_back();
    return gt + 1;
  }

  // Every element open inside open_[depth] ends without an end tag; its
  // children become children of open_[depth], in document order. Each such
  // element is the last child of the one it is open in, so the child lists
  // are joined end to end and every element moves once.
  void EndUnended(size_t depth) {
    OpenElement& keeper = open_[depth];
    uint32_t tail = keeper.lastChild;
    for (size_t k = depth + 1; k < open_.size(); ++k) {
      const uint32_t unended = open_[k].index;
      ElementRecord& record = table_[unended];
      const size_t nameStart = record.start + 1;
      TagFault(u"unended_start_tag", nameStart, NameEnd(text_, nameStart), record.start);
      record.flags |= ElementRecord::kEndedByParent;
      const uint32_t first = record.firstChild;
      if (first != 0) {
        for (uint32_t c = first; c != 0; c = table_[c].nextSibling) table_[c].parent = keeper.index;
        table_[tail].nextSibling = first;
        table_[first].previousSibling = tail;
        tail = open_[k].lastChild;
        table_[unended].firstChild = 0;
      }
    }
    keeper.lastChild = tail;
    open_.resize(depth + 1);
  }

  void CheckRoot() {
    const uint32_t root = table_[0].firstChild;
    if (root == 0) {
      illFormed_ = true;
      log_.Add(u"no_root_element");
    } else if (table_[root].nextSibling != 0) {
      const uint32_t second = table_[root].nextSibling;
      const size_t nameStart = table_[second].start + 1;
      TagFault(u"root_has_sibling", nameStart, NameEnd(text_, nameStart), table_[second].start);
    }
  }

  std::u16string_view text_;
  XmlElementTable& table_;
  XmlResultLog& log_;
  std::vector<OpenElement> open_;
  bool illFormed_ = false;
};

}  // namespace

bool ParseXml(std::u16string_view text, XmlElementTable& table, XmlResultLog& log) {
  return Parser(text, table, log).Run();
}

}  // namespace qtr
