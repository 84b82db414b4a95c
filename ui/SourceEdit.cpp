#include "ui/SourceEdit.h"

#include <QKeyEvent>
#include <QMimeData>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QWheelEvent>
#include <algorithm>

#include "batch/EventPump.h"
#include "ui/SourceHighlighter.h"

namespace quorvane {

namespace {

// The block format property that holds the line end before a block (the one that ends the
// block before it) where it is not the document's usual one. Being part of the document, it
// goes where its block goes, through every edit and its undo.
constexpr int kLineBreakProperty = QTextFormat::UserProperty + 1;

// How many characters of an undoable program-set text go out or in between two turns of the
// event loop: a few tens of milliseconds' work.
constexpr qsizetype kStepLength = qsizetype{1} << 19;

// The smallest text size, in points, that the text size keys go down to.
constexpr double kSmallestTextSize = 4;

bool IsRedoKey(const QKeyEvent* event) {
  const QKeyCombination key = event->keyCombination();
  return event->matches(QKeySequence::Redo) || key == (Qt::CTRL | Qt::Key_Y) ||
         key == (Qt::CTRL | Qt::SHIFT | Qt::Key_Z);
}

// The line end that lines the user adds get: the first real one of the text, if any.
TLineBreak UsualBreak(const std::vector<TLineBreak>& breaks, TLineBreak otherwise) {
  for (const TLineBreak kind : breaks) {
    if (kind == TLineBreak::CrLf || kind == TLineBreak::Cr) {
      return kind;
    }
    if (kind != TLineBreak::Soft) {
      return TLineBreak::Lf;
    }
  }
  return otherwise;
}

}  // namespace

// Puts a program-set text's usual line end and encoding back when the undo history restores
// its text: undo and redo run the items of one step in reverse and in forward order, so one
// item before the text change restores the old state after an undo, and one after it the new
// state after a redo.
class TByteStateUndo : public QAbstractUndoItem {
 public:
  enum class TWhen { AfterUndo, AfterRedo };
  TByteStateUndo(TSourceEdit& edit, TSourceEdit::TByteState state, TWhen when)
      : edit_(edit), state_(state), when_(when) {}
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

TSourceEdit::TSourceEdit(QWidget* parent)
    : QPlainTextEdit(parent), highlighter_(new TSourceHighlighter(*this)) {
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
  softBreaksValid_ = false;
  // Typing within a line changes no block; a new or joined line, or a changed line end, does.
  if (removed == added || document()->blockCount() != blockCount_) {
    softBlocksValid_ = false;
  }
  if (!undoGuard_) {
    undone_ = false;
  }
}

void TSourceEdit::SetHighlighting(bool on) {
  highlighter_->SetEnabled(on);
}

bool TSourceEdit::Highlighting() const {
  return highlighter_->Enabled();
}

void TSourceEdit::SetChosenFont(const QFont& font) {
  chosenFont_ = font;
  ResetTextSize();
}

void TSourceEdit::ChangeTextSize(int steps) {
  // A font given by its pixel height is stepped from the point size it shows in.
  const double chosen =
      chosenFont_.pointSizeF() > 0 ? chosenFont_.pointSizeF() : QFontInfo(chosenFont_).pointSizeF();
  const int wanted = textSizeSteps_ + steps;
  if (chosen + wanted < kSmallestTextSize) {
    return;
  }
  textSizeSteps_ = wanted;
  QFont font = chosenFont_;
  font.setPointSizeF(chosen + wanted);
  setFont(font);
}

void TSourceEdit::ResetTextSize() {
  textSizeSteps_ = 0;
  setFont(chosenFont_);
}

void TSourceEdit::wheelEvent(QWheelEvent* event) {
  if (event->modifiers() & Qt::ControlModifier) {
    const int delta = event->angleDelta().y();
    if (delta != 0) {
      ChangeTextSize(delta > 0 ? 1 : -1);
    }
    event->accept();
    return;
  }
  QPlainTextEdit::wheelEvent(event);
}

TLineBreak TSourceEdit::LineBreakBefore(const QTextBlock& block) const {
  const QTextBlockFormat format = block.blockFormat();
  return format.hasProperty(kLineBreakProperty)
             ? static_cast<TLineBreak>(format.intProperty(kLineBreakProperty))
             : defaultBreak_;
}

bool TSourceEdit::IsSoft(const QTextBlock& block) const {
  return block.isValid() && block.blockNumber() > 0 && LineBreakBefore(block) == TLineBreak::Soft;
}

std::vector<TLineBreak> TSourceEdit::LineBreaks() const {
  std::vector<TLineBreak> breaks;
  breaks.reserve(static_cast<size_t>(document()->blockCount()));
  // The blocks share a handful of formats: each format's line end is read once.
  std::vector<std::pair<int, TLineBreak>> known;
  for (QTextBlock block = document()->begin().next(); block.isValid(); block = block.next()) {
    const int format = block.blockFormatIndex();
    auto it = std::find_if(known.begin(), known.end(),
                           [format](const auto& entry) { return entry.first == format; });
    if (it == known.end()) {
      it = known.insert(known.end(), {format, LineBreakBefore(block)});
    }
    breaks.push_back(it->second);
  }
  return breaks;
}

void TSourceEdit::StoreLineBreaks(QTextCursor& cursor, QTextBlock first,
                                  const std::vector<TLineBreak>& breaks, size_t index) {
  for (QTextBlock block = first; block.isValid() && index < breaks.size();
       block = block.next(), ++index) {
    QTextBlockFormat format = block.blockFormat();
    const bool usual = breaks[index] == defaultBreak_;
    const bool has = format.hasProperty(kLineBreakProperty);
    if (usual ? !has
              : has && format.intProperty(kLineBreakProperty) == static_cast<int>(breaks[index])) {
      continue;
    }
    if (usual) {
      format.clearProperty(kLineBreakProperty);
    } else {
      format.setProperty(kLineBreakProperty, static_cast<int>(breaks[index]));
    }
    cursor.setPosition(block.position());
    cursor.setBlockFormat(format);
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
  TTextEncoding encoding = TEditorCodec::EncodingOf(bytes);
  if (undoable && encoding_ == TTextEncoding::Win1252) {
    encoding = TTextEncoding::Win1252;
  }
  const TDecodedText decoded = TEditorCodec::Decode(bytes, encoding, longLine_);
  if (undoable) {
    SetUndoableText(decoded);
    return;
  }
  encoding_ = decoded.Encoding;
  defaultBreak_ = UsualBreak(decoded.Breaks, TLineBreak::Lf);
  QTextDocument* doc = document();
  doc->setUndoRedoEnabled(false);
  setPlainText(decoded.Text);
  const bool modified = doc->isModified();
  QTextCursor cursor(doc);
  cursor.beginEditBlock();
  StoreLineBreaks(cursor, doc->begin().next(), decoded.Breaks, 0);
  cursor.endEditBlock();
  doc->setModified(modified);
  doc->setUndoRedoEnabled(true);
}

void TSourceEdit::SetUndoableText(const TDecodedText& decoded) {
  QTextDocument* doc = document();
  QTextCursor cursor(doc);
  cursor.beginEditBlock();
  // The document owns the items of its undo history.
  doc->appendUndoItem(new TByteStateUndo(*this, ByteState(), TByteStateUndo::TWhen::AfterUndo));
  encoding_ = decoded.Encoding;
  defaultBreak_ = UsualBreak(decoded.Breaks, defaultBreak_);
  // The old text goes from its end and the new one comes from its start; between the steps
  // the edit block is closed (so that the window may paint) and joined again, which keeps the
  // whole change one undo step.
  qsizetype work = 0;
  const auto step = [&](qsizetype length) {
    if (work >= kStepLength) {
      cursor.endEditBlock();
      ProcessPendingEvents(true);
      cursor.joinPreviousEditBlock();
      work = 0;
    }
    work += length;
  };
  for (int end = TextLength(); end > 0;) {
    const int from = std::max(0, end - static_cast<int>(kStepLength));
    step(end - from);
    cursor.setPosition(from);
    cursor.setPosition(end, QTextCursor::KeepAnchor);
    cursor.removeSelectedText();
    end = from;
  }
  const QString& text = decoded.Text;
  size_t index = 0;  // the line end of decoded.Breaks before the next new block
  for (qsizetype from = 0; from < text.size();) {
    qsizetype end = std::min(text.size(), from + kStepLength);
    if (end < text.size()) {
      const qsizetype lineEnd = text.indexOf(u'\n', end);
      end = lineEnd < 0 ? text.size() : lineEnd + 1;
    }
    step(end - from);
    cursor.movePosition(QTextCursor::End);
    const int firstNew = cursor.blockNumber() + 1;
    const QStringView part = QStringView(text).mid(from, end - from);
    cursor.insertText(part.toString());
    StoreLineBreaks(cursor, doc->findBlockByNumber(firstNew), decoded.Breaks, index);
    index += static_cast<size_t>(part.count(u'\n'));
    from = end;
  }
  doc->appendUndoItem(new TByteStateUndo(*this, ByteState(), TByteStateUndo::TWhen::AfterRedo));
  cursor.endEditBlock();
}

void TSourceEdit::SetByteState(const TByteState& state) {
  defaultBreak_ = state.DefaultBreak;
  encoding_ = state.Encoding;
  searchBytesValid_ = false;
  softBreaksValid_ = false;
  softBlocksValid_ = false;
}

const std::vector<int>& TSourceEdit::SoftBlocks() const {
  if (!softBlocksValid_) {
    softBlocks_.clear();
    const std::vector<TLineBreak> breaks = LineBreaks();  // of the blocks from the second on
    for (size_t i = 0; i < breaks.size(); ++i) {
      if (breaks[i] == TLineBreak::Soft) {
        softBlocks_.push_back(static_cast<int>(i) + 1);
      }
    }
    blockCount_ = document()->blockCount();
    softBlocksValid_ = true;
  }
  return softBlocks_;
}

const TSoftBreakMap& TSourceEdit::SoftBreaks() const {
  if (!softBreaksValid_) {
    std::vector<int> positions;
    positions.reserve(SoftBlocks().size());
    for (const int number : SoftBlocks()) {
      positions.push_back(document()->findBlockByNumber(number).position() - 1);
    }
    softBreaks_ = TSoftBreakMap(std::move(positions));
    softBreaksValid_ = true;
  }
  return softBreaks_;
}

const std::string& TSourceEdit::SearchBytes() const {
  if (!searchBytesValid_) {
    searchBytes_ = TEditorCodec::SearchBytes(SoftBreaks().RealText(document()->toRawText()));
    searchBytesValid_ = true;
  }
  return searchBytes_;
}

int TSourceEdit::SearchOffset(int position) const {
  return SoftBreaks().TextOffset(position);
}

std::pair<int, int> TSourceEdit::EditorRange(size_t offset, size_t length) const {
  return SoftBreaks().EditorRange(static_cast<int>(offset), static_cast<int>(length));
}

int TSourceEdit::SelStart() const {
  return textCursor().selectionStart();
}

int TSourceEdit::SelLength() const {
  const QTextCursor cursor = textCursor();
  return cursor.selectionEnd() - cursor.selectionStart();
}

QString TSourceEdit::SelText() const {
  const QTextCursor cursor = textCursor();
  QString text = SoftBreaks().RealText(cursor.selectedText(), cursor.selectionStart());
  text.replace(QChar::ParagraphSeparator, QChar('\n'));
  return text;
}

QMimeData* TSourceEdit::createMimeDataFromSelection() const {
  auto* data = new QMimeData;  // the caller owns it
  data->setText(SelText());
  return data;
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
  // Editor positions of the text before the first change; soft breaks inside a range go with it.
  std::vector<std::pair<int, int>> spans;
  spans.reserve(ranges.size());
  for (const TTextRange& range : ranges) {
    spans.push_back(EditorRange(range.Position, range.Length));
  }
  QTextCursor cursor(document());
  cursor.beginEditBlock();
  int shift = 0;  // how far the replacements so far moved the rest of the text
  for (const auto& [from, to] : spans) {
    cursor.setPosition(from + shift);
    cursor.setPosition(to + shift, QTextCursor::KeepAnchor);
    cursor.insertText(text);
    shift += static_cast<int>(text.size()) - (to - from);
  }
  cursor.endEditBlock();
  setTextCursor(cursor);
}

int TSourceEdit::TextLength() const {
  return document()->characterCount() - 1;
}

int TSourceEdit::IndexRow() const {
  // Each soft break up to the caret's block joins two blocks into one line.
  const int number = textCursor().blockNumber();
  const std::vector<int>& soft = SoftBlocks();
  return number -
         static_cast<int>(std::upper_bound(soft.begin(), soft.end(), number) - soft.begin());
}

int TSourceEdit::IndexCol() const {
  const QTextCursor cursor = textCursor();
  int column = cursor.position() - cursor.block().position();
  for (QTextBlock block = cursor.block(); IsSoft(block); block = block.previous()) {
    column += block.previous().length() - 1;
  }
  return column;
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

void TSourceEdit::StepOverSoftBreak(bool forward) {
  QTextCursor cursor = textCursor();
  if (cursor.hasSelection()) {
    return;
  }
  const bool atSoftBreak = forward ? cursor.atBlockEnd() && IsSoft(cursor.block().next())
                                   : cursor.atBlockStart() && IsSoft(cursor.block());
  if (atSoftBreak) {
    cursor.movePosition(forward ? QTextCursor::NextCharacter : QTextCursor::PreviousCharacter);
    setTextCursor(cursor);
  }
}

void TSourceEdit::keyPressEvent(QKeyEvent* event) {
  if (event->matches(QKeySequence::Undo)) {
    Undo();
    return;
  }
  if (IsRedoKey(event)) {
    Redo();
    return;
  }
  if (event->key() == Qt::Key_Insert && event->modifiers() == Qt::NoModifier) {
    setOverwriteMode(!overwriteMode());
    emit OverwriteChanged(overwriteMode());
    return;
  }
  if (event->matches(QKeySequence::Delete) || event->key() == Qt::Key_Backspace) {
    // These keys remove a character, never a soft break, which no one sees as one.
    StepOverSoftBreak(event->key() != Qt::Key_Backspace);
  }
  const int blocks = document()->blockCount();
  QPlainTextEdit::keyPressEvent(event);
  if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
      document()->blockCount() > blocks) {
    // The new line took the line end before the line it was split from; a typed line end is
    // the document's usual one.
    QTextCursor cursor = textCursor();
    QTextBlockFormat format = cursor.blockFormat();
    if (format.hasProperty(kLineBreakProperty)) {
      format.clearProperty(kLineBreakProperty);
      cursor.joinPreviousEditBlock();
      cursor.setBlockFormat(format);
      cursor.endEditBlock();
    }
  }
}

void TSourceEdit::insertFromMimeData(const QMimeData* source) {
  if (source == nullptr || !source->hasText()) {
    return;
  }
  QTextCursor cursor = textCursor();
  cursor.beginEditBlock();
  cursor.removeSelectedText();
  InsertLines(cursor, source->text());
  cursor.endEditBlock();
  setTextCursor(cursor);
}

void TSourceEdit::InsertLines(QTextCursor& cursor, QStringView text) {
  // The pasted lines, long ones in blocks as a loaded text's.
  QString lines;
  lines.reserve(text.size());
  std::vector<TLineBreak> breaks;
  qsizetype start = 0;
  for (qsizetype i = 0; i <= text.size(); ++i) {
    const bool end = i == text.size();
    if (!end && text[i] != u'\n' && text[i] != u'\r' && text[i] != QChar::ParagraphSeparator) {
      continue;
    }
    const QStringView line = text.mid(start, i - start);
    qsizetype from = 0;
    for (const qsizetype next : TEditorCodec::SoftBreaks(line, longLine_)) {
      lines += line.mid(from, next - from);
      lines += u'\n';
      breaks.push_back(TLineBreak::Soft);
      from = next;
    }
    lines += line.mid(from);
    if (!end) {
      lines += u'\n';
      breaks.push_back(defaultBreak_);
      i += text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n' ? 1 : 0;
    }
    start = i + 1;
  }
  const int firstNew = cursor.blockNumber() + 1;
  cursor.insertText(lines);
  QTextCursor formats(document());
  StoreLineBreaks(formats, document()->findBlockByNumber(firstNew), breaks, 0);
}

}  // namespace quorvane
