// The document on the batch's file road: what it writes, and what it reports for each file.
#include "batch/Document.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "BatchTestSupport.h"
#include "FakeMessages.h"
#include "FaultyCalls.h"
#include "TestSupport.h"
#include "batch/ProgressModel.h"
#include "lang/Language.h"
#include "platform/InterruptWatch.h"
#include "support/TextIds.h"
#include "support/Win1252.h"

namespace quorvane {
namespace {

const auto* const stateHome = testing::AddGlobalTestEnvironment(new test::TStateHomeEnvironment);

using test::kCompressed;
using test::kPage;
using test::ReadBytes;
using test::TFaultyCalls;
using test::WriteBytes;

class TRecordedLines : public IProgressView {
 public:
  void Changed(const TProgressModel&) override {}
  void FileDone(const std::string& fileName, const std::string& statistics) override {
    Lines.push_back(fileName + ": " + statistics);
  }
  std::vector<std::string> Lines;
};

class DocumentFileRoad : public testing::Test {
 protected:
  void SetUp() override {
    previousView_ = ProgressForm().View();
    ProgressForm().SetView(&lines_);
    document_.Waittime = 0;
  }
  void TearDown() override {
    document_.FinishPendingFile();
    ProgressForm().SetView(previousView_);
  }

  test::TTempDir dir_;
  const std::string page_ = dir_ / "page.htm";
  TDocument document_;
  test::TMessagesScope messages_;
  TRecordedLines lines_;
  IProgressView* previousView_ = nullptr;
};

// Written at once (a window waits after each file) and behind the next file (a terminal).
TEST_F(DocumentFileRoad, AFileThatCannotBeWrittenIsNamedAndClaimsNoSavings) {
  const std::string victim = dir_ / "victim.txt";
  for (const bool behind : {false, true}) {
    for (const bool swapped : {false, true}) {
      SCOPED_TRACE(std::string(behind ? "behind" : "at once") + (swapped ? ", swapped" : ""));
      ::unlink(page_.c_str());
      WriteBytes(page_, kPage);
      WriteBytes(victim, "victim");
      messages_->Errors.clear();
      lines_.Lines.clear();
      document_.WaitAfterFile = !behind;
      // The first write fails, or is where another program puts a link in the file's place.
      TFaultyCalls calls(TFaultyCalls::TKind::Write, 1);
      if (swapped) {
        calls.Action = [&] {
          ::unlink(page_.c_str());
          ::symlink("victim.txt", page_.c_str());
        };
      }
      {
        const TSystemCallsOverride use(calls);
        EXPECT_FALSE(document_.Compress(page_, false));
        document_.FinishPendingFile();
      }
      ASSERT_EQ(messages_->Errors.size(), 1u);
      const std::string& message = messages_->Errors[0];
      EXPECT_NE(message.find(page_), std::string::npos) << message;
      EXPECT_NE(message.find(swapped ? "changed" : "cannot be written"), std::string::npos)
          << message;
      EXPECT_EQ(lines_.Lines, std::vector<std::string>{page_ + ": " + StatisticsLine({})});
      EXPECT_EQ(ReadBytes(victim), "victim");
      EXPECT_EQ(ReadBytes(page_), swapped ? "victim" : kPage);
    }
  }
}

// A file compressed again or included by a later one, under this name or another, is read once
// its own write is done, however long that takes.
TEST_F(DocumentFileRoad, AFileStillBeingWrittenIsReadWithItsNewContent) {
  class TSlowWriter : public TSystemCalls {
   public:
    int RenameAt(int fromDir, const char* from, int toDir, const char* to) override {
      if (std::this_thread::get_id() != main_) {
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
      }
      return TSystemCalls::RenameAt(fromDir, from, toDir, to);
    }

   private:
    std::thread::id main_ = std::this_thread::get_id();
  } slowWriter;
  WriteBytes(dir_ / "a.htm", "<p>x   y</p>\r\n");
  ASSERT_EQ(::symlink("a.htm", (dir_ / "link.htm").c_str()), 0);
  WriteBytes(dir_ / "b.htm",
             "<PRE><#quorvane include=\"link.htm\"></#quorvane></PRE>\r\n<p>  b  </p>");
  document_.WaitAfterFile = false;
  {
    const TSystemCallsOverride use(slowWriter);
    document_.Compress(dir_ / "a.htm", false);
    document_.Compress(dir_ / "link.htm", false);
    document_.Compress(dir_ / "b.htm", false);
    document_.FinishPendingFile();
  }
  EXPECT_EQ(ReadBytes(dir_ / "b.htm"), "<PRE><p>x y</p></PRE><p>b</p>");
  EXPECT_EQ(messages_->Errors, std::vector<std::string>{});
  ASSERT_EQ(lines_.Lines.size(), 3u);
  EXPECT_EQ(lines_.Lines[1], dir_ / "link.htm" + ": " + StatisticsLine({}));  // nothing left
}

// Files queue up behind a slow write and are still written and reported in the order they
// came, a failed one among them.
TEST_F(DocumentFileRoad, FilesWrittenBehindTheOthersAreReportedInTheirOrder) {
  class TSlowFirstWrite : public TSystemCalls {
   public:
    int RenameAt(int fromDir, const char* from, int toDir, const char* to) override {
      if (std::string_view(to) == "p0.htm") {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
      }
      return std::string_view(to) == "p3.htm" ? (errno = EIO, -1)
                                              : TSystemCalls::RenameAt(fromDir, from, toDir, to);
    }
  } slowWriter;
  const auto pageName = [this](int i) {
    return dir_ / std::string("p").append(1, char('0' + i)) + ".htm";
  };
  document_.WaitAfterFile = false;
  {
    const TSystemCallsOverride use(slowWriter);
    for (int i = 0; i < 7; ++i) {
      const std::string page = pageName(i);
      WriteBytes(page, "<p>a" + std::string(i + 2, ' ') + "b</p>");  // i + 1 bytes to save
      ::chmod(page.c_str(), 0604);  // the new files of the later ones are made ahead
      document_.Compress(page, false);
    }
    document_.FinishPendingFile();
  }
  ASSERT_EQ(lines_.Lines.size(), 7u);
  for (int i = 0; i < 7; ++i) {
    const std::string page = pageName(i);
    const std::string saved = i == 3 ? StatisticsLine({}) : "% (" + std::to_string(i + 1) + " ";
    EXPECT_EQ(lines_.Lines[i].rfind(page + ": ", 0), 0u) << lines_.Lines[i];
    EXPECT_NE(lines_.Lines[i].find(saved), std::string::npos) << lines_.Lines[i];
    EXPECT_EQ(ReadBytes(page), i == 3 ? "<p>a     b</p>" : "<p>a b</p>");
    struct stat status {};
    EXPECT_TRUE(::stat(page.c_str(), &status) == 0 && (status.st_mode & 07777) == 0604) << page;
  }
  ASSERT_EQ(messages_->Errors.size(), 1u);
  EXPECT_NE(messages_->Errors[0].find("p3.htm"), std::string::npos);
}

TEST_F(DocumentFileRoad, AWriteThatWasKilledIsUndoneFirstAndSaidSo) {
  WriteBytes(page_, kPage);
  const std::string link = dir_ / "link.htm";
  ASSERT_EQ(::link(page_.c_str(), link.c_str()), 0);
  // Killed with the new content in place, before it is on disk: the journal stays.
  ASSERT_TRUE(test::KilledWrite(page_, "NEW", TFaultyCalls::TKind::Fsync, 3));
  ASSERT_EQ(ReadBytes(page_), "NEW");

  EXPECT_FALSE(document_.Compress(link, false));
  ASSERT_EQ(messages_->Informations.size(), 1u);
  EXPECT_NE(messages_->Informations[0].find(link), std::string::npos) << messages_->Informations[0];
  EXPECT_EQ(ReadBytes(page_), kCompressed);  // what the old content becomes
  EXPECT_EQ(ReadBytes(link), kCompressed);
  EXPECT_EQ(test::JournalNames(), std::vector<std::string>{});
}

// A cancel once the pass has worked on the text in place (the marked blocks come after the
// tag endings) writes no file and leaves the editor's text as it was.
TEST_F(DocumentFileRoad, ACancelledRunWritesNoFileAndKeepsTheEditorText) {
  class TCancelAtMarkedBlocks : public IProgressView {
   public:
    void Changed(const TProgressModel& model) override {
      if (model.AdditionalText() == CapText(GetText(textid::kStageMarkedBlocks), "...") &&
          !model.CancelRequest()) {
        ProgressForm().ButtonCancelClick();
      }
    }
  } canceller;
  class TFixedEditor : public IEditorHost {
   public:
    std::string Text;
    int Replaced = 0;
    std::string EditorText() override { return Text; }
    void SetEditorText(const std::string&) override { ++Replaced; }
    bool EditorModified() const override { return false; }
    void SetEditorModified(bool) override {}
    TWindowHandle OwnerWindow() override { return {}; }
    void WaitUntilProgressClosed() override {}
    void TextCompressed(const std::string&, const std::string&) override { ++Replaced; }
  } editor;
  const std::string page = "<p>  a  </p>\r\n<br />  <!--DEL x DEL--> <b> b </b>";
  WriteBytes(page_, page);
  ProgressForm().SetView(&canceller);
  EXPECT_TRUE(document_.Compress(page_, false));
  EXPECT_EQ(ReadBytes(page_), page);

  editor.Text = page;
  document_.SetEditorHost(&editor);
  EXPECT_TRUE(document_.Compress("", false));
  EXPECT_EQ(editor.Replaced, 0);
  EXPECT_FALSE(document_.GetModified());
  document_.SetEditorHost(nullptr);

  // In a terminal the file finisher compresses such a page itself; a Ctrl+C before it is
  // written leaves it as it was, with no statistics.
  ProgressForm().SetView(&lines_);
  document_.WaitAfterFile = false;
  {
    const TInterruptWatch watch;
    ::raise(SIGINT);
    EXPECT_FALSE(document_.Compress(page_, false));
    document_.FinishPendingFile();
    TInterruptWatch::Reset();
  }
  EXPECT_EQ(ReadBytes(page_), page);
  EXPECT_EQ(lines_.Lines, std::vector<std::string>{});
}

}  // namespace
}  // namespace quorvane
