// Each file manager's action started as that file manager starts it, for a program in a
// directory whose name holds blanks, quotes, "$", "`" and "%": the program must get -s, -l and
// exactly the selected files of its types.
#include <gtest/gtest.h>

#include <sstream>

#include <QProcess>
#include <QProcessEnvironment>

#include "ShellTestSupport.h"
#include "shell/ContextMenu.h"
#include "shell/DesktopEntryText.h"
#include "shell/ShellWords.h"

namespace quorvane {
namespace {

namespace fs = std::filesystem;
using TArguments = std::vector<std::string>;

class ActionCommands : public ::testing::Test {
 protected:
  void SetUp() override {
    test::RemoveSharedActionFiles();
    const fs::path directory = test::SharedHome() / "odd 'dir' \"q\" $HOME `x` 100%";
    program_ = (directory / "quorvane").string();
    test::WriteBytes(program_, "#!/bin/sh\nprintf '%s\\n' \"$0\" \"$@\" > \"$ARGS_FILE\"\n");
    fs::permissions(program_, fs::perms::owner_all);
    ASSERT_TRUE(
        WriteClassVerbs({"text/html"}, true, "%s", "Compress", CommandLineForProgram(program_)));
    pages_ = test::SharedHome() / "pages";
    fs::create_directories(pages_);
  }

  // Runs the command and gives the arguments the program received, its own path first.
  TArguments Run(const TArguments& command, const QProcessEnvironment& extra = {}) const {
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(extra);
    const fs::path argsFile = test::SharedHome() / "args";
    fs::remove(argsFile);
    env.insert("ARGS_FILE", QString::fromStdString(argsFile.string()));
    process.setProcessEnvironment(env);
    process.setWorkingDirectory(QString::fromStdString(pages_.string()));
    QStringList args;
    for (size_t i = 1; i < command.size(); ++i) {
      args << QString::fromStdString(command[i]);
    }
    process.start(QString::fromStdString(command[0]), args);
    EXPECT_TRUE(process.waitForFinished(30000)) << command[0];
    TArguments received;
    std::istringstream lines(test::ReadBytes(argsFile));
    for (std::string line; std::getline(lines, line);) {
      received.push_back(line);
    }
    return received;
  }

  TArguments Expected(const TArguments& files) const {
    TArguments expected = {program_, "-s", "-l"};
    expected.insert(expected.end(), files.begin(), files.end());
    return expected;
  }

  std::string program_;
  fs::path pages_;
  const TArguments files_ = {"/tmp/a page.htm", "/tmp/it's \"q\" $HOME.html"};
};

// "%F" in `words` replaced by the files, and "%%" by "%".
TArguments ExpandFieldCodes(const TArguments& words, const TArguments& files) {
  TArguments expanded;
  for (const std::string& word : words) {
    if (word == "%F") {
      expanded.insert(expanded.end(), files.begin(), files.end());
    } else {
      std::string text;
      for (size_t i = 0; i < word.size(); ++i) {
        text += word[i];
        i += word[i] == '%' && i + 1 < word.size() && word[i + 1] == '%' ? 1 : 0;
      }
      expanded.push_back(text);
    }
  }
  return expanded;
}

TEST_F(ActionCommands, DolphinSplitsTheExecValueAsDesktopEntriesDo) {
  const std::string file = test::ReadBytes(test::SharedActionFiles().ServiceMenu());
  const auto exec = ReadKeyFileGroup(file, "Desktop Action compress").at("Exec");
  const auto words = SplitExecValue(exec);
  ASSERT_TRUE(words.has_value()) << exec;
  EXPECT_EQ(Run(ExpandFieldCodes(*words, files_)), Expected(files_));
}

TEST_F(ActionCommands, NemoExpandsOnlyTheFirstFieldCodeAndSplitsLikeTheShell) {
  const std::string file = test::ReadBytes(test::SharedActionFiles().NemoAction());
  const auto keys = ReadKeyFileGroup(file, "Nemo Action");
  ASSERT_EQ(keys.at("Quote"), "double");
  std::string exec = keys.at("Exec");
  const size_t percent = exec.find('%');
  ASSERT_EQ(exec.substr(percent, 2), "%F") << "the first \"%\" is the file list: " << exec;
  std::string quotedFiles;
  for (const std::string& name : files_) {
    std::string escaped;
    for (char c : name) {
      escaped += c == '"' ? "\\\"" : std::string(1, c);
    }
    quotedFiles += quotedFiles.empty() ? "\"" : " \"";
    quotedFiles += escaped + "\"";
  }
  exec.replace(percent, 2, quotedFiles);
  const auto words = SplitShellWords(exec);
  ASSERT_TRUE(words.has_value()) << exec;
  EXPECT_EQ(Run(*words), Expected(files_));
}

TEST_F(ActionCommands, ThunarRunsItsCommandThroughTheShell) {
  std::string file = test::ReadBytes(test::SharedActionFiles().Thunar());
  const size_t begin = file.find("<command>") + 9;
  std::string command = file.substr(begin, file.find("</command>") - begin);
  for (const auto& [entity, c] : {std::pair{"&amp;", "&"}, {"&lt;", "<"}, {"&gt;", ">"}}) {
    for (size_t at; (at = command.find(entity)) != std::string::npos;) {
      command.replace(at, std::string(entity).size(), c);
    }
  }
  std::string quotedFiles;
  for (const std::string& name : files_) {
    quotedFiles += quotedFiles.empty() ? "" : " ";
    quotedFiles += QuoteShellWord(name);
  }
  command = ExpandFieldCodes({command}, {}).front();
  command.replace(command.find("%F"), 2, quotedFiles);
  EXPECT_EQ(Run({"/bin/sh", "-c", command}), Expected(files_));
  EXPECT_NE(file.find("<patterns>*.html;*.HTML;*.htm;*.HTM</patterns>"), std::string::npos) << file;
}

TEST_F(ActionCommands, TheGnomeFilesScriptPassesOnOnlyThePagesOfItsTypes) {
  const std::string script = test::SharedActionFiles().Script("Compress").string();
  QProcessEnvironment selected;
  selected.insert("NAUTILUS_SCRIPT_SELECTED_FILE_PATHS",
                  "/tmp/a page.htm\n/tmp/notes.txt\n/tmp/INDEX.HTML\n/tmp/it's \"q\" $HOME.html\n");
  EXPECT_EQ(Run({script}, selected),
            Expected({"/tmp/a page.htm", "/tmp/INDEX.HTML", "/tmp/it's \"q\" $HOME.html"}));
  EXPECT_EQ(Run({script, "-dash.htm", "x.css", "b.Htm"}), Expected({"./-dash.htm", "b.Htm"}))
      << "without the list, the arguments; a name with a leading dash is no switch";
  fs::remove(test::SharedHome() / "args");
  Run({script, "notes.txt"});
  EXPECT_FALSE(fs::exists(test::SharedHome() / "args")) << "no page, no program";
}

}  // namespace
}  // namespace quorvane
