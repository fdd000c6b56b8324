// Letter case as a Windows volume ignores it in names: two names are the
// same when they upper-case alike, by the simple Unicode mappings of the
// Basic Multilingual Plane (as the volume's upper-case table holds them).
#pragma once

namespace qtr {

// The one character every spelling of c folds to: lower-case where that
// letter upper-cases back ("Ä" -> "ä", "ſ" -> "s"), the upper-case letter
// otherwise (the Kelvin sign stays itself: "k" upper-cases to "K").
char16_t FoldCase(char16_t c);

}  // namespace qtr
