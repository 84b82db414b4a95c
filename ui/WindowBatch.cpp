#include "ui/WindowBatch.h"

#include <QApplication>
#include <QMessageBox>

#include "batch/Batch.h"
#include "batch/EventPump.h"
#include "batch/LanguageStartup.h"
#include "batch/MainSettings.h"
#include "batch/Messages.h"
#include "batch/ProgressModel.h"
#include "batch/SettingsStore.h"
#include "batch/UiText.h"
#include "lang/Language.h"
#include "platform/InterruptWatch.h"
#include "platform/MemoryLoad.h"
#include "shell/Installation.h"
#include "ui/DialogMessages.h"
#include "ui/ProgressWindow.h"

namespace quorvane {

namespace {
// A batch started from a terminal still stops cleanly on Ctrl+C: it acts as the Cancel button.
void WatchInterrupts() {
  if (TInterruptWatch::Requested() && ProgressFormExists() && !ProgressForm().CancelRequest()) {
    ProgressForm().ButtonCancelClick();
  }
}

// Puts the console messages back before the widgets they point at go away.
struct TRestoreConsoleMessages {
  ~TRestoreConsoleMessages() { SetMessages(std::make_unique<TConsoleMessages>()); }
};
}  // namespace

int RunWindowBatch(int argc, char** argv, std::unique_ptr<TJob> job) {
  QApplication application(argc, argv);
  SetMemoryLoadProvider(MemoryLoadPercent);
  TInterruptWatch interrupts;
  SetEventHook(WatchInterrupts);
  std::unique_ptr<TProgressWindow> window = InstallProgressWindow();
  TRestoreConsoleMessages restore;
  SetMessages(std::make_unique<TDialogMessages>(window.get()));

  TDocument document;
  TWindowSettings placement;
  auto createDocument = [&]() -> TDocument& {
    document.WaitAfterFile = true;  // each file's statistics stay readable for the wait time
    LoadMainSettings(SettingsStore(), document, placement);
    StartLanguage(SettingsStore(), placement, ChooseLanguageForLocale);
    return document;
  };
  const int code = RunBatch(std::move(job), createDocument);
  SetEventHook(nullptr);
  return code;
}

void ShowWindowHelp(int argc, char** argv, const std::string& text, bool asError) {
  QApplication application(argc, argv);
  LoadLanguageForMessages();
  QMessageBox box(asError ? QMessageBox::Critical : QMessageBox::Information, "Quorvane",
                  UiText(text).replace('\r', '\n'), QMessageBox::Ok);
  box.exec();
}

int RunWindowInstallation(int argc, char** argv, bool deinstall) {
  QApplication application(argc, argv);
  SetMemoryLoadProvider(MemoryLoadPercent);
  TRestoreConsoleMessages restore;
  SetMessages(std::make_unique<TDialogMessages>());
  return InstallOrDeinstall(deinstall);
}

}  // namespace quorvane
