// The prompter of the window tests: it keeps every question the program
// asks, in order, and answers it as the test says.
#pragma once
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "ui/Prompter.h"

namespace qtr::test {

class RecordingPrompter : public Prompter {
 public:
  bool Ask(const Question& question) override {
    asked.push_back(question);
    if (whileAsked) whileAsked();
    return decide ? decide(question) : answer;
  }

  // Each question as its title and message with separator between
  // ("Tips|No disk for restore").
  std::vector<std::u16string> Said(std::u16string_view separator = u"|") const {
    std::vector<std::u16string> lines;
    for (const Question& question : asked)
      lines.push_back(question.title + std::u16string(separator) + question.message);
    return lines;
  }
  bool WasAsked(std::u16string_view message) const {
    for (const Question& question : asked)
      if (question.message == message) return true;
    return false;
  }

  std::vector<Question> asked;
  bool answer = true;
  std::function<bool(const Question&)> decide;  // set: answers in place of answer
  std::function<void()> whileAsked;             // runs while a question is up
};

}  // namespace qtr::test
