#include "ui/EditorSearch.h"

#include "batch/UiText.h"
#include "support/TextIds.h"
#include "ui/EditorCodec.h"
#include "ui/FindReplaceDialog.h"
#include "ui/SourceEdit.h"

namespace quorvane {

TEditorSearch::TEditorSearch(TSourceEdit& edit, const TEditorSession& session, QWidget* window)
    : QObject(window), edit_(edit), session_(session) {
  FindDialog1 = new TFindReplaceDialog(TFindReplaceDialog::TKind::Find, window);
  FindDialog1->setObjectName("FindDialog1");
  ReplaceDialog1 = new TFindReplaceDialog(TFindReplaceDialog::TKind::Replace, window);
  ReplaceDialog1->setObjectName("ReplaceDialog1");
  for (TFindReplaceDialog* dialog : {FindDialog1, ReplaceDialog1}) {
    connect(dialog, &TFindReplaceDialog::Shown, this,
            [this, dialog] { FindReplaceDialogShow(dialog); });
    connect(dialog, &TFindReplaceDialog::FindNext, this,
            [this, dialog] { SearchOrReport(dialog); });
  }
  connect(ReplaceDialog1, &TFindReplaceDialog::ReplaceRequested, this,
          &TEditorSearch::ReplaceDialog1Replace);
}

void TEditorSearch::OpenSearchDialog(TFindReplaceDialog* dialog) {
  const int length = edit_.SelLength();
  if (length >= 1 && length <= 99) {
    dialog->SetFindText(edit_.SelText());
  }
  dialog->show();
  dialog->raise();
  dialog->activateWindow();
}

void TEditorSearch::FindReplaceDialogShow(TFindReplaceDialog* dialog) {
  (dialog == FindDialog1 ? ReplaceDialog1 : FindDialog1)->close();
}

std::optional<TTextSearch> TEditorSearch::CompiledSearch(const TFindReplaceDialog& dialog) {
  std::optional<TTextSearch> search =
      TTextSearch::Compile(TEditorCodec::SearchBytes(dialog.FindText()), dialog.MatchCase());
  if (!search) {
    session_.Messages().Error(UiText(textid::kInvalidPattern));
  }
  return search;
}

bool TEditorSearch::SearchText(TFindReplaceDialog* dialog, bool forward) {
  const std::optional<TTextSearch> search = CompiledSearch(*dialog);
  if (!search) {
    return false;
  }
  const std::string& text = edit_.SearchBytes();
  const TTextRange selection = SelectionInText();
  const std::optional<TTextRange> match =
      forward ? search->FindNext(text, selection.Position + selection.Length)
              : search->FindPrevious(text, selection.Position);
  if (match) {
    const auto [from, to] = edit_.EditorRange(match->Position, match->Length);
    edit_.SetSelection(from, to - from);
  }
  return match.has_value();
}

TTextRange TEditorSearch::SelectionInText() const {
  const int from = edit_.SearchOffset(edit_.SelStart());
  const int to = edit_.SearchOffset(edit_.SelStart() + edit_.SelLength());
  return {static_cast<size_t>(from), static_cast<size_t>(to - from)};
}

void TEditorSearch::SearchOrReport(TFindReplaceDialog* dialog, bool forward) {
  if (!SearchText(dialog, forward)) {
    session_.Messages().Information(FormattedUiText(textid::kNotFound, dialog->FindText()),
                                    QString());
  }
}

void TEditorSearch::SearchMore() {
  if (!FindDialog1->FindText().isEmpty()) {
    SearchOrReport(FindDialog1);
  } else {
    OpenSearchDialog(FindDialog1);
  }
}

void TEditorSearch::SearchPrevious() {
  if (!FindDialog1->FindText().isEmpty()) {
    SearchOrReport(FindDialog1, false);
  } else {
    OpenSearchDialog(FindDialog1);
  }
}

void TEditorSearch::ReplaceMore() {
  if (!ReplaceDialog1->FindText().isEmpty()) {
    ReplaceDialog1Replace();
  } else {
    OpenSearchDialog(ReplaceDialog1);
  }
}

// The selection is what the search finds at its start, be it a literal text or a pattern's
// match.
bool TEditorSearch::SelectionMatches(const TFindReplaceDialog& dialog) const {
  const std::optional<TTextSearch> search =
      TTextSearch::Compile(TEditorCodec::SearchBytes(dialog.FindText()), dialog.MatchCase());
  return search && search->IsMatch(edit_.SearchBytes(), SelectionInText());
}

void TEditorSearch::ReplaceDialog1Replace() {
  if (ReplaceDialog1->ReplaceAll()) {
    ReplaceAllMatches();
  } else if (SelectionMatches(*ReplaceDialog1)) {
    edit_.ReplaceSelection(ReplaceDialog1->ReplaceText());
    SearchText(ReplaceDialog1);
  } else {
    SearchOrReport(ReplaceDialog1);
  }
}

// Every match after the selection, replaced as one undo step.
void TEditorSearch::ReplaceAllMatches() {
  size_t count = 0;
  if (const std::optional<TTextSearch> search = CompiledSearch(*ReplaceDialog1)) {
    const TTextRange selection = SelectionInText();
    const size_t from = selection.Position + selection.Length;
    const std::vector<TTextRange> plan = search->PlanReplaceAll(edit_.SearchBytes(), from);
    edit_.ReplaceRanges(plan, ReplaceDialog1->ReplaceText());
    count = plan.size();
  }
  session_.Messages().Information(FormattedUiText(textid::kReplacedCount, QString::number(count)),
                                  QString());
}

}  // namespace quorvane
