// The editor session without a window: the file commands with their questions, the recently
// used files, the reload question, the preview and the help pages, and the compression.
#include "editor/EditorSession.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <filesystem>
#include <functional>

#include "FakeMessages.h"
#include "batch/ProgressModel.h"
#include "platform/Files.h"
#include "platform/TestSupport.h"

namespace quorvane::test {
namespace {

using A = IMessages::TAnswer;

// An editor that holds bytes, with the standard dialogs answered from a queue and a browser
// that only records.
class TFakeView : public IEditorView {
 public:
  std::string Bytes;
  bool IsModified = false;
  QString Title;
  std::deque<std::string> FileNames;  // for the open and save dialogs; none: cancelled
  std::vector<QUrl> Urls;
  bool BrowserWorks = true;
  std::function<void()> TextChanged;
  std::function<void()> OnProgressWait = [] {};

  std::string Text() const override { return Bytes; }
  void SetText(const std::string& bytes, bool) override {
    Bytes = bytes;
    TextChanged();
  }
  bool Modified() const override { return IsModified; }
  void SetModified(bool value) override { IsModified = value; }
  void ShowTitle(const QString& title) override { Title = title; }
  void ShowHistory() override {}
  void SetBusy(bool) override {}
  std::optional<QString> ChooseFileToOpen(const QString&) override { return TakeFileName(); }
  std::optional<QString> ChooseFileToSave(const QString&, const QString&) override {
    return TakeFileName();
  }
  bool OpenUrl(const QUrl& url) override {
    Urls.push_back(url);
    return BrowserWorks;
  }
  TWindowHandle Window() override { return {}; }
  void WaitUntilProgressClosed() override { OnProgressWait(); }
  void ShowLastCompression() override {}

 private:
  std::optional<QString> TakeFileName() {
    if (FileNames.empty()) {
      return std::nullopt;
    }
    const QString name = QString::fromStdString(FileNames.front());
    FileNames.pop_front();
    return name;
  }
};

// A session on a settings store of its own.
class EditorSession : public ::testing::Test {
 protected:
  EditorSession() { Restart(); }
  ~EditorSession() override { Finish(); }
  void Finish() {
    if (session) {
      session->Finish();
    }
    session.reset();
  }

  // Ends the session as the window does at exit and starts a new one on the same settings.
  void Restart() {
    Finish();
    store = std::make_unique<TSettingsStore>("Quorvane");
    session = std::make_unique<TEditorSession>(view, *store, &messages);
    view.TextChanged = [this] { session->TextChanged(); };
    session->Start(ChooseEnglish);
  }

  // What typing does: the text changes and the document is modified.
  void Type(const std::string& text) {
    view.Bytes += text;
    view.IsModified = true;
    session->TextChanged();
  }

