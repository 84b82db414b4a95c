#pragma once

#include <QString>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace quorvane {

// How the program shows its messages and asks its questions: message boxes when a display is
// used, the terminal otherwise. The one interface for the batch, the dialogs and the editor.
// Texts are Unicode; the overloads for the program's own texts take Windows-1252 bytes. An
// empty caption is the program's name.
class IMessages {
 public:
  enum class TAnswer { Yes, No, Cancel };
  enum class TErrorChoice { Abort, Retry, Ignore };

  virtual ~IMessages() = default;
  // The error box (error icon, OK).
  void Error(const QString& text) { ShowError(text); }
  void Error(const std::string& text);
  // A plain message with an OK button.
  void Information(const QString& text, const QString& caption) { ShowInformation(text, caption); }
  void Information(const std::string& text, const std::string& caption);
  // A Yes/No question; true for Yes.
  bool AskYesNo(const QString& question, const QString& caption) {
    return Ask(question, caption, false) == TAnswer::Yes;
  }
  bool AskYesNo(const std::string& question, const std::string& caption);
  TAnswer AskYesNoCancel(const QString& question, const QString& caption) {
    return Ask(question, caption, true);
  }
  // An error the user may abort on, retry or ignore.
  TErrorChoice AskAbortRetryIgnore(const QString& text, const QString& caption) {
    return AskAboutError(text, caption);
  }
  TErrorChoice AskAbortRetryIgnore(const std::string& text, const std::string& caption);

 private:
  virtual void ShowError(const QString& text) = 0;
  virtual void ShowInformation(const QString& text, const QString& caption) = 0;
  // Yes and No, and Cancel when `withCancel`.
  virtual TAnswer Ask(const QString& question, const QString& caption, bool withCancel) = 0;
  virtual TErrorChoice AskAboutError(const QString& text, const QString& caption) = 0;
};

// Messages on standard error; questions on the terminal when one is attached, else "Yes", and
// Abort for an error the user could act on. A Yes/No/Cancel question without a terminal is
// cancelled: nothing is decided for a user who was not asked.
class TConsoleMessages : public IMessages {
 private:
  void ShowError(const QString& text) override;
  void ShowInformation(const QString& text, const QString& caption) override;
  TAnswer Ask(const QString& question, const QString& caption, bool withCancel) override;
  TErrorChoice AskAboutError(const QString& text, const QString& caption) override;
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
