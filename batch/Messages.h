#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace quorvane {

// How the batch shows its messages and asks its questions: message boxes when a display is
// used, the terminal otherwise. Texts are Windows-1252.
class IMessages {
 public:
  enum class TErrorChoice { Abort, Retry, Ignore };

  virtual ~IMessages() = default;
  virtual void Error(const std::string& text) = 0;
  virtual void Information(const std::string& text, const std::string& caption) = 0;
  // A Yes/No question; true for Yes.
  virtual bool AskYesNo(const std::string& question, const std::string& caption) = 0;
  // An error the user may abort on, retry or ignore.
  virtual TErrorChoice AskAbortRetryIgnore(const std::string& text, const std::string& caption) = 0;
};

// Messages on standard error; questions on the terminal when one is attached, else "Yes", and
// Abort for an error the user could act on.
class TConsoleMessages : public IMessages {
 public:
  void Error(const std::string& text) override;
  void Information(const std::string& text, const std::string& caption) override;
  bool AskYesNo(const std::string& question, const std::string& caption) override;
  TErrorChoice AskAbortRetryIgnore(const std::string& text, const std::string& caption) override;
};

// The messages of the process: those set last, behind a front that counts the errors shown.
IMessages& Messages();
void SetMessages(std::unique_ptr<IMessages> messages);
// How many error messages were shown so far. Every error the batch shows is a failure that its
// exit code reports, whichever part of the program shows it.
int ErrorMessagesShown();

// A text of the program as the terminal shows it: UTF-8, line breaks as line feeds.
std::string TerminalText(const std::string& text);

// The text `textId` (`fallback` when the language has none) with "%s" replaced by the file or
// directory name `name`, marked to be shown as it is written, and capitalised.
std::string NameMessage(uint32_t textId, const std::string& name, std::string_view fallback = {});

// The batch's error message: NameMessage of `textId` and `name`.
void ShowErrorMessage(uint32_t textId, const std::string& name);

}  // namespace quorvane
