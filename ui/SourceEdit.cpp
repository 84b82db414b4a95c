#include "ui/SourceEdit.h"

#include <QKeyEvent>
#include <QMimeData>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <algorithm>

namespace quorvane {

namespace {
// A block's user state holds the line break that ends it; -1 (Qt's default) for lines typed
// since, which take the document's usual line break.
constexpr int kNoBreakState = -1;
}  // namespace

// Puts a program-set text's line ends back when the undo history restores its text: undo and
// redo run the items of one step in reverse and in forward order, so one item before the text
// change restores the old state after an undo, and one after it the new state after a redo.
class TByteStateUndo : public QAbstractUndoItem {
 public:
  enum class TWhen { AfterUndo, AfterRedo };
  TByteStateUndo(TSourceEdit& edit, TSourceEdit::TByteState state, TWhen when)
      : edit_(edit), state_(std::move(state)), when_(when) {}
  void undo() override {
    if (when_ == TWhen::AfterUndo) {
      edit_.SetByteState(state_);
    }
  }
  void redo() override {
    if (when_ == TWhen::AfterRedo) {
      edit_.SetByteState(state_);
    }
  }

 private:
  TSourceEdit& edit_;
  TSourceEdit::TByteState state_;
  TWhen when_;
};

TSourceEdit::TSourceEdit(QWidget* parent) : QPlainTextEdit(parent) {
  setObjectName("Edit");
  setLineWrapMode(QPlainTextEdit::NoWrap);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  setTabChangesFocus(false);
  setContextMenuPolicy(Qt::CustomContextMenu);
  QTextDocument* doc = document();
  connect(doc, &QTextDocument::contentsChange, this, &TSourceEdit::ContentsChange);
  connect(this, &QPlainTextEdit::textChanged, this, &TSourceEdit::Changed);
  connect(doc, &QTextDocument::modificationChanged, this, &TSourceEdit::ModifiedChanged);
  connect(doc, &QTextDocument::undoAvailable, this, &TSourceEdit::UndoStateChanged);
  connect(doc, &QTextDocument::redoAvailable, this, &TSourceEdit::UndoStateChanged);
}

void TSourceEdit::ContentsChange(int /*position*/, int removed, int added) {
  if (removed == 0 && added == 0) {
    return;
  }
  searchBytesValid_ = false;
  if (!undoGuard_) {
    undone_ = false;
  }
}

std::vector<TLineBreak> TSourceEdit::LineBreaks() const {
  std::vector<TLineBreak> breaks;
  breaks.reserve(static_cast<size_t>(document()->blockCount()));
  for (QTextBlock block = document()->begin(); block.isValid(); block = block.next()) {
    const int state = block.userState();
    breaks.push_back(state == kNoBreakState ? defaultBreak_ : static_cast<TLineBreak>(state));
  }
  return breaks;
}

void TSourceEdit::StoreLineBreaks(const std::vector<TLineBreak>& breaks) {
  size_t index = 0;
  for (QTextBlock block = document()->begin(); block.isValid() && index < breaks.size();
       block = block.next()) {
    block.setUserState(static_cast<int>(breaks[index++]));
  }
}

std::string TSourceEdit::DocumentBytes() const {
  std::string bytes;
  TEditorCodec::Encode(document()->toRawText(), LineBreaks(), defaultBreak_, encoding_, bytes);
  return bytes;
}

void TSourceEdit::SetDocumentBytes(std::string_view bytes, bool undoable) {
  // A document shown as Windows-1252 stays so; one shown as UTF-8 switches only when the new
  // bytes are no longer UTF-8, so that no byte is ever lost.
  TByteState before = undoable ? ByteState() : TByteState{};
  TTextEncoding encoding = TEditorCodec::EncodingOf(bytes);
  if (undoable && encoding_ == TTextEncoding::Win1252) {
    encoding = TTextEncoding::Win1252;
  }
  const TDecodedText decoded = TEditorCodec::Decode(bytes, encoding);
  encoding_ = decoded.Encoding;
  if (!decoded.Breaks.empty()) {
    const TLineBreak first = decoded.Breaks.front();
    defaultBreak_ = first == TLineBreak::CrLf || first == TLineBreak::Cr ? first : TLineBreak::Lf;
  } else if (!undoable) {
    defaultBreak_ = TLineBreak::Lf;
  }
  if (undoable) {
    QTextCursor cursor(document());
    cursor.beginEditBlock();
    // The document owns the items of its undo history.
    document()->appendUndoItem(
        new TByteStateUndo(*this, std::move(before), TByteStateUndo::TWhen::AfterUndo));
    cursor.select(QTextCursor::Document);
    cursor.insertText(decoded.Text);
    StoreLineBreaks(decoded.Breaks);
    document()->appendUndoItem(
        new TByteStateUndo(*this, ByteState(), TByteStateUndo::TWhen::AfterRedo));
    cursor.endEditBlock();
  } else {
    setPlainText(decoded.Text);
    StoreLineBreaks(decoded.Breaks);
  }
}

TSourceEdit::TByteState TSourceEdit::ByteState() const {
  TByteState state{{}, defaultBreak_, encoding_};
  state.LineStates.reserve(static_cast<size_t>(document()->blockCount()));
  for (QTextBlock block = document()->begin(); block.isValid(); block = block.next()) {
    state.LineStates.push_back(block.userState());
  }
  return state;
}

void TSourceEdit::SetByteState(const TByteState& state) {
  defaultBreak_ = state.DefaultBreak;
  encoding_ = state.Encoding;
  size_t index = 0;
  for (QTextBlock block = document()->begin(); block.isValid(); block = block.next()) {
    block.setUserState(index < state.LineStates.size() ? state.LineStates[index++] : kNoBreakState);
  }
}

const std::string& TSourceEdit::SearchBytes() const {
  if (!searchBytesValid_) {
    searchBytes_ = TEditorCodec::SearchBytes(document()->toRawText());
    searchBytesValid_ = true;
  }
  return searchBytes_;
}

int TSourceEdit::SelStart() const {
  return textCursor().selectionStart();
}

int TSourceEdit::SelLength() const {
  const QTextCursor cursor = textCursor();
  return cursor.selectionEnd() - cursor.selectionStart();
}

QString TSourceEdit::SelText() const {
  QString text = textCursor().selectedText();
  text.replace(QChar::ParagraphSeparator, QChar('\n'));
  return text;
}

void TSourceEdit::SetSelection(int start, int length) {
  const int end = TextLength();
  start = std::clamp(start, 0, end);
  QTextCursor cursor(document());
  cursor.setPosition(start);
  cursor.setPosition(std::clamp(start + length, 0, end), QTextCursor::KeepAnchor);
  setTextCursor(cursor);
}

void TSourceEdit::ReplaceSelection(const QString& text) {
  QTextCursor cursor = textCursor();
  cursor.insertText(text);
  setTextCursor(cursor);
}

void TSourceEdit::ReplaceRanges(const std::vector<TTextRange>& ranges, const QString& text) {
  if (ranges.empty()) {
    return;
  }
  QTextCursor cursor(document());
  cursor.beginEditBlock();
  int shift = 0;  // how far the replacements so far moved the rest of the text
  for (const TTextRange& range : ranges) {
    const int position = static_cast<int>(range.Position) + shift;
    cursor.setPosition(position);
    cursor.setPosition(position + static_cast<int>(range.Length), QTextCursor::KeepAnchor);
    cursor.insertText(text);
    shift += static_cast<int>(text.size()) - static_cast<int>(range.Length);
  }
  cursor.endEditBlock();
  setTextCursor(cursor);
}

int TSourceEdit::TextLength() const {
  return document()->characterCount() - 1;
}

int TSourceEdit::IndexRow() const {
  return textCursor().block().blockNumber();
}

int TSourceEdit::IndexCol() const {
  const QTextCursor cursor = textCursor();
  return cursor.position() - cursor.block().position();
}

bool TSourceEdit::Modified() const {
  return document()->isModified();
}

void TSourceEdit::SetModified(bool value) {
  document()->setModified(value);
}

bool TSourceEdit::CanUndoNow() const {
  return !undone_ && document()->isUndoAvailable();
}

bool TSourceEdit::CanRedoNow() const {
  return undone_ && document()->isRedoAvailable();
}

void TSourceEdit::Undo() {
  undoGuard_ = true;
  undone_ = true;
  if (!document()->isUndoAvailable()) {
    undone_ = false;
  } else {
    undo();
  }
  undoGuard_ = false;
  emit UndoStateChanged();
}

void TSourceEdit::Redo() {
  if (document()->isRedoAvailable()) {
    redo();
  }
  emit UndoStateChanged();
}

void TSourceEdit::keyPressEvent(QKeyEvent* event) {
  if (event->matches(QKeySequence::Undo)) {
    Undo();
    return;
  }
  if (event->matches(QKeySequence::Redo)) {
    Redo();
    return;
  }
  if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
    // The editor leaves the line's end with the part before the new break; it belongs to the
    // part after it.
    QTextCursor cursor = textCursor();
    cursor.setPosition(cursor.selectionEnd());
    const int lastState = cursor.block().userState();
    const int first = textCursor().block().blockNumber();
    QPlainTextEdit::keyPressEvent(event);
    MarkInsertedLines(first, lastState);
    return;
  }
  if (event->key() == Qt::Key_Insert && event->modifiers() == Qt::NoModifier) {
    setOverwriteMode(!overwriteMode());
    emit OverwriteChanged(overwriteMode());
    return;
  }
  QPlainTextEdit::keyPressEvent(event);
}

void TSourceEdit::insertFromMimeData(const QMimeData* source) {
  if (source == nullptr || !source->hasText()) {
    return;
  }
  QTextCursor cursor = textCursor();
  cursor.beginEditBlock();
  cursor.removeSelectedText();
  const int lastState = cursor.block().userState();
  const int first = cursor.blockNumber();
  cursor.insertText(source->text());
  cursor.endEditBlock();
  setTextCursor(cursor);
  MarkInsertedLines(first, lastState);
}

void TSourceEdit::MarkInsertedLines(int first, int lastState) {
  const QTextBlock last = textCursor().block();
  if (last.blockNumber() == first) {
    return;
  }
  for (QTextBlock block = document()->findBlockByNumber(first); block.isValid() && block != last;
       block = block.next()) {
    block.setUserState(kNoBreakState);
  }
  QTextBlock(last).setUserState(lastState);
}

}  // namespace quorvane
