// The main window's editing commands, and search and replace.
#include <QCoreApplication>
#include <QKeyEvent>
#include <QTextCursor>
#include <QTextDocument>

#include "lang/Language.h"
#include "support/Pattern.h"
#include "support/TextIds.h"
#include "ui/FindReplaceDialog.h"
#include "ui/FormMain.h"
#include "ui/RichEditEx.h"
#include "ui/UiFormat.h"
#include "ui/UiText.h"

namespace quorvane {

namespace {
// The dialog's search text as the byte-wise pattern routine takes it, one byte per editor
// position (as the editor's search bytes).
std::optional<TPattern> CompiledSearchText(const TFindReplaceDialog& dialog) {
  return TPattern::Compile(TEditorCodec::SearchBytes(dialog.FindText()));
}
}  // namespace

void TFormMain::CreateSearchDialogs() {
  FindDialog1 = new TFindReplaceDialog(TFindReplaceDialog::TKind::Find, this);
  FindDialog1->setObjectName("FindDialog1");
  ReplaceDialog1 = new TFindReplaceDialog(TFindReplaceDialog::TKind::Replace, this);
  ReplaceDialog1->setObjectName("ReplaceDialog1");
  for (TFindReplaceDialog* dialog : {FindDialog1, ReplaceDialog1}) {
    connect(dialog, &TFindReplaceDialog::Shown, this,
            [this, dialog] { FindReplaceDialogShow(dialog); });
    connect(dialog, &TFindReplaceDialog::FindNext, this,
            [this, dialog] { FindReplaceDialogFindEvent(dialog); });
  }
  connect(ReplaceDialog1, &TFindReplaceDialog::ReplaceRequested, this,
          &TFormMain::ReplaceDialog1Replace);
}

void TFormMain::MainMenuEditUndoClick() {
  Edit->Undo();
}

void TFormMain::MainMenuEditRedoClick() {
  Edit->Redo();
}

void TFormMain::MainMenuEditCutClick() {
  Edit->cut();
  CheckClipboardState();
}

void TFormMain::MainMenuEditCopyClick() {
  Edit->copy();
  CheckClipboardState();
}

void TFormMain::MainMenuEditPasteClick() {
  Edit->paste();
}

void TFormMain::MainMenuEditDeleteClick() {
  // Acts exactly as a press of the Delete key in the editor.
  QKeyEvent press(QEvent::KeyPress, Qt::Key_Delete, Qt::NoModifier);
  QCoreApplication::sendEvent(Edit, &press);
}

void TFormMain::MainMenuEditSelectallClick() {
  Edit->selectAll();
}

void TFormMain::OpenSearchDialog(TFindReplaceDialog* dialog) {
  const int length = Edit->SelLength();
  if (length >= 1 && length <= 99) {
    dialog->SetFindText(Edit->SelText());
  }
  dialog->show();
  dialog->raise();
  dialog->activateWindow();
}

void TFormMain::MainMenuSearchSearchClick(QObject* sender) {
  const bool find = sender == MainMenuSearchSearch || sender == ToolButtonSearch;
  OpenSearchDialog(find ? FindDialog1 : ReplaceDialog1);
}

void TFormMain::FindReplaceDialogShow(TFindReplaceDialog* dialog) {
  if (dialog != FindDialog1) {
    FindDialog1->close();
  } else {
    ReplaceDialog1->close();
  }
}

bool TFormMain::SearchText(TFindReplaceDialog* dialog, bool forward) {
  const std::optional<TPattern> pattern = CompiledSearchText(*dialog);
  if (!pattern) {
    dialogs_->Error(UiText(GetText(textid::kInvalidPattern)));
    return false;
  }
  const std::string& text = Edit->SearchBytes();
  const bool matchCase = dialog->MatchCase();
  const auto match =
      forward
          ? pattern->Search(
                text, static_cast<size_t>(Edit->SearchOffset(Edit->SelStart() + Edit->SelLength())),
                matchCase)
          : pattern->SearchBefore(text, static_cast<size_t>(Edit->SearchOffset(Edit->SelStart())),
                                  matchCase);
  if (!match) {
    return false;
  }
  const auto [from, to] = Edit->EditorRange(match->Position, match->Length);
  Edit->SetSelection(from, to - from);
  return true;
}

void TFormMain::SearchOrReport(TFindReplaceDialog* dialog, bool forward) {
  if (!SearchText(dialog, forward)) {
    dialogs_->Message(FormattedUiText(textid::kNotFound, dialog->FindText()));
  }
}

void TFormMain::FindReplaceDialogFindEvent(TFindReplaceDialog* dialog) {
  SearchOrReport(dialog);
}

void TFormMain::MainMenuSearchSearchmoreClick() {
  if (!FindDialog1->FindText().isEmpty()) {
    SearchOrReport(FindDialog1);
  } else {
    OpenSearchDialog(FindDialog1);
  }
}

void TFormMain::MainMenuSearchSearchpreviousClick() {
  if (!FindDialog1->FindText().isEmpty()) {
    SearchOrReport(FindDialog1, false);
  } else {
    OpenSearchDialog(FindDialog1);
  }
}

void TFormMain::MainMenuSearchReplacemoreClick() {
  if (!ReplaceDialog1->FindText().isEmpty()) {
    ReplaceDialog1Replace();
  } else {
    OpenSearchDialog(ReplaceDialog1);
  }
}

// The selection matches when it is what the search would select from its start: the match of
// the pattern there, as long as the selection (a literal search text in any letter case, when
// the match case box is off, or whatever a wildcard matched).
bool TFormMain::SelectionMatches(TFindReplaceDialog* dialog) const {
  const std::optional<TPattern> pattern = CompiledSearchText(*dialog);
  if (!pattern || Edit->SelLength() == 0) {
    return false;
  }
  const int from = Edit->SearchOffset(Edit->SelStart());
  const int to = Edit->SearchOffset(Edit->SelStart() + Edit->SelLength());
  const auto length =
      pattern->MatchAt(Edit->SearchBytes(), static_cast<size_t>(from), dialog->MatchCase());
  return length && *length == static_cast<size_t>(to - from);
}

void TFormMain::ReplaceDialog1Replace() {
  if (ReplaceDialog1->ReplaceAll()) {
    ReplaceAllMatches();
  } else if (SelectionMatches(ReplaceDialog1)) {
    Edit->ReplaceSelection(ReplaceDialog1->ReplaceText());
    SearchText(ReplaceDialog1);
  } else {
    SearchOrReport(ReplaceDialog1);
  }
}

// Replaces every match after the selection, as repeated search-and-replace steps would, but in
// one pass over the text and as one undo step. Each step searches on after the text it put in,
// which is the original text after the match; an empty match moves on by one position, so
// that the loop always ends.
void TFormMain::ReplaceAllMatches() {
  int count = 0;
  const std::optional<TPattern> pattern = CompiledSearchText(*ReplaceDialog1);
  if (!pattern) {
    dialogs_->Error(UiText(GetText(textid::kInvalidPattern)));
  } else {
    const std::string& text = Edit->SearchBytes();
    const bool matchCase = ReplaceDialog1->MatchCase();
    const QString replacement = ReplaceDialog1->ReplaceText();
    auto from = static_cast<size_t>(Edit->SearchOffset(Edit->SelStart() + Edit->SelLength()));
    std::vector<std::pair<int, int>> ranges;  // in the editor's text before the first change
    while (from < text.size()) {
      const auto match = pattern->Search(text, from, matchCase);
      if (!match) {
        break;
      }
      ranges.push_back(Edit->EditorRange(match->Position, match->Length));
      from = match->Position + std::max<size_t>(match->Length, 1);
    }
    QTextCursor cursor(Edit->document());
    int shift = 0;  // how far the replacements so far moved the rest of the text
    for (const auto& [start, end] : ranges) {
      if (count == 0) {
        cursor.beginEditBlock();
      }
      cursor.setPosition(start + shift);
      cursor.setPosition(end + shift, QTextCursor::KeepAnchor);
      cursor.insertText(replacement);
      shift += static_cast<int>(replacement.size()) - (end - start);
      ++count;
    }
    if (count > 0) {
      cursor.endEditBlock();
      Edit->setTextCursor(cursor);
    }
  }
  dialogs_->Message(FormattedUiText(textid::kReplacedCount, QString::number(count)));
}

}  // namespace quorvane
