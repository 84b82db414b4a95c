#include <gtest/gtest.h>

#include <sys/mman.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <random>

#include "Fakes.h"
#include "LiteralEngine.h"
#include "engine/CompressionPass.h"
#include "engine/LineBreaks.h"
#include "support/TextIds.h"

namespace quorvane {
namespace {

using testing::TFakeServices;

// Random documents made of the pieces that matter to the pass, in every combination.
class TDocumentGenerator {
 public:
  explicit TDocumentGenerator(uint32_t seed) : random_(seed) {}

  // Without `directives` no piece holds an include directive, which would most likely stop
  // a long document.
  std::string Document(int pieces, bool directives = true) {
    std::string doc;
    while (pieces > 0) {
      const std::string piece = Piece();
      if (directives || piece.find('#') == std::string::npos) {
        doc += piece;
        --pieces;
      }
    }
    return doc;
  }

  TTagsCommaList TagList() {
    switch (Pick(4)) {
      case 0:
        return TTagsCommaList::Default();
      case 1: {
        TTagsCommaList list = TTagsCommaList::Default();
        list.Add("b", Pick(3));
        list.Add("SPAN", 1);
        return list;
      }
      default: {
        static const std::vector<std::string> names = {
            "P",    "PA",     "TD",     "B",   "!",  "",           "/x",
            "A*",   "H[1-3]", "T?",     "a b", "x<", "y>",         "\\t",
            "\xE9", "\xC9T",  "SCRIPT", "LI",  "I",  "BLOCKQUOTE", "NOSCRIPTSANDMORETEXT"};
        TTagsCommaList list;
        const int count = 1 + Pick(5);
        for (int i = 0; i < count; ++i) {
          list.Add(names[Pick(names.size())], Pick(4));
        }
        return list;
      }
    }
  }

 private:
  size_t Pick(size_t n) { return std::uniform_int_distribution<size_t>(0, n - 1)(random_); }

  std::string Case(std::string text) {
    for (char& c : text) {
      if (Pick(2) == 0 && c >= 'A' && c <= 'Z') {
        c = static_cast<char>(c + 32);
      }
    }
    return text;
  }

  std::string Space() {
    static const char kSpaces[] = " \r\n\t\f\v";
    std::string s;
    const size_t n = 1 + Pick(4);
    for (size_t i = 0; i < n; ++i) {
      s += kSpaces[Pick(6)];
    }
    return s;
  }

  std::string Piece() {
    static const std::vector<std::string> tags = {
        "P",      "PARAM", "TD", "TR", "TABLE", "BODY",  "HTML",  "HEAD", "TITLE", "BR",
        "LI",     "UL",    "B",  "I",  "SPAN",  "A",     "IMG",   "DIV",  "H1",    "H2",
        "SCRIPT", "X",     "T1", "TH", "THEAD", "\xE9T", "\xC9T", "A*",   "H2"};
    static const std::vector<std::string> words = {
        "text",       "a",     "x=1;",  "b",      "\xE9t\xE9",
        "if (a < b)", "c > d", "&amp;", "'q  q'", "\xC3\xA9t\xC3\xA9"};
    switch (Pick(18)) {
      case 0:
      case 1:
      case 2:
        return Space();
      case 3:
      case 4:
        return words[Pick(words.size())];
      case 5:
      case 6: {
        std::string tag = "<" + Case(tags[Pick(tags.size())]);
        if (Pick(3) == 0) {
          tag += Space() + "class=\"a" + Space() + "b\"";
        }
        return tag + (Pick(4) == 0 ? " />" : Pick(6) == 0 ? "" : ">");
      }
      case 7:
      case 8:
        return "</" + Case(tags[Pick(tags.size())]) + (Pick(8) == 0 ? "" : ">");
      case 9: {
        static const std::vector<std::string> pre = {
            "<PRE>",    "</PRE>",       "<pre>",       "</pre>",     "<pre class=x>",
            "<script ", "</script >",   "</SCRIPT\t>", "<TextArea>", "</textarea>",
            "<style/>", "</Style\n\f>", "<prefix>",    "<scripts>",  "<pre\v>",
            "</pre\v>", "<pre"};
        return pre[Pick(pre.size())];
      }
      case 10: {
        // "DEL--" before a " />" closes a block once the ending is shortened.
        static const std::vector<std::string> marks = {
            "<!--DEL", "DEL-->", "<!--del", "<!--", "-->", "DEL--", "<!DOCTYPE html>"};
        return marks[Pick(marks.size())];
      }
      case 11: {
        // "\303\234ber.htm" is "Über.htm" in UTF-8.
        static const std::vector<std::string> names = {
            "part.htm",  "nested.htm", "missing.htm",     "self.htm",
            "index.htm", "wrap.htm",   "\303\234ber.htm", std::string("part.htm\0x", 10)};
        std::string d = "<#quorvane include='" + names[Pick(names.size())] + "'" +
                        (Pick(12) == 0 ? " x=''" : "") + ">";
        if (Pick(3) > 0) {
          d += words[Pick(words.size())] + "</#quorvane>";
        }
        return d + " ";
      }
      case 12:
        return Pick(2) == 0 ? "</#quorvane>" : "<#quorvane >";
      case 13:
        return Pick(2) == 0 ? "<" : ">";
      case 14:
        return " />";
      case 17: {
        // Tag heads of more than eight bytes that differ after the eighth, of more than sixteen,
        // and one that a control character ends.
        static const std::vector<std::string> heads = {"blockquote", "blockquotex",
                                                       "NoScriptsAndMoreText", "b\x01"};
        return (Pick(2) == 0 ? "<" : "</") + heads[Pick(heads.size())] +
               (Pick(3) == 0 ? " x>" : ">");
      }
      case 16:
        return "<#quorvane include='part.htm'><#quorvane include='" +
               std::string(Pick(4) > 0 ? "part.htm" : "self.htm") + "'></#quorvane></#quorvane> ";
      default:
        return "\r\n";
    }
  }

