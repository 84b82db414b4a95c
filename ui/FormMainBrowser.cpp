// The main window's preview of the document and its help pages, both in the desktop's browser.
#include <sys/stat.h>
#include <QDir>
#include <QFile>
#include <QGuiApplication>

#include <cerrno>

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
  dialogs_->Error(FormattedUiText(textid::kFileCannotBeOpened, ShownPathText(path)) + ".");
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
  if (name != preview_.Path()) {
    preview_.Remove();  // only a file this program made, and only while its name names it
  }
}

// The preview is written only into a file made for it, never reopened by name: a name that no
// longer names that file gets a new file.
std::string TFormMain::PreviewFile() {
  if (preview_.NameIsOurs()) {
    return preview_.Path();
  }
  std::string directory(ExtractFilePath(FileName()));
  if (directory.empty()) {
    directory = TemporaryDirectory();
  }
  struct stat document;
  const mode_t mode = !FileName().empty() && ::stat(FileName().c_str(), &document) == 0
                          ? document.st_mode & 0777
                          : S_IRUSR | S_IWUSR;
  const int error = preview_.Create(directory, mode);
  if (error == EEXIST) {
    throw TEditorError(FormattedUiText(textid::kNoPreviewName,
                                       ShownPathText(std::string(ExtractFilePath(FileName())))));
  }
  if (error != 0) {
    throw TEditorError(CapUiText(textid::kFileWriteError));
  }
  return preview_.Path();
}

void TFormMain::MainmenuViewWithbrowserClick() {
  TWaitCursor wait;
  if (!FileName().empty() && !GetModified()) {
    OpenInBrowser(FileName(), {});
  } else if (!FileName().empty() && !previewOutdated_ && preview_.NameIsOurs()) {
    OpenInBrowser(preview_.Path(), {});
  } else {
    const std::string preview = PreviewFile();
    if (preview_.Write(EditorText()) != TFileError::None) {
      throw TEditorError(CapUiText(textid::kFileWriteError));
    }
    OpenInBrowser(preview, {});
  }
  previewOutdated_ = false;
}

}  // namespace quorvane
