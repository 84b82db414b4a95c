// The progress window as a view of the progress model, headless, with real widgets; and the
// batch road with a display as a process.
#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QMessageBox>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <chrono>
#include <functional>
#include <thread>

#include "../shell/ShellTestSupport.h"
#include "batch/Document.h"
#include "batch/Messages.h"
#include "batch/ProgressModel.h"
#include "batch/UiText.h"
#include "lang/Language.h"
#include "platform/ProgramFiles.h"
#include "support/TextIds.h"
#include "ui/DialogMessages.h"
#include "ui/FileNameLabel.h"
#include "ui/ProgressWindow.h"

// Readable failure output for texts of widgets.
inline void PrintTo(const QString& text, std::ostream* out) {
  *out << '"' << text.toStdString() << '"';
}

namespace quorvane {
namespace {

constexpr uint8_t kAllParts =
    TProgressModel::kFileName | TProgressModel::kAdditionalText | TProgressModel::kSubBar;

class ProgressWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    form_ = InstallProgressWindow();
    model().Reset();
  }
  void TearDown() override {
    model().Finish();
    model().SetClock(nullptr);
    form_.reset();
  }

  static TProgressModel& model() { return ProgressForm(); }
  TProgressWindow& form() { return *form_; }
  int Top(QWidget* control) { return control->geometry().top(); }
  // Runs `action` once the event loop is entered next (inside a wait or a modal box).
  static void Later(std::function<void()> action) { QTimer::singleShot(0, std::move(action)); }

  std::unique_ptr<TProgressWindow> form_;
};

TEST_F(ProgressWindow, LeftOutPartsMoveTheRestUpAndResetBringsThemBack) {
  const int fullHeight = form().height();
  const int buttonTop = Top(form().ButtonCancel);
  const int nameHeight = form().LabelFilename->height();
  model().Start({}, "Job", TProgressModel::kAdditionalText | TProgressModel::kSubBar, true);
  EXPECT_FALSE(form().LabelFilename->isVisible());
  EXPECT_EQ(Top(form().ButtonCancel), buttonTop - nameHeight);
  EXPECT_EQ(form().height(), fullHeight - nameHeight);
  model().Reset();
  EXPECT_TRUE(form().LabelFilename->isVisible());
  EXPECT_EQ(form().height(), fullHeight);
}

TEST_F(ProgressWindow, ShowsTheModelsTextsAndBars) {
  model().SetFileNameLabel("/tmp/\xC3\x9C\x62ung\xFF.htm");  // UTF-8 with a stray byte
  model().Start({}, "Auftr\xE4ge 1/2", kAllParts, true);
  EXPECT_EQ(form().windowTitle(), QString::fromUtf8("Aufträge 1/2"));
  EXPECT_EQ(form().LabelFilename->text(), QString::fromUtf8("/tmp/Übung\uFFFD.htm"));
  model().SetAdditionalText("24 % (3 Zeichen \x96 gespart)");
  EXPECT_EQ(form().LabelAdditionalText->text(), QString::fromUtf8("24 % (3 Zeichen – gespart)"));

  for (uint8_t weight : {5, 5, 5, 5, 80}) {
    model().AddStage("stage", weight);
  }
  model().SetStage(4);
  EXPECT_EQ(form().ProgressBarMain->value(), 20);
  // Reports reach the window at the spin step, at most every 300 ms.
  uint32_t now = 0;
  model().SetClock([&now] { return now; });
  now += 300;
  model().SetSubProgress(50);
  EXPECT_EQ(form().ProgressBarSub->value(), 50);
  EXPECT_EQ(form().ProgressBarMain->value(), 60);
  model().SetFinished();
  EXPECT_TRUE(form().LabelProgressor->text().isEmpty());
  EXPECT_EQ(form().ButtonCancel->text(), UiText(model().ButtonCaption()));
}

TEST_F(ProgressWindow, CancelAndTheCloseBoxOnlyRecordTheRequest) {
  model().Start({}, "Job", kAllParts, true);
  form().ButtonCancel->click();
  EXPECT_TRUE(model().CancelRequest());
  EXPECT_FALSE(form().ButtonCancel->isEnabled());
  EXPECT_FALSE(model().AdditionalText().empty());
  EXPECT_EQ(form().LabelAdditionalText->text(), UiText(model().AdditionalText()));

  // Escape and the close box ask too, while the window stays for the worker to close.
  model().Reset();
  form().reject();
  EXPECT_TRUE(model().CancelRequest());
  model().Reset();
  EXPECT_FALSE(form().close());
  EXPECT_TRUE(model().CancelRequest());
  EXPECT_TRUE(form().isVisible());

  // Enter never stops the work, but closes the finished window.
  model().Reset();
  QTest::keyClick(form().ButtonCancel, Qt::Key_Return);
  EXPECT_FALSE(model().CancelRequest());
  model().SetFinished();
  QTest::keyClick(form().ButtonCancel, Qt::Key_Return);
  EXPECT_TRUE(model().CancelRequest());

  model().Reset();
  model().SetCancelAllowed(false);
  EXPECT_FALSE(form().ButtonCancel->isEnabled());
  form().reject();
  form().close();
  EXPECT_FALSE(model().CancelRequest());
}

