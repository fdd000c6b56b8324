// The file types a backup is limited to, as the person typed them: "jpg, PNG",
// ".tar.gz". Parsed once per job, then asked for every file the walk meets.
#pragma once
#include <string>
#include <string_view>
#include <vector>

namespace qtr {

class TypeFilter {
 public:
  // Comma-separated extensions; spaces around each, a leading "." (or "*.")
  // and letter case do not matter. Empty entries are ignored.
  explicit TypeFilter(std::u16string_view text);

  // True when no extension was given: every file takes part.
  bool Empty() const { return suffixes_.empty(); }
  // True when the name ends in "." + one of the extensions, with something
  // before that dot (".jpg" alone has no extension). A multi-part extension
  // such as "tar.gz" matches the end of the name.
  bool Matches(std::u16string_view fileName) const;

 private:
  std::vector<std::u16string> suffixes_;  // ".jpg", ".tar.gz", lowercased
};

}  // namespace qtr
