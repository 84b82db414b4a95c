// Start-up: reads the command line and takes the road it asks for. Built twice: the program
// itself, without the window libraries, and (with QUORVANE_WINDOWS) the window program that it
// hands the editor and the window roads over to.
#include <QCoreApplication>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "batch/Batch.h"
#include "batch/CommandLine.h"
#include "batch/ConsoleProgress.h"
#include "batch/EventPump.h"
#include "batch/LanguageStartup.h"
#include "batch/MainSettings.h"
#include "batch/Messages.h"
#include "batch/ProgressModel.h"
#include "batch/SettingsStore.h"
#include "lang/Language.h"
#include "platform/ProgramFiles.h"
#include "platform/System.h"
#include "shell/Installation.h"
#include "support/TextIds.h"

#ifdef QUORVANE_WINDOWS
#include <QApplication>
#include <QIcon>

#include "ui/DialogMessages.h"
#include "ui/LanguageDialog.h"
#include "ui/MainWindow.h"
#include "ui/ProgressWindow.h"
#include "ui/WindowBatch.h"
#endif

namespace {

using namespace quorvane;

// In a terminal the help is printed; started from a launcher, with nowhere to print, it comes
// in a message box (a window road).
int ShowBatchHelp(bool asError) {
  const std::string text = TerminalText(std::string(kBatchHelpText));
  std::fprintf(asError ? stderr : stdout, "%s\n", text.c_str());
  return asError ? kExitUsage : kExitSuccess;
}

// Without a display the editor cannot open: Qt would abort. Say so, and where the batch is.
int ReportNoDisplay(int argc, char** argv) {
  QCoreApplication application(argc, argv);
  LoadLanguageForMessages();
  Messages().Error(GetText(textid::kNoDisplay));
  return kExitFailure;
}

// Ctrl+C in the terminal acts as the progress window's Cancel button. The request stays until
// the batch has seen it, so one that comes between two files stops the next one.
void WatchInterrupts() {
  if (TInterruptWatch::Requested() && ProgressFormExists() && !ProgressForm().CancelRequest()) {
    ProgressForm().ButtonCancelClick();
  }
}

int RunBatchMode(int argc, char** argv, std::unique_ptr<TJob> job) {
  QCoreApplication application(argc, argv);
  SetMemoryLoadProvider(MemoryLoadPercent);
  TInterruptWatch interrupts;
  SetEventHook(WatchInterrupts);
  const uint32_t start = TickCount();
  // Standard output carries the document of "-": the lines about the files go beside it.
  TConsoleProgressView view(StandardErrorIsTerminal(), job->Quiet,
                            job->UsesStandardStreams() ? stderr : stdout);
  ProgressForm().SetView(&view);

  TDocument document;
  TWindowSettings window;
  auto createDocument = [&]() -> TDocument& {
    document.WaitAfterFile = false;  // a terminal keeps its lines
    LoadMainSettings(SettingsStore(), document, window);
    StartLanguage(SettingsStore(), window, ChooseLanguageForLocale);
    return document;
  };
  const int code = RunBatch(std::move(job), createDocument);
  view.ShowSummary(document.Totals, TickCount() - start);
  ProgressForm().SetView(nullptr);
  return code;
}

#ifdef QUORVANE_WINDOWS
// The editor window, with `file` (if any) open in it; a file that cannot be read is reported
// and leaves the window empty.
int RunEditor(int argc, char** argv, const std::optional<std::string>& file) {
  QApplication application(argc, argv);
  QApplication::setApplicationName("Quorvane");
  QApplication::setWindowIcon(QIcon::fromTheme("quorvane"));
  SetMemoryLoadProvider(MemoryLoadPercent);
  const std::unique_ptr<TProgressWindow> progress = InstallProgressWindow();
  auto messages = std::make_unique<TDialogMessages>();
  TDialogMessages& dialogMessages = *messages;
  SetMessages(std::move(messages));
  TMainWindow window(GuiLanguageChooser(nullptr));
  dialogMessages.SetParentWindow(&window);
  window.show();
  if (file) {
    window.Session().OpenGivenFile(*file);
  }
  const int code = QApplication::exec();
  dialogMessages.SetParentWindow(nullptr);
  return code;
}

// The roads with windows: the editor (with the file of -e, if any), the help, the batch and the
// installation with a display.
int RunWindows(int argc, char** argv, TStartAction action, std::unique_ptr<TJob> job,
               const std::optional<std::string>& file) {
  switch (action) {
    case TStartAction::Help:
    case TStartAction::HelpError: {
      const bool asError = action == TStartAction::HelpError;
      ShowWindowHelp(argc, argv, std::string(kBatchHelpText), asError);
      return asError ? kExitUsage : kExitSuccess;
    }
    case TStartAction::Install:
    case TStartAction::Deinstall:
      return RunWindowInstallation(argc, argv, action == TStartAction::Deinstall);
    case TStartAction::Batch:
      return RunWindowBatch(argc, argv, std::move(job));
    default:
      return RunEditor(argc, argv, file);
  }
}
#else
int RunWindows(int, char** argv, TStartAction, std::unique_ptr<TJob>,
               const std::optional<std::string>&) {
  const int error = ExecWindowProgram(argv);
  std::fprintf(stderr, "quorvane: %s: %s\n", WindowProgramPath().c_str(), std::strerror(error));
  return kExitFailure;
}
#endif

int RunInstallation(int argc, char** argv, bool deinstall) {
  QCoreApplication application(argc, argv);
  SetMemoryLoadProvider(MemoryLoadPercent);
  return InstallOrDeinstall(deinstall);
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  if (const std::optional<std::string> file = EditFileArgument(args)) {
    return DisplayAvailable() ? RunWindows(argc, argv, TStartAction::Editor, nullptr, file)
                              : ReportNoDisplay(argc, argv);
  }
  auto job = std::make_unique<TJob>();
  const TStartAction action = CheckCommandLine(args, *job);
  switch (action) {
    case TStartAction::Editor:
      return DisplayAvailable() ? RunWindows(argc, argv, action, std::move(job), std::nullopt)
                                : ReportNoDisplay(argc, argv);
    case TStartAction::Help:
    case TStartAction::HelpError:
      return UseConsoleUi() ? ShowBatchHelp(action == TStartAction::HelpError)
                            : RunWindows(argc, argv, action, std::move(job), std::nullopt);
    case TStartAction::Version:
      std::printf("%s\n", std::string(kVersionText).c_str());
      return kExitSuccess;
    case TStartAction::Install:
    case TStartAction::Deinstall:
      return UseConsoleUi() ? RunInstallation(argc, argv, action == TStartAction::Deinstall)
                            : RunWindows(argc, argv, action, std::move(job), std::nullopt);
    case TStartAction::Batch:
      // A pipe's user is a script or a terminal, never a file manager.
      return UseConsoleUi() || job->UsesStandardStreams()
                 ? RunBatchMode(argc, argv, std::move(job))
                 : RunWindows(argc, argv, action, std::move(job), std::nullopt);
  }
  return kExitSuccess;
}
