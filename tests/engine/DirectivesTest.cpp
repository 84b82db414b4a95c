#include <gtest/gtest.h>

#include "Fakes.h"
#include "LiteralEngine.h"
#include "engine/Directives.h"
#include "support/TextIds.h"

namespace quorvane {
namespace {

using testing::TFakeServices;

constexpr char kDoc[] = "/site/index.htm";

struct Expanded {
  std::string text;
  bool modified;
  TStopReason stop;
};

// Expands with the engine and with the literal algorithm, which must agree.
Expanded Expand(TFakeServices& fake, std::string text, const std::string& fileName = kDoc) {
  std::string literal = text;
  bool literalModified = false;
  TFakeServices literalFake;
  literalFake.files = fake.files;
  literalFake.texts = fake.texts;
  const TStopReason literalStop =
      oracle::LiteralExpandDirectives(literal, fileName, literalModified, literalFake.services);
  Expanded result{text, false, TStopReason::None};
  result.stop = ExpandDirectives(result.text, fileName, result.modified, fake.services);
  EXPECT_EQ(result.text, result.stop != TStopReason::None ? text : literal);
  EXPECT_EQ(result.stop, literalStop);
  return result;
}

class Directives : public ::testing::Test {
 protected:
  void SetUp() override {
    fake.texts.table[textid::kFileCannotBeOpened] = "cannot open %s";
    fake.texts.table[textid::kRecursiveInclude] = "recursive";
  }
  TFakeServices fake;
};

TEST_F(Directives, ReplacesIncludesRelativeToTheDocumentAndReportsMissingAndRecursiveOnes) {
  fake.files.files["/site/a.htm"] = "new";
  const auto r = Expand(fake, "<#quorvane include='a.htm'>old</#quorvane>\n");
  EXPECT_EQ(r.text, "new\n");
  EXPECT_TRUE(r.modified);
  EXPECT_EQ(r.stop, TStopReason::None);
  EXPECT_EQ(fake.files.requested.front(), "/site/a.htm");
  fake.files.files["/other/b.htm"] = "B";
  EXPECT_EQ(Expand(fake, "<#quorvane include='/other/b.htm'></#quorvane>.").text, "B.");

  // Missing and recursive includes are reported in the document.
  EXPECT_EQ(Expand(fake, "<#quorvane include='b.htm'>old</#quorvane>\n").text,
            "<#quorvane include='b.htm'>cannot open b.htm</#quorvane>\n");

  // The document includes itself under a relative name: one copy, and inside it the message.
  fake.files.files["/site/index.htm"] = "[<#quorvane include=\"index.htm\"></#quorvane> ]";
  EXPECT_EQ(Expand(fake, fake.files.files["/site/index.htm"]).text,
            "[[<#quorvane include=\"index.htm\">recursive</#quorvane> ] ]");

  fake.files.files["/site/a.htm"] = "A<#quorvane include='b.htm'></#quorvane> ";
  fake.files.files["/site/b.htm"] = "B<#quorvane include='A.HTM'></#quorvane> ";
  EXPECT_EQ(Expand(fake, "<#quorvane include='a.htm'></#quorvane>.").text,
            "AB<#quorvane include='A.HTM'>recursive</#quorvane>  .");
}

TEST_F(Directives, OddTagsAndAttributes) {
  fake.files.files["/site/x"] = "X";
  // Without quotes the first character of the value is the quote.
  EXPECT_EQ(Expand(fake, "<#quorvane include=axa>o</#quorvane>.").text, "X.");
  const std::string notDirectives =
      "<#Quorvane include='x'>o</#quorvane>. <#quorvane>o</#quorvane>. ";
  EXPECT_EQ(Expand(fake, notDirectives).text, notDirectives);
  // A stray closing tag stays; a "<#" that is no directive hides everything after it.
  EXPECT_EQ(Expand(fake, "</#quorvane> <#quorvane include='x'></#quorvane>.").text,
            "</#quorvane> X.");
  const std::string hidden = "<#x> <#quorvane include='x'></#quorvane>.";
  EXPECT_EQ(Expand(fake, hidden).text, hidden);
  // A directive without attributes stays and is skipped like a malformed tag.
  EXPECT_EQ(Expand(fake, "<#quorvane >a</#quorvane> <#quorvane include='x'></#quorvane>.").text,
            "<#quorvane >a</#quorvane> X.");
  // Include with another attribute: the other is reported, the include not carried out.
  fake.files.requested.clear();
  EXPECT_EQ(Expand(fake, "<#quorvane include='x' name=\"n\">c</#quorvane>.").text,
            "<#quorvane include='x' name=\"n\">error: unknown attribute: \"name\"</#quorvane>.");
  EXPECT_TRUE(fake.files.requested.empty());

  // Only a text without "<#" and "</#" is known to hold none.
  EXPECT_TRUE(MayHoldDirectives(notDirectives));
  EXPECT_TRUE(MayHoldDirectives("# </#quorvane>"));
  EXPECT_FALSE(MayHoldDirectives("#<a href='#x'># /# <b>#"));
}

TEST_F(Directives, UnterminatedTooDeepTooLargeOrCancelledExpansionsStopThePass) {
  EXPECT_EQ(Expand(fake, "<#quorvane include='x'>o</#quorvane>").stop, TStopReason::Unterminated);
  EXPECT_EQ(Expand(fake, "<#quorvane include='x'>o and no end").stop, TStopReason::Unterminated);
  // A nested directive that keeps its tags leaves the outer one without an end.
  EXPECT_EQ(
      Expand(fake, "<#quorvane include='x'> <#quorvane include='no'></#quorvane> </#quorvane>.")
          .stop,
      TStopReason::Unterminated);
  // Nested and closed: the inner one is expanded first, then the outer.
  fake.files.files["/site/a"] = "A";
  fake.files.files["/site/b"] = "B";
  EXPECT_EQ(Expand(fake,
                   "<#quorvane include='a'><#quorvane include='b'></#quorvane>"
                   "</#quorvane>x ")
                .text,
            "Ax ");

  // Nesting past the limit.
  std::string deep;
  for (int i = 0; i < 5000; ++i) {
    deep += "<#quorvane include='a'>";
  }
  deep += "x";
  for (int i = 0; i < 5000; ++i) {
    deep += "</#quorvane>";
  }
  EXPECT_EQ(Expand(fake, deep + ".").stop, TStopReason::TooDeep);

  // A chain of includes: 100 deep is allowed, 101 stops.
  for (int i = 0; i < 101; ++i) {
    fake.files.files["/site/d" + std::to_string(i)] =
        "<#quorvane include='d" + std::to_string(i + 1) + "'></#quorvane> ";
  }
  fake.files.files["/site/d100"] = "end";
  EXPECT_EQ(Expand(fake, "<#quorvane include='d1'></#quorvane> ").text,
            "end" + std::string(100, ' '));
  EXPECT_EQ(Expand(fake, "<#quorvane include='d0'></#quorvane> ").stop, TStopReason::TooDeep);

  // Each file includes the next one twice: 2^14 copies of 64 KiB would be 1 GiB. Each file is
  // read once, however often it is included.
  fake.files.requested.clear();
  for (int i = 0; i < 14; ++i) {
    const std::string directive =
        "<#quorvane include='f" + std::to_string(i + 1) + "'></#quorvane> ";
    fake.files.files["/site/f" + std::to_string(i)] = directive + directive;
  }
  fake.files.files["/site/f14"] = std::string(64 << 10, 'x');
  std::string expanded = "<#quorvane include='f0'></#quorvane> ";
  bool modified = false;
  EXPECT_EQ(ExpandDirectives(expanded, kDoc, modified, fake.services), TStopReason::TooLarge);
  EXPECT_EQ(expanded, "<#quorvane include='f0'></#quorvane> ");
  EXPECT_EQ(fake.files.requested.size(), 15u);

  // A cancel leaves the text as it was.
  fake.progress.cancelAt = 0;
  std::string cancelled = "<#quorvane include='x'></#quorvane> .";
  EXPECT_EQ(ExpandDirectives(cancelled, kDoc, modified, fake.services), TStopReason::Cancelled);
  EXPECT_EQ(cancelled, "<#quorvane include='x'></#quorvane> .");
}

// The texts are Windows-1252; the names come as the document writes them.
TEST_F(Directives, MessagesAreWrittenInTheDocumentsEncoding) {
  fake.texts.table[textid::kFileCannotBeOpened] = "%s fehlt \xFC";
  fake.texts.table[textid::kRecursiveInclude] = "rekursiv \xFC";
  const auto include = [](const std::string& name, const std::string& content = "") {
    return "<#quorvane include='" + name + "'>" + content + "</#quorvane>";
  };
  const std::string over = "\xC3\x9C.htm";  // "Ü.htm" in UTF-8
  // A UTF-8 document: the texts become UTF-8, the name stays as written.
  EXPECT_EQ(Expand(fake, "\xC3\xA4 " + include(over) + " ").text,
            "\xC3\xA4 " + include(over, over + " fehlt \xC3\xBC") + " ");
  fake.files.files["/site/self.htm"] = include("self.htm") + ".";
  EXPECT_EQ(Expand(fake, include("self.htm") + " ").text,
            include("self.htm", "rekursiv \xC3\xBC") + ". ");
  // A Windows-1252 document keeps the texts; the name is shown in Windows-1252 where it can.
  EXPECT_EQ(Expand(fake, "\xE4 " + include(over) + " ").text,
            "\xE4 " + include(over, "\xDC.htm fehlt \xFC") + " ");
  const std::string arrow = "\xE2\x86\x92.htm";
  EXPECT_EQ(Expand(fake, "\xE4 " + include(arrow) + " ").text,
            "\xE4 " + include(arrow, arrow + " fehlt \xFC") + " ");
  // A name holding a NUL byte names no file: nothing is opened.
  fake.files.files["/site/a.htm"] = "A";
  fake.files.requested.clear();
  const std::string name("a.htm\0x", 7);
  EXPECT_EQ(Expand(fake, "\xE4" + include(name) + " ").text,
            "\xE4" + include(name, name + " fehlt \xFC") + " ");
  EXPECT_TRUE(fake.files.requested.empty());
}

}  // namespace
}  // namespace quorvane
