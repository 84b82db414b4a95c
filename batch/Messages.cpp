#include "batch/Messages.h"

#include <atomic>
#include <cstdio>

#include "batch/TerminalQuestions.h"
#include "lang/Language.h"
#include "platform/System.h"
#include "support/ShownName.h"
#include "support/TextFormat.h"
#include "support/Win1252.h"

namespace quorvane {

namespace {
std::unique_ptr<IMessages>& Instance() {
  static std::unique_ptr<IMessages> instance = std::make_unique<TConsoleMessages>();
  return instance;
}

class TCountingMessages : public IMessages {
 public:
  void Error(const std::string& text) override {
    errors_.fetch_add(1);
    Instance()->Error(text);
  }
  void Information(const std::string& text, const std::string& caption) override {
    Instance()->Information(text, caption);
  }
  bool AskYesNo(const std::string& question, const std::string& caption) override {
    return Instance()->AskYesNo(question, caption);
  }
  TErrorChoice AskAbortRetryIgnore(const std::string& text, const std::string& caption) override {
    return Instance()->AskAbortRetryIgnore(text, caption);
  }
  int Errors() const { return errors_.load(); }

 private:
  std::atomic<int> errors_{0};
};

TCountingMessages& Front() {
  static TCountingMessages front;
  return front;
}
}  // namespace

IMessages& Messages() {
  return Front();
}

int ErrorMessagesShown() {
  return Front().Errors();
}

void SetMessages(std::unique_ptr<IMessages> messages) {
  Instance() = std::move(messages);
}

std::string TerminalText(const std::string& text) {
  std::string lines = ReplaceAll(ReplaceAll(text, "\r\n", "\n"), "\r", "\n");
  return ShownText(lines);
}

void TConsoleMessages::Error(const std::string& text) {
  std::fprintf(stderr, "quorvane: %s\n", TerminalText(text).c_str());
  std::fflush(stderr);
}

void TConsoleMessages::Information(const std::string& text, const std::string&) {
  std::fprintf(stdout, "%s\n", TerminalText(text).c_str());
  std::fflush(stdout);
}

bool TConsoleMessages::AskYesNo(const std::string& question, const std::string&) {
  return AskOnTerminal(YesNoQuestion(TerminalText(question))).value_or(0) == 0;
}

// Without anybody to ask, an error stops the work rather than being passed over.
IMessages::TErrorChoice TConsoleMessages::AskAbortRetryIgnore(const std::string& text,
                                                              const std::string&) {
  const std::optional<size_t> answer = AskOnTerminal(AbortRetryIgnoreQuestion(TerminalText(text)));
  if (!answer) {
    Error(text);
    return TErrorChoice::Abort;
  }
  const TErrorChoice choices[] = {TErrorChoice::Abort, TErrorChoice::Retry, TErrorChoice::Ignore};
  return choices[*answer];
}

std::string NameMessage(uint32_t textId, const std::string& name, std::string_view fallback) {
  return CapText(ReplaceAll(GetText(textId, fallback), "%s", ShownName(name)));
}

void ShowErrorMessage(uint32_t textId, const std::string& name) {
  Messages().Error(NameMessage(textId, name));
}

}  // namespace quorvane
