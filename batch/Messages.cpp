#include "batch/Messages.h"

#include <atomic>
#include <cstdio>

#include "batch/TerminalQuestions.h"
#include "batch/UiText.h"
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

// Passes everything on to the installed messages, counting the errors.
class TCountingMessages : public IMessages {
 public:
  int Errors() const { return errors_.load(); }

 private:
  void ShowError(const QString& text) override {
    errors_.fetch_add(1);
    Instance()->Error(text);
  }
  void ShowInformation(const QString& text, const QString& caption) override {
    Instance()->Information(text, caption);
  }
  TAnswer Ask(const QString& question, const QString& caption, bool withCancel) override {
    return withCancel ? Instance()->AskYesNoCancel(question, caption)
                      : (Instance()->AskYesNo(question, caption) ? TAnswer::Yes : TAnswer::No);
  }
  TErrorChoice AskAboutError(const QString& text, const QString& caption) override {
    return Instance()->AskAbortRetryIgnore(text, caption);
  }

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

void IMessages::Error(const std::string& text) {
  Error(UiText(text));
}

void IMessages::Information(const std::string& text, const std::string& caption) {
  Information(UiText(text), UiText(caption));
}

bool IMessages::AskYesNo(const std::string& question, const std::string& caption) {
  return AskYesNo(UiText(question), UiText(caption));
}

IMessages::TErrorChoice IMessages::AskAbortRetryIgnore(const std::string& text,
                                                       const std::string& caption) {
  return AskAbortRetryIgnore(UiText(text), UiText(caption));
}

namespace {
std::string TerminalLines(const QString& text) {
  QString lines = text;
  lines.replace("\r\n", "\n").replace('\r', '\n');
  return lines.toStdString();
}
}  // namespace

std::string TerminalText(const std::string& text) {
  std::string lines = ReplaceAll(ReplaceAll(text, "\r\n", "\n"), "\r", "\n");
  return ShownText(lines);
}

void TConsoleMessages::ShowError(const QString& text) {
  std::fprintf(stderr, "quorvane: %s\n", TerminalLines(text).c_str());
  std::fflush(stderr);
}

void TConsoleMessages::ShowInformation(const QString& text, const QString&) {
  std::fprintf(stdout, "%s\n", TerminalLines(text).c_str());
  std::fflush(stdout);
}

IMessages::TAnswer TConsoleMessages::Ask(const QString& question, const QString&, bool withCancel) {
  const std::optional<size_t> answer = AskOnTerminal(YesNoQuestion(TerminalLines(question)));
  if (!answer) {
    return withCancel ? TAnswer::Cancel : TAnswer::Yes;
  }
  return *answer == 0 ? TAnswer::Yes : TAnswer::No;
}

// Without anybody to ask, an error stops the work rather than being passed over.
IMessages::TErrorChoice TConsoleMessages::AskAboutError(const QString& text, const QString&) {
  const std::optional<size_t> answer = AskOnTerminal(AbortRetryIgnoreQuestion(TerminalLines(text)));
  if (!answer) {
    ShowError(text);
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
