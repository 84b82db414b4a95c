#include "editor/EditorSession.h"

#include <sys/stat.h>
#include <QDir>
#include <QFile>
#include <algorithm>
#include <filesystem>

#include <cerrno>

#include "batch/UiText.h"
#include "lang/Language.h"
#include "platform/Files.h"
#include "platform/System.h"
#include "support/Paths.h"
#include "support/TextIds.h"
#include "support/Win1252.h"

namespace quorvane {

namespace {

// The hourglass for as long as the scope lasts, however it ends.
class TBusy {
 public:
  explicit TBusy(IEditorView& view) : view_(view) { view_.SetBusy(true); }
  ~TBusy() { view_.SetBusy(false); }
  TBusy(const TBusy&) = delete;
  TBusy& operator=(const TBusy&) = delete;

 private:
  IEditorView& view_;
};

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
  std::transform(name.begin(), name.end(), name.begin(), AsciiLower);
  const std::string code = name.size() > 2 ? name.substr(name.size() - 2) : name;
  return "Quorvane_" + (code.empty() ? std::string("en") : code) + ".htm";
}

// The caption of the editor's questions.
QString ConfirmationCaption() {
  return UiText(GetText(textid::kCaptionConfirmation, "Confirm"));
}

}  // namespace

TEditorSession::TEditorSession(IEditorView& view, TSettingsStore& store, IMessages* messages)
    : view_(view), store_(store), messages_(messages) {
  document_.SetEditorHost(this);
  document_.NameChanged = [this] { NameChanged(); };
}

TEditorSession::~TEditorSession() {
  document_.SetEditorHost(nullptr);
}

IMessages& TEditorSession::Messages() const {
  return messages_ != nullptr ? *messages_ : quorvane::Messages();
}

void TEditorSession::Start(const TLanguageChooser& chooseLanguage) {
  LoadMainSettings(store_, document_, settings_);
  StartLanguage(store_, settings_,
                chooseLanguage ? chooseLanguage : TLanguageChooser(ChooseLanguageForLocale));
}

void TEditorSession::Finish() {
  try {
    SaveMainSettings(store_, document_, settings_);
  } catch (const TSettingsError& error) {
    Messages().Error(std::string(error.what()));
  }
  SetPreviewFileName({});
}

// ---- The document and its name

void TEditorSession::SetModified(bool value) {
  if (view_.Modified() != value) {
    view_.SetModified(value);
  }
}

void TEditorSession::SetLanguageFiles(const std::string& country, const std::string& language) {
  settings_.CountryFile = country;
  settings_.LanguageFile = language;
}

QString TEditorSession::DocumentName() const {
  return FileName().empty() ? "[" + CapUiText(textid::kUnnamedDocument) + "]"
                            : ShownPathText(FileName());
}

QString TEditorSession::Title() const {
  return QString(kApplicationTitle) + " - " + DocumentName();
}

// A preview belongs to the name it was made for.
void TEditorSession::NameChanged() {
  view_.ShowTitle(Title());
  SetPreviewFileName({});
  if (!FileName().empty()) {
    settings_.History.Add(FileName());
    view_.ShowHistory();
  }
}

QString TEditorSession::FileFilter() const {
  // The language gives the filter as description and ";"-separated masks; the file dialog wants
  // the masks in the description's parentheses, separated by blanks.
  QString description = UiText(GetText(textid::kFilterDescription));
  const qsizetype open = description.indexOf('(');
  if (open >= 0) {
    description.truncate(open);
  }
  const QString masks = UiText(GetText(textid::kFilterMask)).replace(';', ' ').trimmed();
  return description.trimmed() + " (" + masks + ")";
}

// ---- File commands

bool TEditorSession::LoadFile(const std::string& name) {
  TBusy busy(view_);
  // A write that an earlier run could not finish is undone before the file is shown.
  const TJournalRestore restore = RestoreFromJournal(name);
  if (restore.Status == TJournalRestore::TStatus::Failed) {
    Messages().Error(FormattedUiText(textid::kFileNotRestored, ShownPathText(name)) + " " +
                     ShownPathText(restore.JournalPath) + ".");
    return false;
  }
  if (restore.Status == TJournalRestore::TStatus::Restored) {
    Messages().Information(FormattedUiText(textid::kFileRestored, ShownPathText(name)), {});
  }
  std::string bytes;
  if (ReadWholeFile(name, bytes).Error != TFileError::None) {
    Messages().Error(CapUiText(textid::kFileReadError));
    return false;
  }
  view_.SetText(bytes, false);
  ForgetLastCompression();
  watchedFileAge_ = GetFileTime(name);
  document_.SetFileName(name);
  SetPreviewFileName({});
  SetModified(false);
  return true;
}

bool TEditorSession::WriteDocument(const std::string& name) {
  TBusy busy(view_);
  const TFileError error = WriteFileReplacing(name, view_.Text(), {true});
  if (error == TFileError::AccessDenied) {
    Messages().Error(FormattedUiText(textid::kFileWriteProtected, ShownPathText(name)));
  } else if (error == TFileError::NoJournal) {
    Messages().Error(FormattedUiText(textid::kFileNoJournal, ShownPathText(name)));
  } else if (error != TFileError::None) {
    Messages().Error(CapUiText(textid::kFileWriteError));
  }
  return error == TFileError::None;
}

bool TEditorSession::SaveFile(const std::string& name) {
  if (!WriteDocument(name)) {
    return false;
  }
  SetModified(false);
  watchedFileAge_ = GetFileTime(name);
  document_.SetFileName(name);
  return true;
}

