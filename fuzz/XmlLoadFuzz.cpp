// Feeds arbitrary bytes to the XML reader as if they were a file, then walks
// and edits what was parsed. For a well-formed document the edited index must
// still agree with a fresh parse of the edited text.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "xml/XmlDocument.h"

namespace {

// The names, data and one attribute of the root's children, in order.
std::u16string Outline(qtr::XmlDocument& doc) {
  std::u16string out;
  doc.ResetPosition();
  while (doc.FindChildElement())
    out += doc.GetChildTagName() + u"=" + doc.GetChildData() + u"@" + doc.GetChildAttribute(u"a") + u";";
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  qtr::XmlDocument doc;
  const bool wellFormed = doc.LoadBytes(std::string_view(reinterpret_cast<const char*>(data), size));
  Outline(doc);

  doc.ResetPosition();
  if (doc.FindChildElement()) {
    doc.SetChildAttribute(u"a", u"\"'<&");
    doc.RemoveChildElement();
    doc.AddChildElement(u"k", u"v&<");
  }
  if (doc.IntoElement() && doc.FindElement()) {
    doc.AddElement(u"n");
    doc.IntoElement();
    doc.InsertElement(u"m", u"x");
  }
  if (wellFormed) {
    const std::u16string edited = Outline(doc);
    qtr::XmlDocument reparsed;
    if (!reparsed.SetDoc(doc.GetDoc()) || Outline(reparsed) != edited) std::abort();
  }
  return 0;
}
