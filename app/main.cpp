// Start-up: reads the command line and takes the road it asks for.
#include <QApplication>
#include <QCoreApplication>
#include <QIcon>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "batch/ApplicationReg.h"
#include "batch/Batch.h"
#include "batch/CommandLine.h"
#include "batch/ConsoleProgress.h"
#include "batch/EventPump.h"
#include "batch/LanguageStartup.h"
#include "batch/MainSettings.h"
#include "batch/Messages.h"
#include "batch/ProgressModel.h"
#include "lang/Language.h"
#include "platform/System.h"
#include "shell/Installation.h"
#include "support/TextIds.h"
#include "ui/DialogMessages.h"
#include "ui/LanguageDialog.h"
#include "ui/MainWindow.h"
#include "ui/ProgressWindow.h"
#include "ui/WindowBatch.h"

namespace {

using namespace quorvane;

void ShowBatchHelp(bool asError) {
  const std::string text = TerminalText(std::string(kBatchHelpText));
  std::fprintf(asError ? stderr : stdout, "%s\n", text.c_str());
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
    LoadMainSettings(ApplicationReg(), document, window);
    StartLanguage(ApplicationReg(), window, ChooseLanguageForLocale);
    return document;
  };
  const int code = RunBatch(std::move(job), createDocument);
  view.ShowSummary(document.Totals, TickCount() - start);
  ProgressForm().SetView(nullptr);
  return code;
}

int RunEditor(int argc, char** argv) {
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
  const int code = QApplication::exec();
  dialogMessages.SetParentWindow(nullptr);
  return code;
}

int RunInstallation(int argc, char** argv, bool deinstall) {
  QCoreApplication application(argc, argv);
  SetMemoryLoadProvider(MemoryLoadPercent);
  return InstallOrDeinstall(deinstall);
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  auto job = std::make_unique<TJob>();
  const TStartAction action = CheckCommandLine(args, *job);
  switch (action) {
    case TStartAction::Editor:
      return DisplayAvailable() ? RunEditor(argc, argv) : ReportNoDisplay(argc, argv);
    case TStartAction::Help:
      ShowBatchHelp(false);
      return kExitSuccess;
    case TStartAction::Version:
      std::printf("%s\n", std::string(kVersionText).c_str());
      return kExitSuccess;
    case TStartAction::HelpError:
      ShowBatchHelp(true);
      return kExitUsage;
    case TStartAction::Install:
    case TStartAction::Deinstall: {
      const bool deinstall = action == TStartAction::Deinstall;
      return UseConsoleUi() ? RunInstallation(argc, argv, deinstall)
                            : RunWindowInstallation(argc, argv, deinstall);
    }
    case TStartAction::Batch:
      // A pipe's user is a script or a terminal, never a file manager.
      return UseConsoleUi() || job->UsesStandardStreams()
                 ? RunBatchMode(argc, argv, std::move(job))
                 : RunWindowBatch(argc, argv, std::move(job));
  }
  return kExitSuccess;
}
