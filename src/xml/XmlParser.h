// Builds the element table of a document text in one left-to-right pass.
#pragma once
#include <string_view>

#include "xml/XmlElementTable.h"
#include "xml/XmlResultLog.h"

namespace qtr {

// Fills table (record 0 is the document) and reports every fault to log.
// Returns true when the document is well-formed: exactly one root element and
// no fault that marks the document ill-formed. Never reads outside text.
bool ParseXml(std::u16string_view text, XmlElementTable& table, XmlResultLog& log);

}  // namespace qtr
