// Takes the documentation's picture of the progress window after a real compression:
//   quorvane_progress_screenshot OUTPUT_PNG
// Runs on any display (xvfb-run for none), with settings in a temporary directory.
#include <stdlib.h>

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <cstdio>
#include <fstream>
#include <string>

#include "ScreenshotSupport.h"
#include "batch/Document.h"
#include "lang/Language.h"
#include "platform/ProgramFiles.h"
#include "ui/ProgressWindow.h"

namespace {

// A page with the indentation and line breaks that hand-written HTML has.
std::string SamplePage() {
  std::string page =
      "<!DOCTYPE html>\r\n<html>\r\n  <head>\r\n    <title>Chapter 1</title>\r\n"
      "  </head>\r\n  <body>\r\n";
  for (int i = 0; i < 200; ++i) {
    page += "    <div class=\"section\">\r\n      <p>\r\n        Paragraph " + std::to_string(i) +
            " of the introduction.\r\n      </p>\r\n    </div>\r\n";
  }
  return page + "  </body>\r\n</html>\r\n";
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s OUTPUT_PNG\n", argv[0]);
    return 2;
  }
  QTemporaryDir work;
  setenv("XDG_CONFIG_HOME", QDir(work.path()).filePath("config").toLocal8Bit().constData(), 1);
  QApplication application(argc, argv);
  using namespace quorvane;
  InitLanguage(FindDataFile("STATE_GB.nls"), FindDataFile("Quorvane_en.nls"));
  const QString dir = QDir(work.path()).filePath("website/manual/chapters");
  QDir().mkpath(dir);
  const std::string file = QDir(dir).filePath("introduction.htm").toStdString();
  std::ofstream(file, std::ios::binary) << SamplePage();

  std::unique_ptr<TProgressWindow> window = InstallProgressWindow();
  TDocument document;
  document.Waittime = 0;
  document.Compress(file, false);
  screenshot::Settle();
  return screenshot::Save(window->grab(), QString::fromLocal8Bit(argv[1])) ? 0 : 1;
}
