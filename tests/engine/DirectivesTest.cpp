#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

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
  bool stopped;
  bool modified;
};

// Expands with the engine and with the literal algorithm, which must agree.
Expanded Expand(TFakeServices& fake, std::string text, const std::string& fileName = kDoc) {
  std::string literal = text;
  bool literalModified = false;
  TFakeServices literalFake;
  literalFake.files = fake.files;
  literalFake.texts = fake.texts;
  const bool literalStopped =
      oracle::LiteralExpandDirectives(literal, fileName, literalModified, literalFake.services);
  Expanded result{text, false, false};
  result.stopped = ExpandDirectives(result.text, fileName, result.modified, fake.services);
  if (!result.stopped) {
    EXPECT_EQ(result.text, literal);
  }
  EXPECT_EQ(result.stopped, literalStopped);
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

TEST_F(Directives, ReplacesIncludesRelativeToTheDocument) {
  fake.files.files["/site/a.htm"] = "new";
  const auto r = Expand(fake, "<#quorvane include='a.htm'>old</#quorvane>\n");
  EXPECT_EQ(r.text, "new\n");
  EXPECT_TRUE(r.modified);
  EXPECT_FALSE(r.stopped);
  EXPECT_EQ(fake.files.requested.front(), "/site/a.htm");

  const auto plain = Expand(fake, "no directives <b>here</b>");
  EXPECT_FALSE(plain.modified);
  EXPECT_EQ(plain.text, "no directives <b>here</b>");
}

TEST_F(Directives, ReportsMissingAndRecursiveIncludesInTheDocument) {
  EXPECT_EQ(Expand(fake, "<#quorvane include='a.htm'>old</#quorvane>\n").text,
            "<#quorvane include='a.htm'>cannot open a.htm</#quorvane>\n");

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
}

TEST_F(Directives, UnterminatedDirectivesStopThePass) {
  EXPECT_TRUE(Expand(fake, "<#quorvane include='x'>o</#quorvane>").stopped);
  EXPECT_TRUE(Expand(fake, "<#quorvane include='x'>o and no end").stopped);
  // A nested directive that keeps its tags leaves the outer one without an end.
  EXPECT_TRUE(Expand(fake,
                     "<#quorvane include='x'> <#quorvane include='no'></#quorvane> "
                     "</#quorvane>.")
                  .stopped);
  // Nested and closed: the inner one is expanded first, then the outer.
  fake.files.files["/site/a"] = "A";
  fake.files.files["/site/b"] = "B";
  EXPECT_EQ(Expand(fake,
                   "<#quorvane include='a'><#quorvane include='b'></#quorvane>"
                   "</#quorvane>x ")
                .text,
            "Ax ");
}

TEST_F(Directives, DeepNestingEndsWithoutExhaustingTheStack) {
  std::string text;
  for (int i = 0; i < 5000; ++i) {
    text += "<#quorvane include='a'>";
  }
  text += "x";
  for (int i = 0; i < 5000; ++i) {
    text += "</#quorvane>";
  }
  text += ".";
  bool modified = false;
  EXPECT_TRUE(ExpandDirectives(text, kDoc, modified, fake.services));
}

TEST_F(Directives, ProgressHalvesItsShareAtEachDirective) {
  fake.files.files["/site/x"] = "X";
  Expand(fake, "<#quorvane include='x'></#quorvane> </#quorvane> </#quorvane> .");
  // The included file's own scan reports at its end too.
  const std::vector<int> expected{0, 50, 50, 75, 88, 100};
  EXPECT_EQ(fake.progress.subProgress, expected);

  TFakeServices cancelled;
  cancelled.progress.cancelAt = 0;
  std::string text = "<#quorvane include='x'></#quorvane> .";
  bool modified = false;
  EXPECT_TRUE(ExpandDirectives(text, kDoc, modified, cancelled.services));
}

TEST_F(Directives, IncludesThatMultiplyStopAtTheSizeLimit) {
  // Each file includes the next one twice: 2^14 copies of 64 KiB would be 1 GiB.
  const int levels = 14;
  for (int i = 0; i < levels; ++i) {
    const std::string next = "f" + std::to_string(i + 1);
    fake.files.files["/site/f" + std::to_string(i)] = "<#quorvane include='" + next +
                                                      "'></#quorvane> <#quorvane include='" + next +
                                                      "'></#quorvane> ";
  }
  fake.files.files["/site/f" + std::to_string(levels)] = std::string(64 << 10, 'x');
  std::string text = "<#quorvane include='f0'></#quorvane> ";
  bool modified = false;
  EXPECT_FALSE(ExpandDirectives(text, kDoc, modified, fake.services));
  EXPECT_LE(text.size(), kMaxExpandedSize);
  EXPECT_GT(text.size(), kMaxExpandedSize / 2);
  EXPECT_NE(text.find("would grow past 256 MiB"), std::string::npos);
}

class DirectivesOnDisk : public Directives {
 protected:
  void SetUp() override {
    Directives::SetUp();
    dir = std::filesystem::temp_directory_path() /
          ("quorvane-directives-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir / "sub");
    std::ofstream(dir / "part.htm") << "PART";
    ::mkfifo((dir / "pipe").c_str(), 0600);
  }
  void TearDown() override { std::filesystem::remove_all(dir); }

  std::string ExpandOnDisk(const std::string& name) {
    TFileSystemIncludes files;
    TEngineServices services{fake.progress, fake.texts, files};
    std::string text = "<#quorvane include='" + name + "'>old</#quorvane>.";
    bool modified = false;
    EXPECT_FALSE(ExpandDirectives(text, (dir / "index.htm").string(), modified, services));
    return text;
  }
  std::filesystem::path dir;
};

TEST_F(DirectivesOnDisk, ReadsOnlyRegularFilesAndNeverBlocks) {
  const std::string cwd = std::filesystem::current_path();
  EXPECT_EQ(ExpandOnDisk("part.htm"), "PART.");
  EXPECT_EQ(std::filesystem::current_path(), cwd);  // resolved, not changed into
  EXPECT_EQ(ExpandOnDisk("sub"), "<#quorvane include='sub'>cannot open sub</#quorvane>.");
  EXPECT_EQ(ExpandOnDisk("pipe"), "<#quorvane include='pipe'></#quorvane>.");
  EXPECT_EQ(ExpandOnDisk("/dev/zero"), "<#quorvane include='/dev/zero'></#quorvane>.");
}

}  // namespace
}  // namespace quorvane
