// A document loaded and saved gives back its bytes, whatever its encoding and line breaks.
#include <QClipboard>
#include <QGuiApplication>
#include <QTextCursor>

#include "MainWindowFixture.h"
#include "platform/Files.h"
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
