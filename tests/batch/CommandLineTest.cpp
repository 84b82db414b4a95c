#include "batch/CommandLine.h"

#include <gtest/gtest.h>

#include "batch/Job.h"

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

  for (const auto& [args, action] : std::vector<std::pair<std::vector<std::string>, TStartAction>>{
           {{"-R"}, TStartAction::HelpError},
           {{"-x"}, TStartAction::HelpError},
           {{"-ak"}, TStartAction::HelpError},
           {{"-version"}, TStartAction::HelpError},
           {{"-o"}, TStartAction::HelpError},
           {{"-o", "-k"}, TStartAction::HelpError},
           {{"--help"}, TStartAction::Help},
           {{"-h", "-x"}, TStartAction::Help},
           {{"--version", "-x"}, TStartAction::Version},
           {{"-k", "-i", "-x"}, TStartAction::Install}}) {
    EXPECT_EQ(Parse(args, job), action) << args[0];
  }
  EXPECT_EQ(Parse({"-l", "-q", "--o", "out", "--", "-r", "-"}, job), TStartAction::Batch);
  EXPECT_TRUE(job.Literal && job.Quiet && job.FromCommandLine);
  EXPECT_FALSE(job.Recursive);  // after "--" a path
  EXPECT_EQ(job.OutputDirectory, "out");
  EXPECT_TRUE(job.UsesStandardStreams());
  EXPECT_FALSE(job.CanTravel());
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

}  // namespace
}  // namespace quorvane
