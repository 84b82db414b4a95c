#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include "TestSupport.h"
#include "platform/System.h"

namespace quorvane {
namespace {

using test::TScopedEnvironment;

TEST(MemoryLoad, IsTheShareOfMemoryNotAvailable) {
  EXPECT_EQ(MemoryLoadFromMeminfo("MemTotal:       1000 kB\nMemFree:  10 kB\n"
                                  "MemAvailable:    250 kB\n"),
            75);
  EXPECT_EQ(MemoryLoadFromMeminfo("MemTotal: 1000 kB\nMemAvailable: 1000 kB\n"), 0);
  EXPECT_EQ(MemoryLoadFromMeminfo("MemTotal: 1000 kB\nMemAvailable: 0 kB\n"), 100);
  EXPECT_EQ(MemoryLoadFromMeminfo("MemTotal: 1000 kB\n"), 0) << "unreadable counts as 0";
  EXPECT_EQ(MemoryLoadFromMeminfo("MemTotalX: 1000 kB\nMemAvailable: 10 kB\n"), 0);
  const int load = MemoryLoadPercent();
  EXPECT_GE(load, 0);
  EXPECT_LE(load, 100);
}

TEST(ProgramFiles, DataIsLookedForBesideTheProgramFirst) {
  const std::string program = ProgramDirectory();
  ASSERT_FALSE(program.empty());
  EXPECT_EQ(program.back(), '/');
  const std::vector<std::string> directories = DataDirectories();
  ASSERT_GE(directories.size(), 2u);
  EXPECT_EQ(directories[0], program);
  EXPECT_TRUE(directories[1].ends_with("/share/quorvane/")) << directories[1];
  EXPECT_EQ(directories[1].find(".."), std::string::npos) << directories[1];
  EXPECT_EQ(FindDataFile("quorvane_platform_tests"), program + "quorvane_platform_tests");
  EXPECT_EQ(FindDataFile("Quorvane_xx.nls-missing"), "");

  // The window program stands for the program file that handed over to it, data and all.
  EXPECT_TRUE(WindowProgramPath().ends_with("/libexec/quorvane-gui")) << WindowProgramPath();
  TScopedEnvironment environment;
  environment.Set("QUORVANE_PROGRAM_FILE", "/opt/q/bin/quorvane");
  EXPECT_EQ(ProgramFilePath(), "/opt/q/bin/quorvane");
  EXPECT_EQ(DataDirectories()[1], "/opt/q/share/quorvane/");
}

TEST(Console, TheEnvironmentChoosesTerminalOrWindows) {
  TScopedEnvironment environment;
  environment.Set("QUORVANE_UI", "console");
  environment.Set("DISPLAY", ":0");
  EXPECT_TRUE(UseConsoleUi());
  environment.Set("QUORVANE_UI", "gui");
  environment.Set("DISPLAY", std::nullopt);
  environment.Set("WAYLAND_DISPLAY", std::nullopt);
  EXPECT_FALSE(UseConsoleUi());
  environment.Set("QUORVANE_UI", std::nullopt);
  EXPECT_TRUE(UseConsoleUi()) << "no display";
  if (StandardErrorIsTerminal()) {
    GTEST_SKIP() << "standard error is a terminal, which always chooses the console";
  }
  environment.Set("WAYLAND_DISPLAY", "wayland-0");
  EXPECT_FALSE(UseConsoleUi());
  environment.Set("WAYLAND_DISPLAY", "");
  environment.Set("DISPLAY", ":1");
  EXPECT_FALSE(UseConsoleUi());
}

TEST(Console, LocaleLanguageCodeTakesTheFirstSetVariable) {
  TScopedEnvironment environment;
  const auto code = [&environment](const char* all, const char* messages, const char* lang) {
    const auto value = [](const char* text) {
      return text == nullptr ? std::nullopt : std::optional<std::string>(text);
    };
    environment.Set("LC_ALL", value(all));
    environment.Set("LC_MESSAGES", value(messages));
    environment.Set("LANG", value(lang));
    return LocaleLanguageCode();
  };
  EXPECT_EQ(code(nullptr, nullptr, "de_AT.UTF-8"), "de");
  EXPECT_EQ(code("fr_FR", "de_DE", "en_US"), "fr");
  EXPECT_EQ(code("", "EN_us", "de_DE"), "en");
  EXPECT_EQ(code(nullptr, nullptr, "it"), "it");
  EXPECT_EQ(code(nullptr, nullptr, "sr@latin"), "sr");
  for (const char* none : {"C", "POSIX", "C.UTF-8", "fil_PH", "", "1a"}) {
    EXPECT_EQ(code(nullptr, nullptr, none), "") << none;
  }
  EXPECT_EQ(code(nullptr, nullptr, nullptr), "");
}

// Feeds `input` to a question over pipes and returns the answer and what was shown.
template <typename TAsk>
auto AskOverPipes(const std::string& input, TAsk ask)
    -> std::pair<decltype(ask(0, 0)), std::string> {
  int in[2];
  int out[2];
  EXPECT_EQ(::pipe(in), 0);
  EXPECT_EQ(::pipe(out), 0);
  EXPECT_EQ(::write(in[1], input.data(), input.size()), static_cast<ssize_t>(input.size()));
  ::close(in[1]);
  const auto answer = ask(in[0], out[1]);
  ::close(in[0]);
  ::close(out[1]);
  std::string shown;
  char buffer[256];
  for (ssize_t count; (count = ::read(out[0], buffer, sizeof buffer)) > 0;) {
    shown.append(buffer, static_cast<size_t>(count));
  }
  ::close(out[0]);
  return {answer, shown};
}

std::pair<std::optional<size_t>, std::string> Ask(const std::string& input) {
  const TTerminalQuestion question{"Stop? [j/n] ",
                                   {{"j", "Ja"},
                                    {"n",
                                     "\xc3\xbc"
                                     "ber"}}};
  return AskOverPipes(input, [&](int in, int out) { return quorvane::Ask(in, out, question); });
}

TEST(Console, AskRepeatsTheQuestionUntilAnAnswerNamesAChoice) {
  EXPECT_EQ(Ask("j\n").first, 0u);
  EXPECT_EQ(Ask("  JA \r\n").first, 0u);
  EXPECT_EQ(Ask("\xc3\x9c"
                "BER\n")
                .first,
            1u)
      << "letter case of any script";
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
    EXPECT_FALSE(TInterruptWatch::Requested());
    ::raise(SIGINT);
    EXPECT_TRUE(TInterruptWatch::Requested());
    TInterruptWatch::Reset();
    EXPECT_FALSE(TInterruptWatch::Requested());
    ::raise(SIGTERM);
    EXPECT_TRUE(TInterruptWatch::Requested());
    TInterruptWatch::Reset();
    EXPECT_THROW(TInterruptWatch(), std::logic_error);
  }
  struct sigaction current;
  ASSERT_EQ(::sigaction(SIGINT, nullptr, &current), 0);
  EXPECT_EQ(current.sa_handler, &CountingHandler);
  ::sigaction(SIGINT, &saved, nullptr);
}

}  // namespace
}  // namespace quorvane
