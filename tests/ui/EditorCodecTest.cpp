// A document loaded and saved gives back its bytes, whatever its encoding and line breaks, and
// the editor's line breaks and soft breaks never reach them.
#include <QClipboard>
#include <QGuiApplication>
#include <QTextBlock>

#include "MainWindowFixture.h"
#include "editor/TextSearch.h"
#include "support/Pattern.h"
#include "support/UnicodeText.h"
#include "ui/EditorCodec.h"

namespace quorvane::test {
namespace {

// Lines far longer than an editor block, of tags and of ampersands, with characters beyond ASCII:
// the editor shows them in blocks that no byte of the document sees.
std::string LongLines() {
  std::string line;
  while (line.size() < 20000) {
    line += "<td class=\"c\">Gr\xC3\xBC\xC3\x9Ft \xF0\x9F\x98\x80</td>";
  }
  return "<p>\r\n" + line + "\r\n" + std::string(9000, '&') + "\xC3\xA4\xC3\xA4\n";
}

const std::vector<std::pair<const char*, std::string>> kDocuments = {
    {"empty", ""},
    {"UTF-8 with LF", "<p>s\xC3\xBC\xC3\x9F \xE2\x82\xAC</p>\n<p>two</p>\n"},
    {"UTF-8 with a byte order mark", "\xEF\xBB\xBF<p>\xC3\xA4</p>\r\n"},
    {"Windows-1252 with CR LF", "<p>s\xFC\xDF \x80</p>\r\n<p>\x93quoted\x94</p>\r\n"},
    {"bytes Windows-1252 leaves undefined", "a\x81 b\x8D c\x8F d\x90 e\x9D\r\n"},
    {"mixed line breaks", "one\r\ntwo\nthree\rfour\r\n\r\n\n\rend"},
    {"no line break at the end", "<html>\r\n<body>"},
    {"a lone CR before LF pairs", "a\r\r\nb"},
    {"UTF-8 paragraph and line separators", "a\xE2\x80\xA9 b\xE2\x80\xA8 c\r\nd"},
    {"non-breaking spaces and NUL", std::string("a\xC2\xA0 b\0c\n", 8)},
    {"Windows-1252 non-breaking space", "a\xA0 b\r\n"},
    {"four-byte UTF-8", "\xF0\x9F\x98\x80 smile\n"},
    {"UTF-16 LE with a surrogate pair and CR LF",
     EncodeUnicode("<p>\xC3\xA4 \xF0\x9F\x98\x80</p>\r\n\xE2\x80\xA9x\n", TUnicodeForm::Utf16Le)},
    {"UTF-16 BE", EncodeUnicode("<p>\xE2\x82\xAC</p>\r\n", TUnicodeForm::Utf16Be)},
    {"UTF-32 LE", EncodeUnicode("a\rb\xC3\x9F", TUnicodeForm::Utf32Le)},
    {"UTF-32 BE", EncodeUnicode("\xEF\xBB\xBF\x61\n", TUnicodeForm::Utf32Be)},
    {"UTF-16 LE that begins with U+0000",
     EncodeUnicode(std::string("\0ab", 3), TUnicodeForm::Utf16Le)},
    {"UTF-16 LE of odd length", EncodeUnicode("a\r\nb", TUnicodeForm::Utf16Le) + "c"},
    {"UTF-16 BE with a lone surrogate", "\xFE\xFF\xDC\x00\x00\n"},
    {"long lines", LongLines()},
    {"long lines in UTF-16", EncodeUnicode(LongLines(), TUnicodeForm::Utf16Le)},
};

TEST_F(MainWindowTest, LoadingAndSavingGivesBackTheSameBytes) {
  for (const auto& [name, bytes] : kDocuments) {
    SCOPED_TRACE(name);
    const std::string path = dir.Write("in.htm", bytes);
    Session().LoadFile(path);
    EXPECT_FALSE(Session().Modified());
    const std::string saved = dir / "out.htm";
    EXPECT_TRUE(Session().SaveFile(saved));
    EXPECT_EQ(ReadBytes(saved), bytes);
  }
}

// Edited lines keep their line breaks; a new line goes before the line end that was there and
// takes the document's usual one, typed or pasted; an undo gives back the line ends an edit
// joined.
TEST_F(MainWindowTest, NewLinesTakeTheDocumentsLineEnd) {
  SetText("one\r\ntwo\nthree");
  Edit().SetSelection(Edit().TextLength(), 0);
  QTest::keyClick(&Edit(), Qt::Key_Return);
  Type("four");
  Edit().SetSelection(1, 0);
  Type("X");
  EXPECT_EQ(Text(), "oXne\r\ntwo\nthree\r\nfour");

  const auto key = [this](Qt::Key key) { return [this, key] { QTest::keyClick(&Edit(), key); }; };
  const struct {
    std::string Text;
    int From;
    int Length;
    std::function<void()> Change;
    std::string Changed;
  } edits[] = {
      {"a\nb", 3, 0, key(Qt::Key_Return), "a\nb\n"},
      {"ab\r\ncd\nef", 4, 0, key(Qt::Key_Return), "ab\r\nc\r\nd\nef"},
      {"ab\r\ncd\nef", 4, 0,
       [this] {
         QGuiApplication::clipboard()->setText("1\n2");
         Action("MainMenuEditPaste")->trigger();
       },
       "ab\r\nc1\r\n2d\nef"},
      {"a\r\nb\nc\rd", 1, 3, key(Qt::Key_Delete), "ac\rd"},
  };
  for (const auto& edit : edits) {
    SetText(edit.Text);
    Edit().SetSelection(edit.From, edit.Length);
    edit.Change();
    EXPECT_EQ(Text(), edit.Changed) << edit.Text;
    Action("MainMenuEditUndo")->trigger();
    EXPECT_EQ(Text(), edit.Text);
  }
}

TEST_F(MainWindowTest, CharactersWindows1252CannotHoldAreSavedAsCharacterReferences) {
  SetText("caf\xE9 ");
  Edit().SetSelection(Edit().TextLength(), 0);
  Edit().insertPlainText(QString::fromUtf8("→ 😀"));
  EXPECT_EQ(Text(), "caf\xE9 &#8594; &#128512;");
}

TEST(EditorCodec, SearchBytesHaveOnePositionPerEditorPosition) {
  const QString text = QString::fromUtf8("a\u2029b€😀");
  const std::string bytes = TEditorCodec::SearchBytes(text);
  ASSERT_EQ(bytes.size(), static_cast<size_t>(text.size()));
  EXPECT_EQ(bytes.substr(0, 4), "a\nb\x80");
  EXPECT_EQ(bytes.substr(4), std::string(2, TEditorCodec::kNoSearchByte));
}

TEST(EditorCodec, SoftBreaksStayOutOfSavingCopyingSearchingAndEditing) {
  TSourceEdit edit;
  std::string line;
  while (line.size() < 5000) {
    line += "<td>ab  cd</td>";
  }
  const std::string bytes = "<p>\r\n" + line + "\r\nend";
  edit.SetDocumentBytes(bytes, false);
  ASSERT_GT(edit.document()->blockCount(), 6);
  EXPECT_EQ(edit.DocumentBytes(), bytes);
  EXPECT_EQ(edit.SearchBytes(), "<p>\n" + line + "\nend");

  // Each match of the real text selects just that text, across a block's end too.
  const std::string found = "d</td><td>a";
  const std::optional<TPattern> pattern = TPattern::Compile(found);
  size_t matches = 0;
  for (auto match = pattern->Search(edit.SearchBytes(), 0, true); match;
       match = pattern->Search(edit.SearchBytes(), match->Position + 1, true)) {
    const auto [from, to] = edit.EditorRange(match->Position, match->Length);
    edit.SetSelection(from, to - from);
    EXPECT_EQ(edit.SelText(), QString::fromStdString(found));
    EXPECT_EQ(edit.SearchOffset(from), static_cast<int>(match->Position));
    ++matches;
  }
  EXPECT_EQ(matches, line.size() / 15 - 1);
  edit.selectAll();
  edit.copy();
  EXPECT_EQ(QGuiApplication::clipboard()->text(), QString::fromStdString("<p>\n" + line + "\nend"));

  // Delete at a block's end and Backspace at its start take a character, not the soft break.
  const QTextBlock second = edit.document()->findBlockByNumber(2);
  const size_t at = static_cast<size_t>(edit.SearchOffset(second.position())) + 1;  // "\r"
  edit.SetSelection(second.position() - 1, 0);
  QTest::keyClick(&edit, Qt::Key_Delete);
  edit.SetSelection(second.position(), 0);
  QTest::keyClick(&edit, Qt::Key_Backspace);
  std::string edited = bytes;
  edited.erase(at - 1, 2);
  EXPECT_EQ(edit.DocumentBytes(), edited);

  // A program-set text (a compression's result) is shown in blocks too; undoing it gives back
  // every byte.
  edit.SetDocumentBytes(line, true);
  EXPECT_EQ(edit.DocumentBytes(), line);
  EXPECT_GT(edit.document()->blockCount(), 3);
  edit.Undo();
  EXPECT_EQ(edit.DocumentBytes(), edited);

  // Replace All's edits, offsets of the real text, take their text across block ends too.
  edit.SetDocumentBytes(line, false);
  edit.ReplaceRanges(TTextSearch::Compile(found, true)->PlanReplaceAll(edit.SearchBytes(), 0), "|");
  std::string replaced = line;
  for (size_t at = replaced.find(found); at != std::string::npos; at = replaced.find(found, at)) {
    replaced.erase(at, found.size()).insert(at, 1, '|');
  }
  EXPECT_EQ(edit.DocumentBytes(), replaced);

  // Pasted long lines as well.
  edit.SetDocumentBytes("x", false);
  QGuiApplication::clipboard()->setText(QString::fromStdString(line + "\r\n" + line));
  edit.SetSelection(1, 0);
  edit.paste();
  EXPECT_EQ(edit.DocumentBytes(), "x" + line + "\n" + line);
  EXPECT_GT(edit.document()->blockCount(), 6);
}

}  // namespace
}  // namespace quorvane::test
