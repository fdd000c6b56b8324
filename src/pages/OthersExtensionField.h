// The "Others" box of the file-filter group and its extension field: ticking
// the box opens the field and, while it is empty, shows a grey prompt in it;
// unticking closes it and takes the prompt away again.
#pragma once
#include <string>
#include <string_view>

namespace qtr {

struct OthersExtensionField {
  bool enabled = false;
  std::u16string text;
};

// The field after the box was ticked or unticked, given what it holds now.
OthersExtensionField ToggleOthersBox(bool ticked, std::u16string_view current, std::u16string_view prompt);

// The prompt is drawn grey; the person's own text is not.
inline bool ShowsPrompt(std::u16string_view text, std::u16string_view prompt) {
  return !text.empty() && text == prompt;
}

}  // namespace qtr