  TScopedConfigHome configHome;
  TTempDir dir;
  TFakeView view;
  TFakeMessages messages;
  std::unique_ptr<TSettingsStore> store;
  std::unique_ptr<TEditorSession> session;
};

TEST_F(EditorSession, TheSaveQuestionsAnswersAndAFailedSaveKeepTheDocument) {
  Type("text");
  messages.Answers = {A::Cancel};
  EXPECT_FALSE(session->New());
  EXPECT_EQ(view.Bytes, "text");
  ASSERT_EQ(messages.Questions.size(), 1u);
  EXPECT_EQ(messages.Questions[0], "The unnamed document has been modified. Save the changes?");

  messages.Answers = {A::Yes};  // and the save dialog cancelled: as Cancel
  EXPECT_FALSE(session->MayClose());
  messages.Answers = {A::Yes};
  view.FileNames = {dir / "missing/dir/x.htm"};
  EXPECT_FALSE(session->New());
  EXPECT_EQ(view.Bytes, "text");
  EXPECT_TRUE(view.IsModified);
  EXPECT_EQ(messages.Errors, std::vector<std::string>{"The file cannot be written."});

  messages.Answers = {A::Yes};
  view.FileNames = {dir / "saved.htm"};
  EXPECT_TRUE(session->New());
  EXPECT_EQ(view.Bytes, "");
  EXPECT_EQ(session->FileName(), "");
  EXPECT_EQ(ReadBytes(dir / "saved.htm"), "text");

  Type("more");
  messages.Answers = {A::No, A::No};
  EXPECT_TRUE(session->MayClose());
  EXPECT_TRUE(session->New());
  EXPECT_FALSE(view.IsModified);
  EXPECT_EQ(view.Title, "Quorvane - [Unnamed]");
}

TEST_F(EditorSession, SaveAsUnderANameDifferingOnlyByCaseWritesASecondFile) {
  const std::string lower = dir / "page.htm";
  const std::string upper = dir / "Page.htm";
  WriteBytes(lower, "old");
  ASSERT_TRUE(session->LoadFile(lower));
  Type(" new");
  view.FileNames = {upper};
  EXPECT_TRUE(session->SaveAs());
  EXPECT_FALSE(view.IsModified);
  // File names are exact on this platform: two files, and the title names the new one.
  EXPECT_EQ(session->FileName(), upper);
  EXPECT_EQ(view.Title.toStdString(), "Quorvane - " + upper);
  EXPECT_EQ(ReadBytes(upper), "old new");
  EXPECT_EQ(ReadBytes(lower), "old");

  // The question's Yes saves to the document's own name without asking for one.
  Type("!");
  messages.Answers = {A::Yes};
  EXPECT_TRUE(session->New());
  EXPECT_EQ(ReadBytes(upper), "old new!");
  EXPECT_TRUE(view.FileNames.empty());
}

TEST_F(EditorSession, AFileThatCannotBeReadLeavesTheDocumentAsItWas) {
  Type("kept");
  messages.Answers = {A::No};
  view.FileNames = {dir / "absent.htm"};
  EXPECT_FALSE(session->Open());
  EXPECT_EQ(messages.Errors, std::vector<std::string>{"The file cannot be read."});
  EXPECT_EQ(view.Bytes, "kept");
  EXPECT_EQ(session->FileName(), "");

  // A file named on the command line, relative to the working directory.
  WriteBytes(dir / "given.htm", "<p>given</p>");
  const std::filesystem::path cwd = std::filesystem::current_path();
  std::filesystem::current_path(dir.Path());
  const std::string given = std::filesystem::current_path() / "given.htm";
  EXPECT_TRUE(session->OpenGivenFile("./given.htm"));
  EXPECT_FALSE(session->OpenGivenFile("absent.htm"));
  std::filesystem::current_path(cwd);
  EXPECT_EQ(view.Bytes, "<p>given</p>");
  EXPECT_EQ(session->FileName(), given);
  EXPECT_EQ(messages.Errors.size(), 2u);
}

TEST_F(EditorSession, RecentlyUsedFilesKeepTheirOrderAndLimitAcrossARestart) {
  std::vector<std::string> files;
  for (int i = 0; i < 10; ++i) {
    files.push_back(dir.Write("f" + std::to_string(i) + ".htm", "x"));
    ASSERT_TRUE(session->LoadFile(files.back()));
  }
  const auto history = [this] { return session->Settings().History.Items(); };
  ASSERT_EQ(history().size(), 8u);
  EXPECT_EQ(history()[0], files[9]);
  EXPECT_EQ(history()[7], files[2]);
  // Opening the third entry moves it to the front; the list stays newest first.
  view.FileNames = {files[7]};
  ASSERT_TRUE(session->Open());
  EXPECT_EQ(history()[0], files[7]);
  EXPECT_EQ(history()[1], files[9]);
  EXPECT_EQ(history()[2], files[8]);
  const std::vector<std::string> before = history();
  Restart();
  EXPECT_EQ(history(), before);

  // The file that is loaded and not modified is not loaded again; a modified one asks first.
  ASSERT_TRUE(session->LoadFile(files[7]));
  EXPECT_FALSE(session->OpenRecent(files[7]));
  EXPECT_TRUE(messages.Questions.empty());
  Type("typed");
  messages.Answers = {A::No};
  EXPECT_TRUE(session->OpenRecent(files[7]));
  EXPECT_EQ(messages.Questions.size(), 1u);
  EXPECT_EQ(view.Bytes, "x");
}

TEST_F(EditorSession, TheReloadQuestionAnsweredNoIsNotAskedAgain) {
  const std::string file = dir.Write("watched.htm", "first");
  ASSERT_TRUE(session->LoadFile(file));
  session->CheckReload();
  EXPECT_TRUE(messages.Questions.empty());

  WriteBytes(file, "second");
  SetFileTime(file, {GetFileTime(file)->Seconds + 5, 0});
  messages.Answers = {A::No};
  session->CheckReload();
  ASSERT_EQ(messages.Questions.size(), 1u);
  EXPECT_EQ(messages.Questions[0],
            "The file " + file + " has been changed by another program. Reload it?");
  EXPECT_EQ(view.Bytes, "first");
  session->CheckReload();
  EXPECT_EQ(messages.Questions.size(), 1u);

  // Watched again after the next load; Yes reloads.
  ASSERT_TRUE(session->LoadFile(file));
  WriteBytes(file, "third");
  SetFileTime(file, {GetFileTime(file)->Seconds + 10, 0});
  messages.Answers = {A::Yes};
  session->CheckReload();
  EXPECT_EQ(messages.Questions.size(), 2u);
  EXPECT_EQ(view.Bytes, "third");
  EXPECT_FALSE(view.IsModified);
}

TEST_F(EditorSession, APreviewFileLivesBesideTheDocumentUntilTheDocumentChanges) {
  const std::string page = dir.Write("page.htm", "<p>saved</p>");
  std::filesystem::permissions(
      page, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
  ASSERT_TRUE(session->LoadFile(page));
  EXPECT_TRUE(session->Preview());  // not modified: the file itself
  ASSERT_EQ(view.Urls.size(), 1u);
  EXPECT_EQ(view.Urls[0], QUrl::fromLocalFile(QString::fromStdString(page)));
  EXPECT_EQ(session->PreviewFileName(), "");

  Type("x");
  EXPECT_TRUE(session->Preview());
  const std::string preview = session->PreviewFileName();
  ASSERT_EQ(view.Urls.size(), 2u);
  EXPECT_EQ(view.Urls[1].toLocalFile().toStdString(), preview);
  EXPECT_TRUE(QRegularExpression("^~[A-Z]{7}\\.htm$")
                  .match(QString::fromStdString(preview.substr(dir.Path().size())))
                  .hasMatch())
      << preview;
  EXPECT_EQ(ReadBytes(preview), "<p>saved</p>x");

  // Unchanged since: the same file again, not rewritten; a change rewrites the same file.
  WriteBytes(preview, "touched");
  session->Preview();
  EXPECT_EQ(ReadBytes(preview), "touched");
  Type("y");
  session->Preview();
  EXPECT_EQ(session->PreviewFileName(), preview);
  EXPECT_EQ(ReadBytes(preview), "<p>saved</p>xy");
  EXPECT_EQ(std::filesystem::status(preview).permissions(),
            std::filesystem::status(page).permissions());

  // A link put at the preview's name is left alone: the next preview gets a file of its own.
  std::filesystem::remove(preview);
  std::filesystem::create_symlink(page, preview);
  session->Preview();
  EXPECT_NE(session->PreviewFileName(), preview);
  EXPECT_EQ(ReadBytes(page), "<p>saved</p>");
  std::filesystem::remove(preview);

  messages.Answers = {A::No};
  ASSERT_TRUE(session->New());
  EXPECT_FALSE(std::filesystem::exists(preview));

  // A document without a name is previewed from the temporary directory.
  Type("unnamed");
  session->Preview();
  const std::string temporary = session->PreviewFileName();
  EXPECT_EQ(QFileInfo(QString::fromStdString(temporary)).absolutePath(),
            QFileInfo(QDir::tempPath()).absoluteFilePath());
  EXPECT_EQ(ReadBytes(temporary), "unnamed");
  Finish();
  EXPECT_FALSE(std::filesystem::exists(temporary));
}

// Permission bits hold only for a process that cannot override them: as root the preview is
// tried by the user nobody, in a child process.
TEST_F(EditorSession, APreviewThatCannotBeWrittenOpensNothing) {
  ASSERT_EQ(::chmod(dir.Path().c_str(), 0777), 0);
  const int result = RunUnprivileged([this] {
    const std::string sub = dir / "ro";
    ASSERT_EQ(::mkdir(sub.c_str(), 0755), 0);
    WriteBytes(sub + "/page.htm", "p");
    ASSERT_TRUE(session->LoadFile(sub + "/page.htm"));
    ASSERT_EQ(::chmod(sub.c_str(), 0555), 0);
    Type("x");
    EXPECT_FALSE(session->Preview());
    EXPECT_TRUE(view.Urls.empty());
    EXPECT_EQ(messages.Errors.size(), 1u);
  });
  ASSERT_NE(result, kCannotDropPrivileges);
  EXPECT_EQ(result, 0);
}

TEST_F(EditorSession, HelpOpensTheLanguagesPageAtTheDialogsAnchors) {
  const std::string help = session->HelpFileName();
  EXPECT_EQ(QFileInfo(QString::fromStdString(help)).fileName(), "Quorvane_en.htm");
  ASSERT_TRUE(FileExists(help)) << help;
  session->Help();
  session->DialogHelp(TEditorSession::kHelpContextContextMenu);
  ASSERT_EQ(view.Urls.size(), 2u);
  EXPECT_FALSE(view.Urls[0].hasFragment());
  EXPECT_EQ(view.Urls[1].toString(),
            QUrl::fromLocalFile(QString::fromStdString(help)).toString() + "#contextmenu");

  // A user's directory (stored with its slash) without the page: the error names the page.
  session->SetHelpDir(dir.PathWithoutSlash());
  EXPECT_FALSE(session->Document().HelpDirAuto);
  EXPECT_EQ(session->Document().HelpDir, dir.Path());
  EXPECT_FALSE(session->Help());
  EXPECT_EQ(messages.Errors,
            std::vector<std::string>{"File " + (dir / "Quorvane_en.htm") + " cannot be opened."});

  // An empty directory is the automatic choice again.
  session->SetHelpDir("");
  EXPECT_EQ(session->HelpFileName(), help);
  view.BrowserWorks = false;
  EXPECT_FALSE(session->Help());
  EXPECT_EQ(messages.Errors.size(), 2u);
}

TEST_F(EditorSession, CompressionReplacesTheTextAndWaitsForTheProgressWindow) {
  int waits = 0;
  std::string statistics;
  view.OnProgressWait = [&] {
    ++waits;
    EXPECT_TRUE(ProgressForm().Finished());
    statistics = ProgressForm().AdditionalText();
    ProgressForm().CloseRequested();
  };
  view.Bytes = "<p>  a   b  </p>\r\n";
  EXPECT_TRUE(session->Compress());
  EXPECT_EQ(waits, 1);
  EXPECT_EQ(view.Bytes, "<p>a b</p>");
  ASSERT_TRUE(session->LastCompression());
  EXPECT_EQ(session->LastCompression()->Before, "<p>  a   b  </p>\r\n");

  // Text the pass leaves alone: the modified flag stays as it was.
  view.Bytes = "<p>a</p>";
  view.IsModified = false;
  EXPECT_TRUE(session->Compress());
  EXPECT_EQ(statistics, "0 % (0 Characters)");
  EXPECT_FALSE(view.IsModified);
}

}  // namespace
}  // namespace quorvane::test
