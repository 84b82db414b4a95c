// Preview and help in the browser, and the compression of the editor's text.
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <filesystem>

#include "FormMainFixture.h"
#include "batch/ProgressModel.h"
#include "platform/Files.h"
#include "ui/ChangesDialog.h"
#include "ui/ProgressForm.h"

namespace quorvane::test {
namespace {

std::string Read(const std::string& path) {
  std::string content;
  ReadWholeFile(path, content);
  return content;
}

TEST_F(FormMainTest, APreviewFileLivesBesideTheDocumentUntilTheDocumentChanges) {
  const std::string page = dir / "page.htm";
  WriteBytes(page, "<p>saved</p>");
  std::filesystem::permissions(
      page, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
  form->LoadFile(page);

  form->MainmenuViewWithbrowserClick();  // not modified: the file itself
  ASSERT_EQ(openedUrls.size(), 1u);
  EXPECT_EQ(openedUrls[0].toLocalFile().toStdString(), page);
  EXPECT_EQ(openedUrls[0].scheme(), "file");
  EXPECT_EQ(form->PreviewFileName(), "");

  Type("x");
  form->MainmenuViewWithbrowserClick();
  const std::string preview = form->PreviewFileName();
  ASSERT_EQ(openedUrls.size(), 2u);
  EXPECT_EQ(openedUrls[1].toLocalFile().toStdString(), preview);
  const std::string name = QFileInfo(QString::fromStdString(preview)).fileName().toStdString();
  EXPECT_EQ(
      std::string(QFileInfo(QString::fromStdString(preview)).absolutePath().toStdString() + "/"),
      dir.Path());
  ASSERT_EQ(name.size(), 12u);
  EXPECT_EQ(name[0], '~');
  for (size_t i = 1; i < 8; ++i) {
    EXPECT_TRUE(name[i] >= 'A' && name[i] <= 'Z') << name;
  }
  EXPECT_EQ(name.substr(8), ".htm");
  EXPECT_EQ(Read(preview), "x<p>saved</p>");

  // Unchanged since: the same file again, not rewritten.
  WriteBytes(preview, "touched");
  form->MainmenuViewWithbrowserClick();
  EXPECT_EQ(openedUrls.back().toLocalFile().toStdString(), preview);
  EXPECT_EQ(Read(preview), "touched");

  Type("y");
  form->MainmenuViewWithbrowserClick();
  EXPECT_EQ(form->PreviewFileName(), preview);
  EXPECT_EQ(Read(preview), "xy<p>saved</p>");
  EXPECT_EQ(std::filesystem::status(preview).permissions(),
            std::filesystem::status(page).permissions());

  // A link put at the preview's name is left alone: the next preview gets a file of its own.
  std::filesystem::remove(preview);
  std::filesystem::create_symlink(page, preview);
  form->MainmenuViewWithbrowserClick();
  EXPECT_NE(form->PreviewFileName(), preview);
  EXPECT_EQ(Read(page), "<p>saved</p>");
  std::filesystem::remove(preview);

  dialogs->Answers = {IUserDialogs::TAnswer::No};
  form->MainmenuFileNewClick();
  EXPECT_FALSE(std::filesystem::exists(preview));
  EXPECT_EQ(form->PreviewFileName(), "");

  // A document without a name is previewed from the temporary directory.
  Type("unnamed");
  form->MainmenuViewWithbrowserClick();
  const std::string temporary = form->PreviewFileName();
  EXPECT_EQ(QFileInfo(QString::fromStdString(temporary)).absolutePath(),
            QFileInfo(QDir::tempPath()).absoluteFilePath());
  EXPECT_EQ(Read(temporary), "unnamed");
  DestroyWindow();
  EXPECT_FALSE(std::filesystem::exists(temporary));
}

TEST_F(FormMainTest, APreviewThatCannotBeWrittenOpensNothing) {
  const std::string sub = dir / "ro";
  std::filesystem::create_directory(sub);
  const std::string page = sub + "/page.htm";
  WriteBytes(page, "p");
  form->LoadFile(page);
  std::filesystem::permissions(
      sub, std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
  if (::access(sub.c_str(), W_OK) == 0) {
    GTEST_SKIP() << "running with rights that ignore permissions";
  }
  Type("x");
  form->MainmenuViewWithbrowser->trigger();
  EXPECT_TRUE(openedUrls.empty());
  ASSERT_EQ(dialogs->Errors.size(), 1u);
}

TEST_F(FormMainTest, HelpOpensTheLanguagesPageAtTheDialogsAnchors) {
  const std::string help = form->HelpFileName();
  EXPECT_EQ(QFileInfo(QString::fromStdString(help)).fileName(), "Quorvane_en.htm");
  EXPECT_TRUE(FileExists(help)) << help;

  form->MainMenuHelpHelpwithbrowserClick();
  form->DialogHelpClick(TFormMain::kHelpContextContextMenu);
  form->DialogHelpClick(TFormMain::kHelpContextTagDefinition);
  form->OpenInBrowser(help, "#contextmenu");
  ASSERT_EQ(openedUrls.size(), 4u);
  EXPECT_EQ(openedUrls[0].toLocalFile().toStdString(), help);
  EXPECT_FALSE(openedUrls[0].hasFragment());
  EXPECT_EQ(openedUrls[1].fragment(), "contextmenu");
  EXPECT_EQ(openedUrls[2].fragment(), "tagdefinition");
  EXPECT_EQ(openedUrls[3].toString(),
            QUrl::fromLocalFile(QString::fromStdString(help)).toString() + "#contextmenu");

  // A user's directory without the page: the error names the page.
  form->SetHelpDir(dir.Path());
  EXPECT_FALSE(form->Document().HelpDirAuto);
  EXPECT_EQ(form->HelpFileName(), dir / "Quorvane_en.htm");
  form->MainMenuHelpHelpwithbrowserClick();
  EXPECT_EQ(openedUrls.size(), 4u);
  ASSERT_EQ(dialogs->Errors.size(), 1u);
  EXPECT_EQ(dialogs->Errors[0].toStdString(),
            "File " + (dir / "Quorvane_en.htm") + " cannot be opened.");

  // The same directory again changes nothing; an empty one is the automatic choice again.
  form->SetHelpDir(dir.Path());
  EXPECT_FALSE(form->Document().HelpDirAuto);
  form->SetHelpDir("");
  EXPECT_TRUE(form->Document().HelpDirAuto);
  EXPECT_EQ(form->HelpFileName(), help);

  browserWorks = false;
  EXPECT_FALSE(form->OpenInBrowser(help, ""));
  EXPECT_EQ(dialogs->Errors.size(), 2u);
}

// The progress window as the user sees it when the run waits for the Close button.
struct TSeenProgress {
  bool Finished = false;
  bool Visible = false;
  std::string Statistics;
};

TEST_F(FormMainTest, CompressionReplacesTheEditorTextAndWaitsForTheProgressWindow) {
  TSeenProgress seen;
  int waits = 0;
  form->SetProgressWaiter([&] {
    ++waits;
    seen = {ProgressForm().Finished(), ProgressForm().Visible(), ProgressForm().AdditionalText()};
    ProgressForm().CloseRequested();
  });
  SetText("<p>  a   b  </p>\r\n");
  EXPECT_FALSE(form->GetModified());
  form->MainmenuFileCompress->trigger();
  EXPECT_EQ(waits, 1);
  EXPECT_TRUE(seen.Finished);
  EXPECT_TRUE(seen.Visible);
  EXPECT_NE(seen.Statistics.find("% ("), std::string::npos);
  EXPECT_FALSE(ProgressForm().Visible());
  EXPECT_LT(Text().size(), std::string("<p>  a   b  </p>\r\n").size());
  EXPECT_TRUE(form->GetModified());
  EXPECT_TRUE(form->isEnabled());
  EXPECT_EQ(form->StatusPanels[4]->text().toStdString(), "18 \u2192 10 bytes, 44 % saved");
  // View shows what changed, until another document comes.
  form->MainmenuViewChanges->trigger();
  ASSERT_NE(form->ChangesDialog1, nullptr);
  EXPECT_TRUE(form->ChangesDialog1->isVisible());
  EXPECT_EQ(form->ChangesDialog1->ShownText().toStdString(),
            "- <p>  a   b  </p>\n- \n+ <p>a b</p>");
  form->ChangesDialog1->close();
  // The compression is one undo step, which brings back the line ends too.
  const std::string compressed = Text();
  form->MainMenuEditUndoClick();
  EXPECT_EQ(Text(), "<p>  a   b  </p>\r\n");
  form->MainMenuEditRedoClick();
  EXPECT_EQ(Text(), compressed);
  form->MainMenuEditUndoClick();

  // Text the pass leaves alone: not set again, the modified flag untouched.
  SetText("<p>a</p>");
  form->MainmenuFileCompressClick();
  EXPECT_EQ(waits, 2);
  EXPECT_EQ(seen.Statistics, "0 % (0 Characters)");
  EXPECT_FALSE(form->GetModified());
  EXPECT_FALSE(form->MainMenuEditUndo->isEnabled());
  dialogs->Answers = {IUserDialogs::TAnswer::No};
  form->MainmenuFileNewClick();
  EXPECT_FALSE(form->MainmenuViewChanges->isEnabled());
  EXPECT_EQ(form->StatusPanels[4]->text(), "");
}

TEST_F(FormMainTest, CompressionWorksOnTheDocumentsBytes) {
  form->SetProgressWaiter([] { ProgressForm().CloseRequested(); });
  // A Windows-1252 page that includes a part: the result keeps every byte as it was.
  WriteBytes(dir / "part.inc",
             "<b>Gr\xFC\xDF"
             "e</b>");
  const std::string page = dir / "page.htm";
  WriteBytes(page, "<p>\xE4</p>\r\n<#quorvane include=\"part.inc\"></#quorvane>\r\n");
  form->LoadFile(page);
  form->MainmenuFileCompressClick();
  const std::string compressed = Text();
  EXPECT_NE(compressed.find("<p>\xE4</p>"), std::string::npos) << compressed;
  EXPECT_NE(compressed.find("Gr\xFC\xDF"
                            "e"),
            std::string::npos)
      << compressed;
  EXPECT_EQ(compressed.find('\r'), std::string::npos);
  EXPECT_EQ(Edit().Encoding(), TTextEncoding::Win1252);
  EXPECT_EQ(form->SaveFile(page), 0);
  EXPECT_EQ(Read(page), compressed);

  // A UTF-8 page with a Windows-1252 part is no UTF-8 any more: shown as Windows-1252, and
  // still written back byte for byte.
  WriteBytes(page, "<p>\xC3\xA4</p> <#quorvane include=\"part.inc\"></#quorvane>\n");
  form->LoadFile(page);
  EXPECT_EQ(Edit().Encoding(), TTextEncoding::Utf8);
  form->MainmenuFileCompressClick();
  EXPECT_EQ(Edit().Encoding(), TTextEncoding::Win1252);
  const std::string mixed = Text();
  EXPECT_NE(mixed.find("<p>\xC3\xA4</p>"), std::string::npos) << mixed;
  EXPECT_NE(mixed.find("Gr\xFC\xDF"
                       "e"),
            std::string::npos)
      << mixed;
  form->MainMenuEditUndoClick();
  EXPECT_EQ(Edit().Encoding(), TTextEncoding::Utf8);
  EXPECT_EQ(Text(), "<p>\xC3\xA4</p> <#quorvane include=\"part.inc\"></#quorvane>\n");
}

TEST_F(FormMainTest, TheProgressWindowStaysUntilTheUserClosesIt) {
  const std::unique_ptr<TProgressForm> progress = InstallProgressWindow();
  form->show();
  form->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
  form->Edit->setFocus();
  SetText("<p>  a  </p>");
  bool sawStatistics = false;
  bool ownerDisabled = false;
  QTimer closer;
  closer.setInterval(5);
  QObject::connect(&closer, &QTimer::timeout, [&] {
    if (ProgressForm().Finished() && progress->isVisible()) {
      sawStatistics = progress->LabelAdditionalText->text().contains("% (");
      ownerDisabled = !form->isEnabled();
      progress->ButtonCancel->click();
    }
  });
  closer.start();
  form->MainmenuFileCompress->trigger();
  closer.stop();
  EXPECT_TRUE(sawStatistics);
  EXPECT_TRUE(ownerDisabled);
  EXPECT_FALSE(progress->isVisible());
  EXPECT_TRUE(form->isEnabled());
  EXPECT_EQ(Text(), "<p>a</p>");
  EXPECT_TRUE(form->GetModified());
  // The keyboard is the editor's again: typing goes on in the text.
  EXPECT_EQ(form->focusWidget(), form->Edit);
  ProgressForm().SetView(nullptr);
}

}  // namespace
}  // namespace quorvane::test
