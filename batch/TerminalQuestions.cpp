#include "batch/TerminalQuestions.h"

#include <cstdint>
#include <string_view>
#include <vector>

#include "lang/Accelerators.h"
#include "lang/Language.h"
#include "support/TextIds.h"
#include "support/Win1252.h"

namespace quorvane {

namespace {

using TChoices = std::vector<std::vector<std::string>>;

// Letters and digits of any script: everything but blanks and ASCII punctuation.
bool IsWordChar(char c) {
  const auto u = static_cast<unsigned char>(c);
  return u >= 0x80 || (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// The word around the bracketed group from `open` to `close` (both brackets), without them.
std::string WordAround(std::string_view prompt, size_t open, size_t close) {
  size_t start = open;
  while (start > 0 && IsWordChar(prompt[start - 1])) {
    --start;
  }
  size_t end = close + 1;
  while (end < prompt.size() && IsWordChar(prompt[end])) {
    ++end;
  }
  return std::string(prompt.substr(start, open - start)) +
         std::string(prompt.substr(open + 1, close - open - 1)) +
         std::string(prompt.substr(close + 1, end - close - 1));
}

// The answers a prompt shows: one bracketed group of letters separated by "/" gives one
// choice each ("[y/n]"); otherwise each bracketed group is a choice, named by its letters and
// by the word they stand in ("[r]etry").
TChoices ShownAnswers(std::string_view prompt) {
  TChoices choices;
  std::vector<std::pair<size_t, size_t>> groups;
  for (size_t open = prompt.find('['); open != std::string_view::npos;
       open = prompt.find('[', open + 1)) {
    const size_t close = prompt.find(']', open + 1);
    if (close == std::string_view::npos) {
      break;
    }
    groups.emplace_back(open, close);
  }
  if (groups.size() == 1) {
    const auto [open, close] = groups.front();
    std::string_view inside = prompt.substr(open + 1, close - open - 1);
    if (inside.find('/') != std::string_view::npos) {
      for (size_t slash; (slash = inside.find('/')) != std::string_view::npos;
           inside.remove_prefix(slash + 1)) {
        choices.push_back({std::string(inside.substr(0, slash))});
      }
      choices.push_back({std::string(inside)});
      return choices;
    }
  }
  for (const auto& [open, close] : groups) {
    choices.push_back(
        {std::string(prompt.substr(open + 1, close - open - 1)), WordAround(prompt, open, close)});
  }
  return choices;
}

struct TButton {
  uint32_t TextId;
  const char* Fallback;
};

// The terminal question of `text` with the prompt `promptId` after `separator`; the choices
// also answer to the captions of `buttons`, in order.
TTerminalQuestion Question(const std::string& text, const char* separator, uint32_t promptId,
                           const char* promptFallback, std::initializer_list<TButton> buttons) {
  const std::string prompt = GetText(promptId, promptFallback);
  TChoices choices = ShownAnswers(prompt);
  choices.resize(buttons.size());
  size_t index = 0;
  for (const TButton& button : buttons) {
    choices[index++].push_back(CaptionWithoutMarks(GetText(button.TextId, button.Fallback)));
  }
  TTerminalQuestion question{text + separator + Win1252ToUtf8(prompt) + " ", {}};
  for (const std::vector<std::string>& words : choices) {
    std::vector<std::string> answers;
    for (const std::string& word : words) {
      answers.push_back(Win1252ToUtf8(word));
    }
    question.Answers.push_back(std::move(answers));
  }
  return question;
}

}  // namespace

TTerminalQuestion YesNoQuestion(const std::string& text) {
  return Question(text, " ", textid::kTerminalYesNo, "[y/n]",
                  {{textid::kYes, "Yes"}, {textid::kNo, "No"}});
}

TTerminalQuestion AbortRetryIgnoreQuestion(const std::string& text) {
  return Question(
      text, "\n", textid::kTerminalAbortRetryIgnore, "[a]bort, [r]etry or [i]gnore?",
      {{textid::kAbort, "Abort"}, {textid::kRetry, "Retry"}, {textid::kIgnore, "Ignore"}});
}

}  // namespace quorvane
