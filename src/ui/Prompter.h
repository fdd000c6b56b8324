// Every question and message the program puts to the user goes through this
// interface: the program answers with the confirmation window, tests answer
// themselves.
#pragma once
#include <string>

namespace qtr {

struct Question {
  std::u16string title;
  std::u16string message;
  bool countdown = false;  // confirms itself after 30 seconds
};

class Prompter {
 public:
  virtual ~Prompter() = default;
  // True when the user (or the countdown) confirmed; false otherwise, also
  // when the question could not be shown.
  virtual bool Ask(const Question& question) = 0;
};

}  // namespace qtr