TEST_F(ProgressWindow, TheFinishedWindowStaysUntilClosedAndThenEndsTheWait) {
  model().Start({}, "Job", kAllParts, true);
  model().SetFinished();
  EXPECT_TRUE(form().ButtonCancel->isEnabled());
  Later([this] { form().ButtonCancel->click(); });
  WaitUntilProgressWindowClosed();
  EXPECT_TRUE(model().CancelRequest());
  EXPECT_TRUE(form().isVisible()) << "the worker hides it, not the button";

  // The worker hiding the window ends the wait too.
  model().Reset();
  model().Start({}, "Job", kAllParts, true);
  model().SetFinished();
  Later([] { ProgressForm().Finish(); });
  WaitUntilProgressWindowClosed();
  EXPECT_FALSE(form().isVisible());
  // Nothing to wait for without a window on screen.
  WaitUntilProgressWindowClosed();
}

TEST_F(ProgressWindow, TheOwnerIsDisabledWhileTheWindowWorks) {
  QWidget owner;
  owner.setCursor(Qt::IBeamCursor);
  owner.show();
  model().Start(TWindowHandle(&owner), "Job", kAllParts, true);
  EXPECT_FALSE(owner.isEnabled());
  EXPECT_EQ(owner.cursor().shape(), Qt::WaitCursor);
  EXPECT_TRUE(form().isEnabled()) << "the window is no child of its owner";
  model().Finish();
  EXPECT_TRUE(owner.isEnabled());
  EXPECT_EQ(owner.cursor().shape(), Qt::IBeamCursor);
  EXPECT_FALSE(form().isVisible());

  // An owner without a cursor of its own gets none back; destroying the window frees it too.
  QWidget plain;
  model().Reset();
  model().Start(TWindowHandle(&plain), "Job", kAllParts, true);
  EXPECT_FALSE(plain.isEnabled());
  form_.reset();
  EXPECT_TRUE(plain.isEnabled());
  EXPECT_EQ(model().View(), nullptr);
}

// Presses the window's button once the run has finished, however long the run takes.
void CloseWhenFinished(TProgressWindow& form) {
  QTimer::singleShot(10, &form, [&form] {
    if (ProgressForm().Finished()) {
      form.ButtonCancel->click();
    } else {
      CloseWhenFinished(form);
    }
  });
}

// The editor road is the main window's test.
TEST_F(ProgressWindow, ABatchFileEndsWhenTheFinishedWindowIsClosed) {
  // Close ends the wait after the file long before the wait time is over.
  const test::TTempDir dir;
  const std::string file = dir / "a.htm";
  test::WriteBytes(file, "<p>  one  </p>");
  TDocument batch;
  batch.Waittime = 20000;
  CloseWhenFinished(form());
  QElapsedTimer clock;
  clock.start();
  EXPECT_FALSE(batch.Compress(file, false));
  EXPECT_LT(clock.elapsed(), 10000) << "the Close button ends the wait";
  EXPECT_EQ(test::ReadBytes(file), "<p>one</p>");
  EXPECT_TRUE(form().isVisible()) << "the batch keeps the window for its next file";
  EXPECT_EQ(form().LabelAdditionalText->text(), UiText(model().AdditionalText()));
}

TEST(FileNameLabel, ALongPathLosesMiddleDirectoriesFirst) {
  EXPECT_EQ(ShortPathCandidates("/home/user/web/site/index.htm"),
            QStringList({"/home/.../web/site/index.htm", "/home/.../site/index.htm",
                         "/home/.../index.htm", ".../index.htm"}));
  EXPECT_TRUE(ShortPathCandidates("c.htm").isEmpty());

  TFileNameLabel label;
  const QString path = "/home/user/a-rather-long-directory/another-long-one/page.htm";
  label.resize(label.fontMetrics().horizontalAdvance("/home/.../another-long-one/page.htm") + 4,
               20);
  label.SetPath(path);
  label.show();
  EXPECT_EQ(label.text(), "/home/.../another-long-one/page.htm");
  label.resize(5000, 20);
  EXPECT_EQ(label.text(), path);
  label.SetDoShortPath(false);
  label.resize(20, 20);
  EXPECT_EQ(label.text(), path);
}

// Answers the next message box with the button whose text is `button`, remembering its text.
void AnswerBox(const QString& button, QString* shown) {
  QTimer::singleShot(0, [=] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    ASSERT_NE(box, nullptr);
    *shown = box->text();
    for (QAbstractButton* candidate : box->buttons()) {
      if (candidate->text() == button) {
        candidate->click();
        return;
      }
    }
    ADD_FAILURE() << "no button " << button.toStdString();
    box->reject();
  });
}