bool TEditorSession::AskSaveChanges() {
  const QString name = FileName().empty() ? UiText(GetText(textid::kSaveQuestionUnnamed))
                                          : "\"" + ShownPathText(FileName()) + "\"";
  switch (Messages().AskYesNoCancel(FormattedUiText(textid::kSaveQuestion, name) + "?",
                                    ConfirmationCaption())) {
    case IMessages::TAnswer::Cancel:
      return false;
    case IMessages::TAnswer::Yes:
      return Save();
    case IMessages::TAnswer::No:
      break;
  }
  return true;
}

bool TEditorSession::CanDiscard() {
  return !Modified() || AskSaveChanges();
}

bool TEditorSession::MayClose() {
  return !compressing_ && CanDiscard();
}

bool TEditorSession::New() {
  if (!CanDiscard()) {
    return false;
  }
  view_.SetText({}, false);
  ForgetLastCompression();
  document_.SetFileName({});
  previewOutdated_ = false;
  SetModified(false);
  return true;
}

bool TEditorSession::Open() {
  if (!CanDiscard()) {
    return false;
  }
  const auto name = view_.ChooseFileToOpen(FileFilter());
  return name && LoadFile(FilePath(*name));
}

bool TEditorSession::Save() {
  return FileName().empty() ? SaveAs() : SaveFile(FileName());
}

bool TEditorSession::SaveAs() {
  const auto name = view_.ChooseFileToSave(FileFilter(), PathText(FileName()));
  return name && SaveFile(FilePath(*name));
}

bool TEditorSession::OpenRecent(const std::string& path) {
  if (path == FileName() && !Modified()) {
    return false;
  }
  return CanDiscard() && LoadFile(path);
}

bool TEditorSession::OpenGivenFile(const std::string& argument) {
  // Without a working directory (removed meanwhile) the name is taken as it was given.
  std::error_code error;
  const std::filesystem::path path = std::filesystem::absolute(argument, error);
  return LoadFile(error ? argument : path.lexically_normal().string());
}

void TEditorSession::CheckReload() {
  if (askingReload_ || !watchedFileAge_ || FileName().empty() ||
      GetFileTime(FileName()) == watchedFileAge_) {
    return;
  }
  askingReload_ = true;
  const QString question = FormattedUiText(textid::kReloadQuestion, ShownPathText(FileName()));
  // A file that cannot be read any more is not asked about again at every activation.
  if (!Messages().AskYesNo(question, ConfirmationCaption()) || !LoadFile(FileName())) {
    watchedFileAge_.reset();
  }
  askingReload_ = false;
}

bool TEditorSession::Compress() {
  // The run lets events through; the progress window keeps the user from starting a second
  // run, and this guard holds even without one.
  if (compressing_) {
    return false;
  }
  compressing_ = true;
  const bool cancelled = document_.Compress(FileName(), false);
  compressing_ = false;
  return !cancelled;
}

void TEditorSession::TextCompressed(const std::string& before, const std::string& after) {
  lastCompression_ = TCompressedChange{before, after};
  view_.ShowLastCompression();
}

void TEditorSession::ForgetLastCompression() {
  if (lastCompression_) {
    lastCompression_.reset();
    view_.ShowLastCompression();
  }
}

// ---- Help

std::string TEditorSession::HelpDirectory() const {
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

std::string TEditorSession::HelpFileName() const {
  return HelpDirectory() + HelpPageName();
}

void TEditorSession::SetHelpDir(const std::string& dir) {
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

bool TEditorSession::DialogHelp(int helpContext) {
  std::string anchor;
  if (helpContext == kHelpContextContextMenu) {
    anchor = "contextmenu";
  } else if (helpContext == kHelpContextTagDefinition) {
    anchor = "tagdefinition";
  }
  return OpenInBrowser(HelpFileName(), anchor);
}

bool TEditorSession::OpenInBrowser(const std::string& path, const std::string& anchor) {
  // The desktop can only find a program for a file that exists.
  if (FileExists(path)) {
    QUrl url = QUrl::fromLocalFile(PathText(path));
    if (!anchor.empty()) {
      url.setFragment(QString::fromStdString(anchor[0] == '#' ? anchor.substr(1) : anchor));
    }
    if (view_.OpenUrl(url)) {
      return true;
    }
  }
  Messages().Error(FormattedUiText(textid::kFileCannotBeOpened, ShownPathText(path)) + ".");
  return false;
}

// ---- Preview

void TEditorSession::SetPreviewFileName(const std::string& name) {
  if (name != preview_.Path()) {
    preview_.Remove();  // only a file this program made, and only while its name names it
  }
}

// The preview is written only into a file made for it, never reopened by name: a name that no
// longer names that file gets a new file.
std::optional<std::string> TEditorSession::PreviewFile() {
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
    Messages().Error(FormattedUiText(textid::kNoPreviewName,
                                     ShownPathText(std::string(ExtractFilePath(FileName())))));
  } else if (error != 0) {
    Messages().Error(CapUiText(textid::kFileWriteError));
  }
  return error == 0 ? std::optional<std::string>(preview_.Path()) : std::nullopt;
}

bool TEditorSession::Preview() {
  TBusy busy(view_);
  bool opened = false;
  if (!FileName().empty() && !Modified()) {
    opened = OpenInBrowser(FileName(), {});
  } else if (!FileName().empty() && !previewOutdated_ && preview_.NameIsOurs()) {
    opened = OpenInBrowser(preview_.Path(), {});
  } else {
    const std::optional<std::string> name = PreviewFile();
    if (!name) {
      return false;
    }
    if (preview_.Write(view_.Text()) != TFileError::None) {
      Messages().Error(CapUiText(textid::kFileWriteError));
      return false;
    }
    opened = OpenInBrowser(*name, {});
  }
  previewOutdated_ = false;
  return opened;
}

}  // namespace quorvane
