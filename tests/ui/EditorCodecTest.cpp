// A document loaded and saved gives back its bytes, whatever its encoding and line breaks.
#include <QClipboard>
#include <QGuiApplication>
#include <QTextCursor>

#include "MainWindowFixture.h"
#include "batch/ProgressModel.h"
#include "platform/Files.h"
#include "support/UnicodeText.h"
#include "ui/EditorCodec.h"

namespace quorvane::test {
namespace {

const std::vector<std::pair<const char*, std::string>> kDocuments = {
    {"empty", ""},
    {"UTF-8 with LF",
     "<p>Gr\xC3\xBC\xC3\x9F"
     "e \xE2\x82\xAC</p>\n<p>two</p>\n"},
    {"UTF-8 with a byte order mark", "\xEF\xBB\xBF<p>\xC3\xA4</p>\r\n"},
    {"Windows-1252 with CR LF",
     "<p>Gr\xFC\xDF"
     "e \x80</p>\r\n<p>\x93quoted\x94</p>\r\n"},
    {"bytes Windows-1252 leaves undefined", "a\x81 b\x8D c\x8F d\x90 e\x9D\r\n"},
    {"mixed line breaks", "one\r\ntwo\nthree\rfour\r\n\r\n\n\rend"},
    {"no line break at the end", "<html>\r\n<body>"},
    {"only line breaks", "\r\n\n\r\r\n"},
    {"a lone CR before LF pairs", "a\r\r\nb"},
    {"UTF-8 paragraph and line separators",
     "a\xE2\x80\xA9"
     "b\xE2\x80\xA8"
     "c\r\nd"},
    {"non-breaking spaces and NUL", std::string("a\xC2\xA0"
                                                "b\0c\n",
                                                8)},
    {"Windows-1252 non-breaking space",
     "a\xA0"
     "b\r\n"},
    {"four-byte UTF-8", "\xF0\x9F\x98\x80 smile\n"},
    {"UTF-16 LE with a surrogate pair and CR LF",
     EncodeUnicode("<p>\xC3\xA4 \xF0\x9F\x98\x80</p>\r\n\xE2\x80\xA9x\n", TUnicodeForm::Utf16Le)},
    {"UTF-16 BE", EncodeUnicode("<p>\xE2\x82\xAC</p>\r\n", TUnicodeForm::Utf16Be)},
    {"UTF-32 LE", EncodeUnicode("a\rb\xC3\x9F", TUnicodeForm::Utf32Le)},
    {"UTF-32 BE", EncodeUnicode("\xEF\xBB\xBF"
                                "a\n",
                                TUnicodeForm::Utf32Be)},
    {"UTF-16 LE that begins with U+0000",
     EncodeUnicode(std::string("\0ab", 3), TUnicodeForm::Utf16Le)},
    {"UTF-16 LE of odd length", EncodeUnicode("a\r\nb", TUnicodeForm::Utf16Le) + "c"},
    {"UTF-16 BE with a lone surrogate", "\xFE\xFF\xDC\x00\x00\n"},
};

TEST_F(MainWindowTest, LoadingAndSavingGivesBackTheSameBytes) {
  for (const auto& [name, bytes] : kDocuments) {
    SCOPED_TRACE(name);
    const std::string path = dir / "in.htm";
    WriteBytes(path, bytes);
    Session().LoadFile(path);
    EXPECT_FALSE(Session().Modified());
    const std::string saved = dir / "out.htm";
    EXPECT_TRUE(Session().SaveFile(saved));
    EXPECT_EQ(ReadBytes(saved), bytes);
  }
}

TEST_F(MainWindowTest, ShowsUtf8AsUtf8AndAnythingElseAsWindows1252) {
  SetText(
      "Gr\xC3\xBC\xC3\x9F"
      "e");
  EXPECT_EQ(Edit().Encoding(), TTextEncoding::Utf8);
  EXPECT_EQ(Edit().toPlainText(), QString::fromUtf8("Grüße"));
  SetText(
      "Gr\xFC\xDF"
      "e \x80");
  EXPECT_EQ(Edit().Encoding(), TTextEncoding::Win1252);
  EXPECT_EQ(Edit().toPlainText(), QString::fromUtf8("Grüße €"));
  // A byte order mark of UTF-16 or UTF-32 counts only when the whole page decodes that way.
  SetText(EncodeUnicode("\xC3\xBC", TUnicodeForm::Utf32Le));
  EXPECT_EQ(Edit().Encoding(), TTextEncoding::Utf32Le);
  EXPECT_EQ(Edit().toPlainText(), QString::fromUtf8("ü"));
  SetText(std::string("\xFF\xFE\0\0a\0b\0", 8));
  EXPECT_EQ(Edit().Encoding(), TTextEncoding::Utf16Le);
  EXPECT_EQ(Edit().toPlainText(), QString::fromUtf8("\0ab", 3));
  SetText(
      "\xFF\xFE"
      "a");
  EXPECT_EQ(Edit().Encoding(), TTextEncoding::Win1252);
  EXPECT_EQ(Edit().toPlainText(), QString::fromUtf8("ÿþa"));
}

TEST_F(MainWindowTest, Utf16DocumentsAreShownAsTextAndCompressedInTheirEncoding) {
  form->SetProgressWaiter([] { ProgressForm().CloseRequested(); });
  const std::string path = dir / "page.htm";
  WriteBytes(path, EncodeUnicode("<p>  Gr\xC3\xBC\xC3\x9F"
                                 "e  \xF0\x9F\x98\x80 </p>\r\n",
                                 TUnicodeForm::Utf16Be));
  Session().LoadFile(path);
  EXPECT_EQ(Edit().Encoding(), TTextEncoding::Utf16Be);
  EXPECT_EQ(Edit().toPlainText(), QString::fromUtf8("<p>  Grüße  😀 </p>\n"));
  Action("MainmenuFileCompress")->trigger();
  EXPECT_EQ(Edit().toPlainText(), QString::fromUtf8("<p>Grüße 😀</p>"));
  EXPECT_TRUE(Session().SaveFile(path));
  EXPECT_EQ(ReadBytes(path), EncodeUnicode("<p>Gr\xC3\xBC\xC3\x9F"
                                           "e \xF0\x9F\x98\x80</p>",
                                           TUnicodeForm::Utf16Be));
}

TEST_F(MainWindowTest, EditedLinesKeepTheirLineBreaksAndNewLinesTakeTheDocumentsOwn) {
  SetText("one\r\ntwo\nthree");
  Edit().SetSelection(Edit().TextLength(), 0);
  QTest::keyClick(&Edit(), Qt::Key_Return);
  Type("four");
  Edit().SetSelection(1, 0);
  Type("X");
  EXPECT_EQ(Text(), "oXne\r\ntwo\nthree\r\nfour");

  SetText("a\nb");
  Edit().SetSelection(3, 0);
  QTest::keyClick(&Edit(), Qt::Key_Return);
  EXPECT_EQ(Text(), "a\nb\n");
}

TEST_F(MainWindowTest, CharactersWindows1252CannotHoldAreSavedAsCharacterReferences) {
  SetText("caf\xE9 ");
  Edit().SetSelection(Edit().TextLength(), 0);
  Edit().insertPlainText(QString::fromUtf8("→ 😀"));
  EXPECT_EQ(Text(), "caf\xE9 &#8594; &#128512;");
}

TEST_F(MainWindowTest, ANewLineGoesBeforeTheLineEndThatWasThere) {
  SetText("ab\r\ncd\nef");
  Edit().SetSelection(4, 0);  // between c and d
  QTest::keyClick(&Edit(), Qt::Key_Return);
  EXPECT_EQ(Text(), "ab\r\nc\r\nd\nef");

  // Pasted lines likewise, with the document's usual line end.
  SetText("ab\r\ncd\nef");
  Edit().SetSelection(4, 0);
  QGuiApplication::clipboard()->setText("1\n2");
  Action("MainMenuEditPaste")->trigger();
  EXPECT_EQ(Text(), "ab\r\nc1\r\n2d\nef");
  Action("MainMenuEditUndo")->trigger();
  EXPECT_EQ(Text(), "ab\r\ncd\nef");
}

TEST(EditorCodec, SearchBytesHaveOnePositionPerEditorPosition) {
  const QString text = QString::fromUtf8("a\u2029b€😀");
  const std::string bytes = TEditorCodec::SearchBytes(text);
  ASSERT_EQ(bytes.size(), static_cast<size_t>(text.size()));
  EXPECT_EQ(bytes.substr(0, 4), "a\nb\x80");
  EXPECT_EQ(bytes.substr(4), std::string(2, TEditorCodec::kNoSearchByte));
}

}  // namespace
}  // namespace quorvane::test
