#pragma once

#include <QPlainTextEdit>
#include <string>
#include <string_view>

#include "editor/TextSearch.h"
#include "ui/EditorCodec.h"

namespace quorvane {

// The main window's plain-text editor.
//
// Positions are the editor's own: one per UTF-16 unit of the text, and one per line break
// whatever bytes the file uses for it (a CR LF pair is one position). Selections, the caret's
// line and column, the text length and the search all count that way; the document's bytes
// keep each line break as it was read (see EditorCodec.h).
//
// Undo follows the program's Undo/Redo alternation: after an undo the window offers Redo in
// the same place, and any other change brings Undo back. Ctrl+Z and the redo keys of the
// platform go through the same commands, so the menu always tells what they will do.
class TSourceEdit : public QPlainTextEdit {
  Q_OBJECT

 public:
  explicit TSourceEdit(QWidget* parent = nullptr);

  // The document as bytes, and bytes as the new document. A program-set text is one undo step
  // when `undoable`, else the undo history starts afresh.
  std::string DocumentBytes() const;
  void SetDocumentBytes(std::string_view bytes, bool undoable);
  TTextEncoding Encoding() const { return encoding_; }
  // The text as the search sees it, one byte per position; kept until the text changes.
  const std::string& SearchBytes() const;

  int SelStart() const;
  int SelLength() const;
  QString SelText() const;
  void SetSelection(int start, int length);
  void ReplaceSelection(const QString& text);
  // Replaces each of `ranges` (in order, positions of the text as it is now) by `text`, as one
  // undo step, and leaves the caret after the last replacement.
  void ReplaceRanges(const std::vector<TTextRange>& ranges, const QString& text);
  int TextLength() const;
  // The caret's line and column, both counted from 0.
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
  void insertFromMimeData(const QMimeData* source) override;

 private:
  // What the text itself does not hold: the line ends of the lines, the usual line end and the
  // encoding. A program-set text keeps the state before and after it in the undo history.
  struct TByteState {
    std::vector<int> LineStates;
    TLineBreak DefaultBreak;
    TTextEncoding Encoding;
  };
  TByteState ByteState() const;
  void SetByteState(const TByteState& state);
  friend class TByteStateUndo;

  void ContentsChange(int position, int removed, int added);
  void StoreLineBreaks(const std::vector<TLineBreak>& breaks);
  // After new lines were put in from block `first` to the cursor's block: the new line ends
  // are the document's usual ones, and the last line keeps the line end it had.
  void MarkInsertedLines(int first, int lastState);
  std::vector<TLineBreak> LineBreaks() const;

  TTextEncoding encoding_ = TTextEncoding::Utf8;
  TLineBreak defaultBreak_ = TLineBreak::Lf;  // for lines the user adds
  mutable std::string searchBytes_;
  mutable bool searchBytesValid_ = false;
  bool undone_ = false;
  bool undoGuard_ = false;
};

}  // namespace quorvane
