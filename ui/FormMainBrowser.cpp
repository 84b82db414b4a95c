// The main window's preview of the document and its help pages, both in the desktop's browser.
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QRandomGenerator>
#include <filesystem>

#include "lang/Language.h"
#include "platform/Files.h"
#include "platform/System.h"
#include "support/Paths.h"
#include "support/TextIds.h"
#include "ui/FormMain.h"
#include "ui/UiFormat.h"
#include "ui/UiText.h"
#include "ui/WaitCursor.h"

namespace quorvane {

namespace {

bool PathExists(const std::string& path) {
  std::error_code error;
  return std::filesystem::exists(std::filesystem::symlink_status(path, error));
}

std::string TemporaryDirectory() {
  const std::string temp = QFile::encodeName(QDir::tempPath()).toStdString();
  return DirectoryExists(temp) ? IncludeTrailingSlash(temp) : "./";
}

// "Quorvane_" + the language code + ".htm"; the code is the last two letters of the language
// file's name, lower-cased. Without a language file the English page is taken.
std::string HelpPageName() {
  std::string name(ExtractFileName(CurrentLanguageFile()));
  if (const size_t dot = name.rfind('.'); dot != std::string::npos) {
    name.erase(dot);
  }
  for (char& c : name) {
    if (c >= 'A' && c <= 'Z') {
      c = static_cast<char>(c - 'A' + 'a');
    }
  }
  const std::string code = name.size() > 2 ? name.substr(name.size() - 2) : name;
  return "Quorvane_" + (code.empty() ? std::string("en") : code) + ".htm";
}

}  // namespace

std::string TFormMain::HelpDirectory() const {
  if (!document_.HelpDirAuto && !document_.HelpDir.empty()) {
    return IncludeTrailingSlash(document_.HelpDir);
  }
  // Beside the program, or where the installation keeps the program's data.
  const std::string page = HelpPageName();
  for (const std::string& directory : DataDirectories()) {
    if (FileExists(directory + page)) {
      return directory;
    }
  }
  return IncludeTrailingSlash(ProgramDirectory());
}

std::string TFormMain::HelpFileName() const {
  return HelpDirectory() + HelpPageName();
}

void TFormMain::SetHelpDir(const std::string& dir) {
  if (dir == HelpDirectory()) {
    return;
  }
  if (!dir.empty()) {
    document_.HelpDir = IncludeTrailingSlash(dir);
    document_.HelpDirAuto = false;
  } else {
    document_.HelpDirAuto = true;
  }
}

bool TFormMain::OpenInBrowser(const std::string& path, const std::string& anchor) {
  // The desktop can only find a program for a file that exists.
  if (FileExists(path)) {
    QUrl url = QUrl::fromLocalFile(PathText(path));
    if (!anchor.empty()) {
      url.setFragment(QString::fromStdString(anchor[0] == '#' ? anchor.substr(1) : anchor));
    }
    if (openUrl_(url)) {
      return true;
    }
  }
  dialogs_->Error(FormattedUiText(textid::kFileCannotBeOpened, PathText(path)) + ".");
  return false;
}

void TFormMain::MainMenuHelpHelpwithbrowserClick() {
  OpenInBrowser(HelpFileName(), {});
}

void TFormMain::DialogHelpClick(int helpContext) {
  std::string anchor;
  if (helpContext == kHelpContextContextMenu) {
    anchor = "contextmenu";
  } else if (helpContext == kHelpContextTagDefinition) {
    anchor = "tagdefinition";
  }
  OpenInBrowser(HelpFileName(), anchor);
}

void TFormMain::SetPreviewFileName(const std::string& name) {
  if (name == previewFileName_) {
    return;
  }
  if (!previewFileName_.empty()) {
    QFile::remove(PathText(previewFileName_));
  }
  previewFileName_ = name;
}

// Chooses a free name and creates the file at once, so that no other program can put a file
// or link there before the preview is written.
std::string TFormMain::PreviewFile() {
  if (!previewFileName_.empty()) {
    return previewFileName_;
  }
  std::string directory(ExtractFilePath(FileName()));
  if (directory.empty()) {
    directory = TemporaryDirectory();
  }
  for (int attempt = 0; attempt < 1001; ++attempt) {
    std::string name = directory + "~";
    for (int i = 0; i < 7; ++i) {
      name += static_cast<char>('A' + QRandomGenerator::global()->bounded(26));
    }
    name += ".htm";
    if (PathExists(name)) {
      continue;
    }
    QFile file(PathText(name));
    if (file.open(QIODevice::WriteOnly | QIODevice::NewOnly) || !PathExists(name)) {
      // Created, or the directory refuses files: the write that follows reports that.
      previewFileName_ = name;
      return previewFileName_;
    }
  }
  throw TEditorError(
      FormattedUiText(textid::kNoPreviewName, PathText(std::string(ExtractFilePath(FileName())))));
}

void TFormMain::MainmenuViewWithbrowserClick() {
  TWaitCursor wait;
  if (!FileName().empty() && !GetModified()) {
    OpenInBrowser(FileName(), {});
  } else if (!FileName().empty() && !previewFileName_.empty() && !previewOutdated_) {
    OpenInBrowser(previewFileName_, {});
  } else {
    WriteEditorText(PreviewFile());
    OpenInBrowser(PreviewFile(), {});
  }
  previewOutdated_ = false;
}

}  // namespace quorvane
