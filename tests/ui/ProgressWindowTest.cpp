// The progress window as a view of the progress model, headless, with real widgets; and the
// batch road with a display as a process.
#include "ui/ProgressWindow.h"

#include <gtest/gtest.h>
#include <signal.h>

#include <QElapsedTimer>
#include <QLabel>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <chrono>
#include <functional>
#include <thread>

#include "batch/BatchTestSupport.h"
#include "batch/Document.h"
#include "batch/UiText.h"
#include "platform/TestSupport.h"
#include "ui/FileNameLabel.h"

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
  ProgressWindow() : form_(InstallProgressWindow()) { model().Reset(); }
  ~ProgressWindow() override {
    model().Finish();
    model().SetClock(nullptr);
  }

  static TProgressModel& model() { return ProgressForm(); }
  TProgressWindow& form() { return *form_; }
  // Runs `action` once the event loop is entered next (inside a wait).
  static void Later(std::function<void()> action) { QTimer::singleShot(0, std::move(action)); }

  std::unique_ptr<TProgressWindow> form_;
};

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

TEST_F(ProgressWindow, CancelEscapeAndTheCloseBoxOnlyRecordTheRequest) {
  model().Start({}, "Job", kAllParts, true);
  form().ButtonCancel->click();
  EXPECT_TRUE(model().CancelRequest());
  EXPECT_FALSE(form().ButtonCancel->isEnabled());
  EXPECT_EQ(form().LabelAdditionalText->text(), UiText(model().AdditionalText()));
  // Escape and the close box ask too, while the window stays for the worker to close.
  for (const std::function<void()>& ask : std::vector<std::function<void()>>{
           [this] { form().reject(); }, [this] { EXPECT_FALSE(form().close()); }}) {
    model().Reset();
    ask();
    EXPECT_TRUE(model().CancelRequest());
  }
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

// The Close button ending the wait is the batch file's test below.
TEST_F(ProgressWindow, TheWorkerHidingTheFinishedWindowEndsTheWait) {
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
  const test::TTempDir dir;
  const std::string file = dir.Write("a.htm", "<p>  one  </p>");
  TDocument batch;
  batch.Waittime = 20000;
  CloseWhenFinished(form());
  QElapsedTimer clock;
  clock.start();
  EXPECT_FALSE(batch.Compress(file, false));
  EXPECT_LT(clock.elapsed(), 10000) << "the Close button ends the wait";
  EXPECT_EQ(test::ReadBytes(file), "<p>one</p>");
  EXPECT_TRUE(form().isVisible()) << "the batch keeps the window for its next file";
}

// The batch with a display, as a process on two pages of a temporary directory.
class WindowBatch : public ::testing::Test {
 protected:
  void Start(int waitTime) {
    dir_.Write("a.htm", test::kPage);
    dir_.Write("b.htm", test::kPage);
    dir_.Write("config/Brennik/Quorvane.conf",
               "[1]\n7\\Waittime=" + std::to_string(waitTime) + "\n");
    QProcessEnvironment env = test::ProgramEnvironment(dir_.Path());
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("QUORVANE_UI", "gui");
    env.insert("XDG_RUNTIME_DIR", test::Q(dir_.Path()));
    process_.setProcessEnvironment(env);
    process_.setWorkingDirectory(test::Q(dir_.Path()));
    clock_.start();
    process_.start(QUORVANE_BINARY, {"*.htm"});
    ASSERT_TRUE(process_.waitForStarted());
  }
  // How many of the two pages are compressed.
  int Compressed() const {
    return (test::ReadBytes(dir_ / "a.htm") == test::kCompressed) +
           (test::ReadBytes(dir_ / "b.htm") == test::kCompressed);
  }

  test::TTempDir dir_;
  QProcess process_;
  QElapsedTimer clock_;
};

TEST_F(WindowBatch, CompressesTheFilesAndEndsAfterTheWaitTime) {
  Start(400);
  ASSERT_TRUE(process_.waitForFinished(20000)) << "the batch must end by itself";
  EXPECT_EQ(process_.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(process_.exitCode(), 0);
  EXPECT_GE(clock_.elapsed(), 2 * 400) << "each finished file stays for the wait time";
  EXPECT_EQ(Compressed(), 2);
  EXPECT_TRUE(process_.readAllStandardOutput().isEmpty()) << "no terminal output on this road";
}

// Started from a terminal, Ctrl+C is the Cancel button here too: during the long wait after
// the first file it ends the batch, and the other file stays as it was.
TEST_F(WindowBatch, InterruptEndsTheBatchDuringTheWait) {
  Start(30000);
  while (Compressed() == 0 && clock_.elapsed() < 10000) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  ASSERT_EQ(Compressed(), 1);
  ::kill(static_cast<pid_t>(process_.processId()), SIGINT);
  ASSERT_TRUE(process_.waitForFinished(10000));
  EXPECT_EQ(process_.exitCode(), 130);
  EXPECT_LT(clock_.elapsed(), 15000);
  EXPECT_EQ(Compressed(), 1);
}

}  // namespace
}  // namespace quorvane
