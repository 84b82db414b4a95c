#include "batch/TerminalQuestions.h"

#include <gtest/gtest.h>

#include "lang/Language.h"
#include "platform/ProgramFiles.h"

namespace quorvane {
namespace {

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

}  // namespace
}  // namespace quorvane
