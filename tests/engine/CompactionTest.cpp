#include <gtest/gtest.h>

#include "Fakes.h"
#include "LiteralEngine.h"
#include "engine/Compaction.h"

namespace quorvane {
namespace {

using testing::TFakeServices;

TTagsCommaList List(const char* text) {
  if (text == nullptr) {
    return TTagsCommaList::Default();
  }
  TTagsCommaList list;
  list.SetCommaText(text);
  return list;
}

// Each case compacted with the engine and with the literal algorithm; both must give the
// expected text.
TEST(Compaction, EngineAndLiteralAlgorithmGiveTheExpectedText) {
  struct TCase {
    const char* input;
    const char* expected;
    const char* tags = nullptr;  // the default list
  };
  const TCase cases[] = {
      // A run of white space becomes its first character, or a line feed when only a later one
      // breaks the line.
      {"a\f\v\r b", "a\nb"},
      {"a\r\n b", "a\rb"},
      {"<a  title='a  b'>", "<a title='a b'>"},
      // Around listed and closing tags.
      {"<!DOCTYPE html>\n<html>", "<!DOCTYPE html><html>"},
      {"x <PARAM name=a> y", "x<PARAM name=a>y"},  // "P" also finds longer names
      {"<b> x </b> <i> y</i>", "<b> x</b> <i> y</i>", ""},
      // Limits count occurrences per segment; a pattern resumes after the ">" of its match.
      {"<body>a <BODY>", "<body>a <BODY>"},
      {"x <body> a <BODY> b", "x<body>a <BODY> b"},
      {"a <X> b <X> c <X> d", "a<X>b<X>c <X> d", "X,2"},
      {"<X <X> a <X> b", "<X<X>a <X>b", "X,2"},
      // Names that are patterns themselves, hold blanks or a ">", or make no valid pattern.
      {"a <T*> b <Tx> c", "a<T*>b <Tx>c", "T*,0"},
      {"a <H[1-3]> b <H2> c", "a<H[1-3]> b <H2>c", "H[1-3],0"},
      {"x <a b> y <a  b> z", "x<a b>y<a b>z", "\"a b\",0"},
      {"x <a> > y", "x<a> >y", "\"a>\",0"},
      {"a <x[> b", "a<x[> b", "x[,0"},
  };
  for (const TCase& c : cases) {
    const TTagsCommaList tags = List(c.tags);
    TFakeServices fake;
    std::string fast = c.input;
    bool fastChanged = false;
    EXPECT_FALSE(CompactSegment(fast, fastChanged, tags, fake.services));
    std::string literal = c.input;
    bool literalChanged = false;
    oracle::LiteralCompactSegment(literal, literalChanged, tags);
    EXPECT_EQ(fast, c.expected) << "engine, input: " << c.input;
    EXPECT_EQ(literal, c.expected) << "literal, input: " << c.input;
    EXPECT_EQ(fastChanged, fast != c.input) << c.input;
  }
}

}  // namespace
}  // namespace quorvane
