#pragma once

#include <QFont>
#include <QString>
#include <memory>
#include <optional>

class QWidget;

namespace quorvane {

// The questions, messages and standard dialogs of the main window, behind one interface so
// that tests can answer them.
class IUserDialogs {
 public:
  enum class TAnswer { Yes, No, Cancel };

  virtual ~IUserDialogs() = default;
  // The application's error box (error icon, OK).
  virtual void Error(const QString& text) = 0;
  // A plain message box with an OK button.
  virtual void Message(const QString& text) = 0;
  virtual bool AskYesNo(const QString& question) = 0;
  virtual TAnswer AskYesNoCancel(const QString& question) = 0;
  // The chosen file, or nothing when the dialog was cancelled.
  virtual std::optional<QString> OpenFileName(const QString& filter) = 0;
  virtual std::optional<QString> SaveFileName(const QString& filter, const QString& current) = 0;
  virtual std::optional<QFont> ChooseFont(const QFont& current) = 0;
};

// Message boxes and the platform's file and font dialogs, owned by `parent`.
std::unique_ptr<IUserDialogs> MakeStandardUserDialogs(QWidget* parent);

}  // namespace quorvane
