#include "pages/OthersExtensionField.h"

namespace qtr {

OthersExtensionField ToggleOthersBox(bool ticked, std::u16string_view current, std::u16string_view prompt) {
  OthersExtensionField field;
  field.enabled = ticked;
  if (ticked) {
    field.text = current.empty() ? std::u16string(prompt) : std::u16string(current);
  } else {
    // The person's own extensions stay for the next time the box is ticked.
    field.text = current == prompt ? std::u16string() : std::u16string(current);
  }
  return field;
}

}  // namespace qtr