  std::mt19937 random_;
};

void Includes(TFakeServices& fake) {
  fake.files.files["/site/part.htm"] = "<P>  part\r\n  </P> <br />";
  fake.files.files["/site/nested.htm"] = "<#quorvane include='part.htm'>x</#quorvane> <TD> n";
  fake.files.files["/site/self.htm"] = "<#quorvane include='self.htm'></#quorvane> s";
  // Its directive holds another one, which the rules expand first.
  fake.files.files["/site/wrap.htm"] =
      "<#quorvane include='part.htm'><#quorvane include='nested.htm'></#quorvane></#quorvane>"
      "<pre> w </pre>";
  fake.files.files["/site/\303\234ber.htm"] = "<script> \xC3\xBC </script>";
  fake.texts.table[textid::kRecursiveInclude] = "rekursives Einf\374gen";
  fake.texts.table[textid::kFileCannotBeOpened] = "%s fehlt";
}

struct TOutcome {
  std::string text;
  TCompressionStats stats;
  TStopReason stop;
};

// The document compressed by the engine, or by the literal algorithm, with the include files
// above.
TOutcome Compress(bool literal, const std::string& doc, const TTagsCommaList& tags,
                  TProtection protection) {
  TFakeServices fake;
  Includes(fake);
  TOutcome r{doc, {}, TStopReason::None};
  r.stop = literal
               ? oracle::LiteralCompressText(r.text, "/site/index.htm", tags, protection, r.stats,
                                             fake.services)
               : CompressText(r.text, "/site/index.htm", tags, protection, r.stats, fake.services);
  return r;
}

TEST(Differential, EngineMatchesTheLiteralAlgorithm) {
  // QUORVANE_DIFFERENTIAL_SEEDS asks for a longer run than the suite's.
  const char* seedsWanted = std::getenv("QUORVANE_DIFFERENTIAL_SEEDS");
  const uint32_t seeds = seedsWanted ? static_cast<uint32_t>(std::atol(seedsWanted)) : 4000;
  int compared = 0;
  for (uint32_t seed = 1; seed <= seeds; ++seed) {
    TDocumentGenerator generator(seed);
    const TTagsCommaList tags = generator.TagList();
    // Every eighth document runs over several kilobytes: the compaction classifies its blocks
    // a kilobyte at a time.
    const bool longer = seed % 8 == 0;
    const std::string doc =
        generator.Document(static_cast<int>(longer ? 300 + seed % 700 : 5 + seed % 120), !longer);
    const TProtection protection = seed % 2 == 0 ? TProtection::Elements : TProtection::StrictPre;
    const TOutcome fast = Compress(false, doc, tags, protection);
    const TOutcome literal = Compress(true, doc, tags, protection);
    ASSERT_EQ(fast.stop, literal.stop) << "seed " << seed;
    if (fast.stop != TStopReason::None) {
      ASSERT_EQ(fast.text, doc) << "seed " << seed;
      continue;
    }
    ++compared;
    ASSERT_EQ(fast.text, literal.text)
        << "seed " << seed << "\ntags " << tags.CommaText() << "\ndocument\n"
        << doc;
    ASSERT_EQ(fast.stats.Modified, literal.stats.Modified) << "seed " << seed;
    ASSERT_EQ(fast.stats.Percent, literal.stats.Percent) << "seed " << seed;
    ASSERT_EQ(fast.stats.Saved, literal.stats.Saved) << "seed " << seed;
  }
  EXPECT_GT(compared, static_cast<int>(seeds / 4));
}

// The pieces that the scans find, each to be placed at every offset of a block.
const std::vector<std::string>& BoundaryPieces() {
  static const std::vector<std::string> pieces = {
      // white space and line breaks
      "  ", " \r\n\t ", "\r", "\r\n",
      // tag endings and marked blocks
      " />", "<br />", "<!--DEL", "DEL-->", "<!--DEL x DEL-->", "<!--DEL x DEL-- />",
      // listed and closing tags
      "<p> a </p>", "</td> ", " <TD>", "\f<!DOCTYPE html>\v",
      // protected elements
      "<PRE>", "</pre>", "<pre> a  b </PRE> ", "<script >  x  </SCRIPT\n>", "<style>", "</Style>",
      "<textarea\t>"};
  return pieces;
}

// Every piece at every offset of two 64-byte blocks (so of four 16-byte ones), ending the text
// or followed by a few more bytes.
template <typename Check>
void ForEachPlacement(Check check) {
  for (const std::string& piece : BoundaryPieces()) {
    for (size_t offset = 0; offset <= 2 * 64 + 1; ++offset) {
      for (const size_t tail : {0, 1, 5}) {
        check(std::string(offset, 'x') + piece + std::string(tail, 'y'));
      }
    }
  }
}

TEST(Differential, EventsOnBlockBoundariesAndAtTheEnd) {
  const TTagsCommaList tags = TTagsCommaList::Default();
  ForEachPlacement([&](const std::string& doc) {
    for (const TProtection protection : {TProtection::Elements, TProtection::StrictPre}) {
      const TOutcome fast = Compress(false, doc, tags, protection);
      ASSERT_EQ(fast.stop, TStopReason::None);
      const TOutcome literal = Compress(true, doc, tags, protection);
      ASSERT_EQ(fast.text, literal.text) << doc;
      ASSERT_EQ(fast.stats.Modified, literal.stats.Modified) << doc;
    }
  });
}

// Texts that end where readable memory ends: a scan that read one byte too far would crash.
class TGuardedText {
 public:
  TGuardedText() : page_(static_cast<size_t>(sysconf(_SC_PAGESIZE))) {
    void* memory =
        mmap(nullptr, 2 * page_, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    base_ = static_cast<char*>(memory);
    mprotect(base_ + page_, page_, PROT_NONE);
  }
  ~TGuardedText() { munmap(base_, 2 * page_); }
  // The text, copied so that its last byte is the last readable one.
  char* Place(const std::string& text) {
    char* const at = base_ + page_ - text.size();
    std::memcpy(at, text.data(), text.size());
    return at;
  }

 private:
  size_t page_;
  char* base_;
};

TEST(Differential, ScansStopAtTheLastByteOfTheirBuffer) {
  const TPreparedTags tags(TTagsCommaList::Default());
  TGuardedText guarded;
  ForEachPlacement([&](const std::string& doc) {
    for (const bool lineBreaks : {false, true}) {
      TFakeServices fake;
      TSegmentCompactor compactor(tags, fake.services, lineBreaks);
      std::string expected = doc;
      bool changed = false;
      compactor.Compact(expected, changed);
      char* const text = guarded.Place(doc);
      size_t outEnd = 0;
      compactor.Compact(text, 0, doc.size(), 0, outEnd, changed);
      ASSERT_EQ(std::string(text, outEnd), expected) << doc;
    }
    bool found = false;
    std::string expected = doc;
    NormalizeLineBreaks(expected);
    char* text = guarded.Place(doc);
    ASSERT_EQ(std::string(text, MoveNormalizingLineBreaks(text, 0, 0, doc.size(), found)),
              expected);
    for (const TProtection protection : {TProtection::Elements, TProtection::StrictPre}) {
      text = guarded.Place(doc);
      const auto bounds = FindProtectedSegments(std::string_view(text, doc.size()), protection);
      ASSERT_EQ(bounds.size(), FindProtectedSegments(doc, protection).size()) << doc;
    }
  });
}

}  // namespace
}  // namespace quorvane
