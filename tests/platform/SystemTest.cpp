#include <signal.h>
#include <unistd.h>

#include "TestSupport.h"
#include "platform/System.h"

namespace quorvane {
namespace {

using test::TScopedEnvironment;

std::optional<std::string> Variable(const char* text) {
  return text == nullptr ? std::nullopt : std::optional<std::string>(text);
}

TEST(ProgramFiles, DataIsLookedForBesideTheProgramFirst) {
  const std::vector<std::string> directories = DataDirectories();
  ASSERT_GE(directories.size(), 2u);
  EXPECT_EQ(directories[0], ProgramDirectory());
  EXPECT_TRUE(directories[1].ends_with("/share/quorvane/")) << directories[1];
  EXPECT_EQ(directories[1].find(".."), std::string::npos) << directories[1];
  EXPECT_EQ(FindDataFile("quorvane_platform_tests"),
            ProgramDirectory() + "quorvane_platform_tests");
  EXPECT_EQ(FindDataFile("Quorvane_xx.nls-missing"), "");

  // The window program stands for the program file that handed over to it, data and all.
  EXPECT_TRUE(WindowProgramPath().ends_with("/libexec/quorvane-gui")) << WindowProgramPath();
  TScopedEnvironment environment;
  environment.Set("QUORVANE_PROGRAM_FILE", "/opt/q/bin/quorvane");
  EXPECT_EQ(ProgramFilePath(), "/opt/q/bin/quorvane");
  EXPECT_EQ(DataDirectories()[1], "/opt/q/share/quorvane/");
}

// A terminal on standard error always chooses the console; this test's own output may be one.
TEST(Console, TheEnvironmentChoosesTerminalOrWindows) {
  struct TCase {
    const char* Ui;
    const char* Display;
    const char* Wayland;
    bool Console;
  };
  const bool terminal = StandardErrorIsTerminal();
  TScopedEnvironment environment;
  for (const TCase& c :
       {TCase{"console", ":0", nullptr, true}, TCase{"gui", nullptr, nullptr, false},
        TCase{nullptr, nullptr, nullptr, true}, TCase{nullptr, nullptr, "w-0", false},
        TCase{nullptr, ":1", "", false}}) {
    environment.Set("QUORVANE_UI", Variable(c.Ui));
    environment.Set("DISPLAY", Variable(c.Display));
    environment.Set("WAYLAND_DISPLAY", Variable(c.Wayland));
    const bool chosenByUi = c.Ui != nullptr && std::string(c.Ui) == "gui";
    EXPECT_EQ(UseConsoleUi(), c.Console || (terminal && !chosenByUi))
        << (c.Ui ? c.Ui : "-") << " " << (c.Display ? c.Display : "-");
  }
}

TEST(Console, LocaleLanguageCodeTakesTheFirstSetVariable) {
  TScopedEnvironment environment;
  const auto code = [&environment](const char* all, const char* messages, const char* lang) {
    environment.Set("LC_ALL", Variable(all));
    environment.Set("LC_MESSAGES", Variable(messages));
    environment.Set("LANG", Variable(lang));
    return LocaleLanguageCode();
  };
  EXPECT_EQ(code(nullptr, nullptr, "de_AT.UTF-8"), "de");
  EXPECT_EQ(code("fr_FR", "de_DE", "en_US"), "fr");
  EXPECT_EQ(code("", "EN_us", "de_DE"), "en");
  EXPECT_EQ(code(nullptr, nullptr, "sr@latin"), "sr");
  for (const char* none :
       std::initializer_list<const char*>{"C", "POSIX", "C.UTF-8", "fil_PH", "", "1a", nullptr}) {
    EXPECT_EQ(code(nullptr, nullptr, none), "") << (none ? none : "unset");
  }
}

// Feeds `input` to a question over pipes; returns the answer and what was shown.
std::pair<std::optional<size_t>, std::string> Ask(const std::string& input) {
  const TTerminalQuestion question{"Stop? [j/n] ", {{"j", "Ja"}, {"n", "\303\274ber"}}};
  int in[2];
  int out[2];
  EXPECT_EQ(::pipe(in), 0);
  EXPECT_EQ(::pipe(out), 0);
  EXPECT_EQ(::write(in[1], input.data(), input.size()), static_cast<ssize_t>(input.size()));
  ::close(in[1]);
  const std::optional<size_t> answer = quorvane::Ask(in[0], out[1], question);
  ::close(in[0]);
  ::close(out[1]);
  std::string shown(4096, '\0');
  shown.resize(std::max<ssize_t>(0, ::read(out[0], shown.data(), shown.size())));
  ::close(out[0]);
  return {answer, shown};
}

TEST(Console, AskRepeatsTheQuestionUntilAnAnswerNamesAChoice) {
  EXPECT_EQ(Ask("j\n").first, 0u);
  EXPECT_EQ(Ask("  JA \r\n").first, 0u);
  EXPECT_EQ(Ask("\303\234BER\n").first, 1u) << "letter case of any script";
  EXPECT_EQ(Ask("n").first, 1u) << "a last line without line end";
  const auto [answer, shown] = Ask("y\n\nja\n");
  EXPECT_EQ(answer, 0u);
  EXPECT_EQ(shown, "Stop? [j/n] Stop? [j/n] Stop? [j/n] ");
  EXPECT_EQ(Ask("").first, std::nullopt);
  EXPECT_EQ(Ask("what\n").first, std::nullopt) << "input ended without an answer";
}

void CountingHandler(int) {}

TEST(InterruptWatch, TheFirstSignalOnlyRequestsAndTheHandlersComeBack) {
  struct sigaction own = {};
  own.sa_handler = CountingHandler;
  struct sigaction saved;
  ASSERT_EQ(::sigaction(SIGINT, &own, &saved), 0);
  {
    TInterruptWatch watch;
    for (const int signal : {SIGINT, SIGTERM}) {
      EXPECT_FALSE(TInterruptWatch::Requested());
      ::raise(signal);
      EXPECT_TRUE(TInterruptWatch::Requested());
      TInterruptWatch::Reset();
    }
    EXPECT_THROW(TInterruptWatch(), std::logic_error);
  }
  struct sigaction current;
  ASSERT_EQ(::sigaction(SIGINT, nullptr, &current), 0);
  EXPECT_EQ(current.sa_handler, &CountingHandler);
  ::sigaction(SIGINT, &saved, nullptr);
}

}  // namespace
}  // namespace quorvane
