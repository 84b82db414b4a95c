#include <gtest/gtest.h>

#include "batch/CommandLine.h"
#include "batch/Job.h"
#include "batch/ProgramId.h"
#include "batch/ProgressModel.h"
#include "batch/TerminalQuestions.h"
#include "lang/Language.h"
#include "platform/System.h"
#include "support/HistoryList.h"

namespace quorvane {
namespace {

TStartAction Parse(std::vector<std::string> args, TJob& job) {
  job.Clear();
  return CheckCommandLine(args, job);
}

TEST(CommandLine, SwitchesActWhereTheyStand) {
  TJob job;
  EXPECT_EQ(Parse({}, job), TStartAction::Editor);
  EXPECT_EQ(Parse({"-k", "-r", "/web/*.htm"}, job), TStartAction::Batch);
  EXPECT_TRUE(job.KeepDate);
  EXPECT_TRUE(job.Recursive);
  ASSERT_EQ(job.Count(), 1);

  EXPECT_EQ(Parse({"/web/a.htm", "-k"}, job), TStartAction::Batch);
  EXPECT_FALSE(job.KeepDate);
  EXPECT_EQ(job.Count(), 2);  // "-k" after a path is a path

  Parse({"-a", "-m", "x.htm"}, job);
  EXPECT_EQ(job.ArchiveMode, 2);
  Parse({"-m", "-a", "x.htm"}, job);
  EXPECT_EQ(job.ArchiveMode, 1);
  Parse({"--r", "x.htm"}, job);
  EXPECT_TRUE(job.Recursive);

  EXPECT_EQ(Parse({"-R"}, job), TStartAction::HelpError);
  EXPECT_EQ(Parse({"-x"}, job), TStartAction::HelpError);
  EXPECT_EQ(Parse({"-ak"}, job), TStartAction::HelpError);
  EXPECT_EQ(Parse({"--help"}, job), TStartAction::Help);
  EXPECT_EQ(Parse({"--version", "-x"}, job), TStartAction::Version);
  EXPECT_EQ(Parse({"-version"}, job), TStartAction::HelpError);
  EXPECT_EQ(Parse({"-o"}, job), TStartAction::HelpError);
  EXPECT_EQ(Parse({"-o", "-k"}, job), TStartAction::HelpError);
  EXPECT_EQ(Parse({"-l", "-q", "--o", "out", "--", "-r", "-"}, job), TStartAction::Batch);
  EXPECT_TRUE(job.Literal && job.Quiet && job.FromCommandLine);
  EXPECT_FALSE(job.Recursive);  // after "--" a path
  EXPECT_EQ(job.OutputDirectory, "out");
  EXPECT_TRUE(job.UsesStandardStreams());
  EXPECT_FALSE(job.CanTravel());
  EXPECT_EQ(Parse({"-k", "-i", "-x"}, job), TStartAction::Install);
  EXPECT_EQ(Parse({"-h", "-x"}, job), TStartAction::Help);
  EXPECT_EQ(Parse({"-s"}, job), TStartAction::Batch);
  EXPECT_EQ(job.Count(), 0);

  EXPECT_EQ(Parse({"-", "/h", "-?", "-k.htm", "a.htm", "a.htm", ""}, job), TStartAction::Batch);
  EXPECT_EQ(job.Count(), 5);  // the duplicate and the empty path are dropped

  // "-e FILE" opens the editor; anything else with -e is a usage error.
  EXPECT_EQ(EditFileArgument({"-e", "a b.htm"}), "a b.htm");
  EXPECT_EQ(EditFileArgument({"--edit", "-k"}), "-k");
  EXPECT_FALSE(EditFileArgument({"-e"}));
  EXPECT_FALSE(EditFileArgument({"-e", "a.htm", "b.htm"}));
  EXPECT_FALSE(EditFileArgument({"-k", "-e"}));
  EXPECT_EQ(Parse({"-e"}, job), TStartAction::HelpError);
}

// The terminal answers to what its prompt shows, in the language of the texts.
TEST(TerminalQuestions, AnswersAreTheShownLettersTheirWordsAndTheButtonCaptions) {
  using TChoices = std::vector<std::vector<std::string>>;
  InitLanguage("", "");
  const TTerminalQuestion builtIn = AbortRetryIgnoreQuestion("Failed.");
  EXPECT_EQ(builtIn.Prompt, "Failed.\n[a]bort, [r]etry or [i]gnore? ");
  EXPECT_EQ(
      builtIn.Answers,
      (TChoices{{"a", "abort", "Abort"}, {"r", "retry", "Retry"}, {"i", "ignore", "Ignore"}}));
  ASSERT_EQ(InitLanguage("", FindDataFile("Quorvane_de.nls")), 0);
  const TTerminalQuestion german = YesNoQuestion("Alle abbrechen?");
  EXPECT_EQ(german.Prompt, "Alle abbrechen? [j/n] ");
  EXPECT_EQ(german.Answers, (TChoices{{"j", "Ja"}, {"n", "Nein"}}));
  EXPECT_EQ(AbortRetryIgnoreQuestion("x").Answers[1],
            (std::vector<std::string>{"w", "wiederholen", "Wiederholen"}));
  InitLanguage("", "");
}

TEST(ProgramId, TextAndVersion) {
  EXPECT_EQ(ProgramIdText(), "{00000701-75E7-11D7-0266-00A024502A20}");
  EXPECT_EQ(ProgramVersionText(), "1.7");
}

TEST(ProgressModel, StagesFillTheMainBar) {
  TProgressModel model;
  model.Reset();
  for (int i = 0; i < 4; ++i) {
    model.AddStage("s", 5);
  }
  model.AddStage("", 80);
  for (int i = 0; i < 4; ++i) {
    model.NextStage();
  }
  model.SetSubProgress(50);
  EXPECT_EQ(model.MainPosition(), 60);
  EXPECT_EQ(model.SubPosition(), 50);
  model.Start({}, "c", TProgressModel::kAdditionalText, true);
  model.SetProgress(100);  // no sub bar: the main bar moves
  EXPECT_EQ(model.MainPosition(), 100);
}

TEST(ProgressModel, CancelAndClose) {
  TProgressModel model;
  model.Reset();
  model.Start({}, "c", 7, true);
  EXPECT_FALSE(model.SetSubProgress(10));
  model.ButtonCancelClick();
  EXPECT_TRUE(model.CancelRequest());
  EXPECT_FALSE(model.ButtonEnabled());
  EXPECT_NE(model.AdditionalText().find(". "), std::string::npos);
  EXPECT_TRUE(model.SetSubProgress(20));
  model.Reset();
  EXPECT_FALSE(model.CancelRequest());
  EXPECT_TRUE(model.ButtonEnabled());

  model.SetCancelAllowed(false);
  model.ButtonCancelClick();
  model.CloseRequested();
  EXPECT_FALSE(model.CancelRequest());
  EXPECT_FALSE(model.ButtonEnabled());

  model.Reset();
  model.SetFinished();
  EXPECT_TRUE(model.Finished());
  model.CloseRequested();  // closing a finished window is read as "closed"
  EXPECT_TRUE(model.CancelRequest());
  EXPECT_TRUE(model.Visible());
}

TEST(ProgressModel, SpinsAtMostEveryThreeHundredMilliseconds) {
  TProgressModel model;
  uint32_t now = 0xFFFFFF00;  // the tick count wraps around during the reports
  model.SetClock([&] { return now; });
  model.Reset();
  std::string marks;
  for (int report = 0; report < 10; ++report, now += 100) {
    model.SetSubProgress(-1);
    marks += model.Progressor();
  }
  EXPECT_EQ(marks, "|||///\x97\x97\x97\\");
}

TEST(JobList, CountsJobsForTheCaption) {
  JobList().Add(std::make_unique<TJob>());
  JobList().Add(std::make_unique<TJob>());
  JobList().Current = 1;
  EXPECT_NE(JobCaption().find(": Job 2/2"), std::string::npos);
  JobList().Clear();
}

TEST(HistoryList, NewestFirstAndAReopenedFileMovesToTheFront) {
  THistoryList history;
  for (const char* path : {"D", "C", "B", "A"}) {
    history.Add(path);
  }
  history.Add("c");
  EXPECT_EQ(history.Items(), (std::vector<std::string>{"C", "A", "B", "D"}));
  for (int i = 0; i < 10; ++i) {
    history.Add(std::to_string(i) + "f");
  }
  EXPECT_EQ(history.Items().size(), 8u);
  EXPECT_EQ(history.Items().front(), "9f");
}

}  // namespace
}  // namespace quorvane