TEST(DialogMessages, BoxesShowTheTextAndReportTheButtonPressedWithAcceleratorsOnTheButtons) {
  TDialogMessages messages;
  QString shown;
  const QString question = "Stop all jobs?";
  for (const bool yes : {false, true}) {
    AnswerBox(yes ? "&Yes" : "&No", &shown);
    EXPECT_EQ(messages.AskYesNo(question, {}), yes);
    EXPECT_EQ(shown, question);
  }
  for (const auto& [button, answer] : {std::pair{"&Cancel", IMessages::TAnswer::Cancel},
                                       std::pair{"&No", IMessages::TAnswer::No}}) {
    AnswerBox(button, &shown);
    EXPECT_EQ(messages.AskYesNoCancel(question, {}), answer);
  }
  for (const auto& [button, choice] : {std::pair{"&Retry", IMessages::TErrorChoice::Retry},
                                       std::pair{"&Ignore", IMessages::TErrorChoice::Ignore}}) {
    AnswerBox(button, &shown);
    EXPECT_EQ(messages.AskAbortRetryIgnore(QString("Cannot write"), {}), choice);
  }
  // A German message: the program's Windows-1252 text converted, the name as it is written.
  ASSERT_EQ(InitLanguage("", FindDataFile("Quorvane_de.nls")), 0);
  AnswerBox("&OK", &shown);
  messages.Error(NameMessage(textid::kFileWriteProtected, "\xC3\x9C\x62ung \xE6\x97\xA5.htm"));
  EXPECT_EQ(shown, QString::fromUtf8("Datei Übung 日.htm ist schreibgeschützt."));
  InitLanguage("", FindDataFile("Quorvane_en.nls"));
  EXPECT_EQ(QApplication::overrideCursor(), nullptr) << "the arrow cursor is given back";
}

// The batch with a display, as a process on the files of a temporary directory.
class WindowBatch : public ::testing::Test {
 protected:
  void Start(int waitTime) {
    test::WriteBytes(dir_ / "config/Brennik/Quorvane.conf",
                    "[1]\n7\\Waittime=" + std::to_string(waitTime) + "\n");
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("QUORVANE_UI", "gui");
    env.insert("XDG_CONFIG_HOME", Q(dir_ / "config"));
    env.insert("XDG_RUNTIME_DIR", Q(dir_.Path()));
    process_.setProcessEnvironment(env);
    process_.setWorkingDirectory(Q(dir_.Path()));
    clock_.start();
    process_.start(QUORVANE_BINARY, {"*.htm"});
    ASSERT_TRUE(process_.waitForStarted());
  }
  static QString Q(const std::filesystem::path& path) { return QString::fromStdString(path); }
  std::string Read(const char* name) const { return test::ReadBytes(dir_ / name); }
  void Write(const char* name, const std::string& text) {
    test::WriteBytes(dir_ / name, text);
  }

  test::TTempDir dir_;
  QProcess process_;
  QElapsedTimer clock_;
};

TEST_F(WindowBatch, CompressesTheFilesAndEndsAfterTheWaitTime) {
  Write("a.htm", "<p>  one   two  </p>\r\n");
  Write("b.htm", "<p>three</p>");
  Start(400);
  ASSERT_TRUE(process_.waitForFinished(20000)) << "the batch must end by itself";
  EXPECT_EQ(process_.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(process_.exitCode(), 0);
  EXPECT_GE(clock_.elapsed(), 2 * 400) << "each finished file stays for the wait time";
  EXPECT_EQ(Read("a.htm"), "<p>one two</p>");
  EXPECT_EQ(Read("b.htm"), "<p>three</p>");
  EXPECT_TRUE(process_.readAllStandardOutput().isEmpty()) << "no terminal output on this road";
}

// Started from a terminal, Ctrl+C is the Cancel button here too: during the long wait after
// the first file it ends the batch, and the other file stays as it was.
TEST_F(WindowBatch, InterruptEndsTheBatchDuringTheWait) {
  Write("a.htm", "<p>  one  </p>");
  Write("b.htm", "<p>  two  </p>");
  Start(30000);
  const auto compressed = [this] {
    return Read("a.htm") == "<p>one</p>" || Read("b.htm") == "<p>two</p>";
  };
  while (!compressed() && clock_.elapsed() < 10000) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  ASSERT_TRUE(compressed());
  ::kill(static_cast<pid_t>(process_.processId()), SIGINT);
  ASSERT_TRUE(process_.waitForFinished(10000));
  EXPECT_EQ(process_.exitCode(), 130);
  EXPECT_LT(clock_.elapsed(), 15000);
  EXPECT_EQ((Read("a.htm") == "<p>one</p>") + (Read("b.htm") == "<p>two</p>"), 1);
}

}  // namespace
}  // namespace quorvane

int main(int argc, char** argv) {
  ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
  const quorvane::test::TTempDir home;
  ::setenv("XDG_CONFIG_HOME", (home / "config").c_str(), 1);
  QApplication application(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
