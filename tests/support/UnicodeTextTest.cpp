#include <gtest/gtest.h>

#include <sstream>

#include "support/UnicodeText.h"

namespace quorvane {
namespace {

// Bytes written as hexadecimal pairs: "FF FE 61 00".
std::string Hex(const std::string& pairs) {
  std::istringstream in(pairs);
  std::string bytes;
  unsigned byte = 0;
  while (in >> std::hex >> byte) {
    bytes += static_cast<char>(byte);
  }
  return bytes;
}

// "a", a euro sign and an emoji, which UTF-16 writes as a surrogate pair.
const std::string kText = "a\u20AC\U0001F600";

TEST(UnicodeText, EveryFormRoundTripsWithItsMark) {
  const std::pair<TUnicodeForm, std::string> forms[] = {
      {TUnicodeForm::Utf16Le, "FF FE  61 00  AC 20  3D D8 00 DE"},
      {TUnicodeForm::Utf16Be, "FE FF  00 61  20 AC  D8 3D DE 00"},
      {TUnicodeForm::Utf32Le, "FF FE 00 00  61 00 00 00  AC 20 00 00  00 F6 01 00"},
      {TUnicodeForm::Utf32Be, "00 00 FE FF  00 00 00 61  00 00 20 AC  00 01 F6 00"},
  };
  for (const auto& [form, hex] : forms) {
    SCOPED_TRACE(hex);
    const std::string bytes = Hex(hex);
    EXPECT_EQ(EncodeUnicode(kText, form), bytes);
    EXPECT_EQ(MarkedUnicodeForm(bytes), form);
    EXPECT_EQ(DecodeUnicode(bytes, form), kText);
    // The mark alone is an empty page.
    const std::string mark = bytes.substr(0, CodeUnitSize(form));
    EXPECT_EQ(MarkedUnicodeForm(mark), form);
    EXPECT_EQ(DecodeUnicode(mark, form), "");
  }
}

TEST(UnicodeText, PagesThatDoNotDecodeCleanlyGiveNothing) {
  const std::pair<TUnicodeForm, const char*> malformed[] = {
      {TUnicodeForm::Utf16Le, "FF FE  61 00  62"},             // odd length
      {TUnicodeForm::Utf16Le, "FF FE  61 00  3D D8"},          // high surrogate at the end
      {TUnicodeForm::Utf16Le, "FF FE  3D D8  61 00"},          // high surrogate, no low one
      {TUnicodeForm::Utf16Be, "FE FF  DE 00  00 61"},          // low surrogate alone
      {TUnicodeForm::Utf32Be, "00 00 FE FF  00 11 00 00"},     // past U+10FFFF
      {TUnicodeForm::Utf32Be, "00 00 FE FF  00 00 D8 00"},     // a surrogate
      {TUnicodeForm::Utf32Be, "00 00 FE FF  00 00 00 61 00"},  // no whole code unit
      {TUnicodeForm::Utf16Be, "FF FE  61 00"},                 // another form's mark
  };
  for (const auto& [form, hex] : malformed) {
    EXPECT_EQ(DecodeUnicode(Hex(hex), form), std::nullopt) << hex;
  }
}

TEST(UnicodeText, TheFourByteLittleEndianMarkIsUtf32OnlyWhenThePageDecodesSo) {
  EXPECT_EQ(MarkedUnicodeForm(Hex("FF FE 00 00  61 00 00 00")), TUnicodeForm::Utf32Le);
  // As UTF-32 "61 00 62 00" would be the code point 0x620061; as UTF-16 the page holds U+0000,
  // "a" and "b".
  const std::string utf16 = Hex("FF FE  00 00  61 00  62 00");
  EXPECT_EQ(MarkedUnicodeForm(utf16), TUnicodeForm::Utf16Le);
  EXPECT_EQ(DecodeUnicode(utf16, TUnicodeForm::Utf16Le), std::string("\0ab", 3));
  EXPECT_EQ(MarkedUnicodeForm(Hex("FF FE  00 00  61 00")), TUnicodeForm::Utf16Le);
  // Only the four marks name a form.
  for (const char* hex : {"", "3C 68 74", "EF BB BF 3C", "FF", "FE", "00 00 FE", "FF FF 00 00"}) {
    EXPECT_EQ(MarkedUnicodeForm(Hex(hex)), TUnicodeForm::None) << hex;
  }
}

TEST(UnicodeText, BytesOutsideUtf8SequencesAreEncodedAsWindows1252) {
  // E4 cut short, then 80 alone, then a well-formed "ä".
  EXPECT_EQ(EncodeUnicode(Hex("E4 80 C3 A4"), TUnicodeForm::Utf16Be),
            Hex("FE FF  00 E4  20 AC  00 E4"));
  EXPECT_EQ(EncodeUnicode("a\xE4", TUnicodeForm::None), "a\xE4");
}

}  // namespace
}  // namespace quorvane
