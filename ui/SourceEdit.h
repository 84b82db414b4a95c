#pragma once

#include <QPlainTextEdit>
#include <string>
#include <string_view>

#include "editor/TextSearch.h"
#include "ui/EditorCodec.h"

class QTextBlock;
class QTextCursor;

namespace quorvane {

class TSourceHighlighter;

// The main window's plain-text editor.
//
// Positions are the editor's own: one per UTF-16 unit of the text, and one per line break
// whatever bytes the file uses for it (a CR LF pair is one position). Selections, the caret's
// line and column, the text length and the search all count that way; the document's bytes
// keep each line break as it was read (see EditorCodec.h).
//
// A line longer than a kilobyte is shown in blocks split after a tag (see EditorCodec.h):
// the soft breaks between them count as editor positions, but the document's bytes, the
// search, copying, and the caret's line and column never see them.
//
// Undo follows the program's Undo/Redo alternation: after an undo the window offers Redo in
// the same place, and any other change brings Undo back. Ctrl+Z and the redo keys (Ctrl+Y,
// Ctrl+Shift+Z and the platform's own) go through the same commands, so the menu always tells
// what they will do.
class TSourceEdit : public QPlainTextEdit {
  Q_OBJECT

 public:
  explicit TSourceEdit(QWidget* parent = nullptr);

  // The document as bytes, and bytes as the new document. A program-set text is one undo step
  // when `undoable`, else the undo history starts afresh. An undoable text of more than a few
  // hundred kilobytes goes in by steps, with pending events handled between them, so that the
  // window never stops answering for long.
  std::string DocumentBytes() const;
  void SetDocumentBytes(std::string_view bytes, bool undoable);
  TTextEncoding Encoding() const { return encoding_; }
  // Lines longer than this many bytes are shown in blocks (0: never); for texts set from now.
  void SetLongLine(size_t bytes) { longLine_ = bytes; }

  // The text as the search sees it, one byte per character of the real text (without soft
  // breaks); kept until the text changes.
  const std::string& SearchBytes() const;
  // The search's offset of an editor position, and the editor range of a match.
  int SearchOffset(int position) const;
  std::pair<int, int> EditorRange(size_t offset, size_t length) const;

  void SetHighlighting(bool on);
  bool Highlighting() const;

  // The font the user chose, and the text size: steps of a point up or down from that font's
  // size (Ctrl and the mouse wheel take the same steps), and back to it.
  void SetChosenFont(const QFont& font);
  const QFont& ChosenFont() const { return chosenFont_; }
  void ChangeTextSize(int steps);
  void ResetTextSize();

  int SelStart() const;
  int SelLength() const;
  // The selected text with "\n" for its line breaks and without soft breaks.
  QString SelText() const;
  void SetSelection(int start, int length);
  void ReplaceSelection(const QString& text);
  // Replaces each of `ranges` (in order; offsets of SearchBytes as it is now) by `text`, as one
  // undo step, and leaves the caret after the last replacement.
  void ReplaceRanges(const std::vector<TTextRange>& ranges, const QString& text);
  int TextLength() const;
  // The caret's line and column in the real text, both counted from 0.
  int IndexRow() const;
  int IndexCol() const;

  bool Modified() const;
  void SetModified(bool value);
  bool Overwrite() const { return overwriteMode(); }

  bool Undone() const { return undone_; }
  bool CanUndoNow() const;
  bool CanRedoNow() const;
  void Undo();
  void Redo();

 signals:
  // Every change of the text.
  void Changed();
  void ModifiedChanged(bool modified);
  void OverwriteChanged(bool overwrite);
  // The undo and redo commands may have changed their state.
  void UndoStateChanged();

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void insertFromMimeData(const QMimeData* source) override;
  QMimeData* createMimeDataFromSelection() const override;

 private:
  // What the text itself does not hold: the usual line end and the encoding. A program-set
  // text keeps the state before and after it in the undo history. (Each line's own line end
  // is part of the document, see LineBreakBefore.)
  struct TByteState {
    TLineBreak DefaultBreak;
    TTextEncoding Encoding;
  };
  TByteState ByteState() const { return {defaultBreak_, encoding_}; }
  void SetByteState(const TByteState& state);
  friend class TByteStateUndo;

  void ContentsChange(int position, int removed, int added);
  // The line end before `block` (the one that ends the block before it).
  TLineBreak LineBreakBefore(const QTextBlock& block) const;
  bool IsSoft(const QTextBlock& block) const;
  std::vector<TLineBreak> LineBreaks() const;
  // Gives the blocks from `first` on the line ends of `breaks` from `index` on.
  void StoreLineBreaks(QTextCursor& cursor, QTextBlock first, const std::vector<TLineBreak>& breaks,
                       size_t index);
  void SetUndoableText(const TDecodedText& decoded);
  // Typed or pasted line ends are the document's usual ones.
  void InsertLines(QTextCursor& cursor, QStringView text);
  // The numbers of the blocks that begin after a soft break, ascending; kept until the blocks
  // change.
  const std::vector<int>& SoftBlocks() const;
  const TSoftBreakMap& SoftBreaks() const;
  // Moves over a soft break that the Delete or Backspace key would remove instead of a
  // character.
  void StepOverSoftBreak(bool forward);

  TTextEncoding encoding_ = TTextEncoding::Utf8;
  TLineBreak defaultBreak_ = TLineBreak::Lf;  // for lines the user adds
  size_t longLine_ = TEditorCodec::kLongLine;
  mutable std::string searchBytes_;
  mutable bool searchBytesValid_ = false;
  mutable std::vector<int> softBlocks_;
  mutable bool softBlocksValid_ = false;
  mutable int blockCount_ = 1;
  mutable TSoftBreakMap softBreaks_;
  mutable bool softBreaksValid_ = false;
  TSourceHighlighter* highlighter_;
  QFont chosenFont_;
  int textSizeSteps_ = 0;
  bool undone_ = false;
  bool undoGuard_ = false;
};

}  // namespace quorvane
