#include "ui/ChangesDialog.h"

#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QHash>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextBlock>
#include <QTextCursor>
#include <QVBoxLayout>

#include "batch/UiText.h"
#include "editor/LineDiff.h"
#include "support/TextIds.h"

namespace quorvane {

namespace {

std::vector<QStringView> Lines(const QString& text) {
  std::vector<QStringView> lines;
  for (const QStringView line : QStringView(text).split(u'\n')) {
    lines.push_back(line);
  }
  return lines;
}

// Each line as a number that equal lines share.
std::vector<uint32_t> LineNumbers(const std::vector<QStringView>& lines,
                                  QHash<QStringView, uint32_t>& known) {
  std::vector<uint32_t> numbers;
  numbers.reserve(lines.size());
  for (const QStringView line : lines) {
    auto it = known.constFind(line);
    if (it == known.constEnd()) {
      it = known.insert(line, static_cast<uint32_t>(known.size()));
    }
    numbers.push_back(*it);
  }
  return numbers;
}

QColor Tint(const QColor& base, const QColor& tint) {
  constexpr float kShare = 0.22f;
  return QColor::fromRgbF(base.redF() + (tint.redF() - base.redF()) * kShare,
                          base.greenF() + (tint.greenF() - base.greenF()) * kShare,
                          base.blueF() + (tint.blueF() - base.blueF()) * kShare);
}

// The text the view shows, and the kind of each of its blocks. A long line goes on in further
// blocks, as in the editor, so that it is laid out quickly.
struct TShownChange {
  QString Text;
  std::vector<TDiffKind> Kinds;

  void Add(TDiffKind kind, QStringView line) {
    const char16_t* marks = u" -+";
    qsizetype from = 0;
    for (const qsizetype next : TEditorCodec::SoftBreaks(line)) {
      AddBlock(kind, from == 0 ? marks[static_cast<int>(kind)] : u' ', line.mid(from, next - from));
      from = next;
    }
    AddBlock(kind, from == 0 ? marks[static_cast<int>(kind)] : u' ', line.mid(from));
  }

 private:
  void AddBlock(TDiffKind kind, char16_t mark, QStringView text) {
    if (!Kinds.empty()) {
      Text += u'\n';
    }
    Text += QChar(mark);
    Text += u' ';
    Text += text;
    Kinds.push_back(kind);
  }
};

}  // namespace

TChangesDialog::TChangesDialog(QWidget* parent) : QDialog(parent) {
  setObjectName("ChangesDialog");
  resize(760, 520);
  auto* layout = new QVBoxLayout(this);
  view_ = new QPlainTextEdit(this);
  view_->setObjectName("EditChanges");
  view_->setReadOnly(true);
  view_->setLineWrapMode(QPlainTextEdit::WidgetWidth);
  view_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  view_->document()->setUndoRedoEnabled(false);
  layout->addWidget(view_);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
  close_ = buttons->button(QDialogButtonBox::Close);
  close_->setObjectName("ButtonClose");
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  layout->addWidget(buttons);
}

void TChangesDialog::SetTexts(const QString& caption, const QString& closeText) {
  setWindowTitle(caption);
  close_->setText(closeText);
}

void TChangesDialog::ShowChange(std::string_view before, std::string_view after,
                                TTextEncoding encoding) {
  const QString oldText = TEditorCodec::Decode(before, encoding, 0).Text;
  const QString newText = TEditorCodec::Decode(after, encoding, 0).Text;
  const std::vector<QStringView> oldLines = Lines(oldText);
  const std::vector<QStringView> newLines = Lines(newText);
  QHash<QStringView, uint32_t> known;
  const std::vector<uint32_t> oldNumbers = LineNumbers(oldLines, known);
  const std::vector<uint32_t> newNumbers = LineNumbers(newLines, known);

  TShownChange shown;
  size_t oldAt = 0;
  size_t newAt = 0;
  for (const TDiffRun& run : DiffLines(oldNumbers, newNumbers)) {
    for (size_t i = 0; i < run.Count; ++i) {
      if (run.Kind == TDiffKind::Added) {
        shown.Add(run.Kind, newLines[newAt++]);
      } else {
        shown.Add(run.Kind, oldLines[oldAt++]);
        newAt += run.Kind == TDiffKind::Same ? 1 : 0;
      }
    }
  }
  view_->setPlainText(shown.Text);

  const QColor base = view_->palette().color(QPalette::Base);
  QTextBlockFormat removed;
  removed.setBackground(Tint(base, QColor(220, 30, 30)));
  QTextBlockFormat added;
  added.setBackground(Tint(base, QColor(30, 180, 30)));
  // One format change for each run of blocks of a kind: a page rewritten whole is one or two.
  QTextCursor cursor(view_->document());
  cursor.beginEditBlock();
  QTextBlock block = view_->document()->begin();
  for (size_t index = 0; block.isValid() && index < shown.Kinds.size();) {
    const TDiffKind kind = shown.Kinds[index];
    const QTextBlock first = block;
    for (; block.isValid() && index < shown.Kinds.size() && shown.Kinds[index] == kind; ++index) {
      block = block.next();
    }
    if (kind != TDiffKind::Same) {
      cursor.setPosition(first.position());
      cursor.setPosition(
          block.isValid() ? block.position() - 1 : view_->document()->characterCount() - 1,
          QTextCursor::KeepAnchor);
      cursor.setBlockFormat(kind == TDiffKind::Removed ? removed : added);
    }
  }
  cursor.endEditBlock();
  view_->moveCursor(QTextCursor::Start);
}

QString TChangesDialog::ShownText() const {
  return view_->toPlainText();
}

void TChangesDialog::Open(QWidget& owner, std::string_view before, std::string_view after,
                          TTextEncoding encoding) {
  auto* dialog = owner.findChild<TChangesDialog*>(QString(), Qt::FindDirectChildrenOnly);
  if (dialog == nullptr) {
    dialog = new TChangesDialog(&owner);
  }
  // A large page takes a moment to compare.
  QGuiApplication::setOverrideCursor(Qt::WaitCursor);
  dialog->SetTexts(CapUiText(textid::kChanges), CapUiText(textid::kClose));
  dialog->ShowChange(before, after, encoding);
  QGuiApplication::restoreOverrideCursor();
  dialog->show();
  dialog->raise();
  dialog->activateWindow();
}

}  // namespace quorvane
