#pragma once

#include <QString>
#include <cstdint>
#include <memory>
#include <string>

namespace quorvane {

// How the program shows its messages and asks its questions: message boxes when a display is
// used, the terminal otherwise. The one interface for the batch, the dialogs and the editor.
// Texts are Unicode; the overloads for the program's own texts take Windows-1252 bytes.
class IMessages {
 public:
  enum class TAnswer { Yes, No, Cancel };
  enum class TErrorChoice { Abort, Retry, Ignore };

  virtual ~IMessages() = default;
  // The error box (error icon, OK).
  virtual void Error(const QString& text) = 0;
  // A plain message with an OK button; an empty caption is the program's name.
  virtual void Information(const QString& text, const QString& caption) = 0;
  // A Yes/No question; true for Yes.
  virtual bool AskYesNo(const QString& question, const QString& caption) = 0;
  virtual TAnswer AskYesNoCancel(const QString& question, const QString& caption) = 0;
  // An error the user may abort on, retry or ignore.
  virtual TErrorChoice AskAbortRetryIgnore(const QString& text, const QString& caption) = 0;

  void Error(const std::string& text);
  void Information(const std::string& text, const std::string& caption);
  bool AskYesNo(const std::string& question, const std::string& caption);
  TErrorChoice AskAbortRetryIgnore(const std::string& text, const std::string& caption);
};

// Messages on standard error; questions on the terminal when one is attached, else "Yes", and
// Abort for an error the user could act on. A Yes/No/Cancel question without a terminal is
// cancelled: nothing is decided for a user who was not asked.
class TConsoleMessages : public IMessages {
 public:
  using IMessages::AskAbortRetryIgnore;
  using IMessages::AskYesNo;
  using IMessages::Error;
  using IMessages::Information;
  void Error(const QString& text) override;
  void Information(const QString& text, const QString& caption) override;
  bool AskYesNo(const QString& question, const QString& caption) override;
  TAnswer AskYesNoCancel(const QString& question, const QString& caption) override;
  TErrorChoice AskAbortRetryIgnore(const QString& text, const QString& caption) override;
};

IMessages& Messages();
void SetMessages(std::unique_ptr<IMessages> messages);

// A text of the program as the terminal shows it: UTF-8, line breaks as line feeds.
std::string TerminalText(const std::string& text);

// The batch's error message: the text `textId` with "%s" replaced by `parameter`, capitalised.
void ShowErrorMessage(uint32_t textId, const std::string& parameter);

}  // namespace quorvane
