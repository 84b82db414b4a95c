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

bool TEditorSearch::SearchText(TFindReplaceDialog* dialog) {
  const std::optional<TTextSearch> search = CompiledSearch(*dialog);
  if (!search) {
    return false;
  }
  const auto from = static_cast<size_t>(edit_.SelStart() + edit_.SelLength());
  const std::optional<TTextRange> match = search->FindNext(edit_.SearchBytes(), from);
  if (match) {
    edit_.SetSelection(static_cast<int>(match->Position), static_cast<int>(match->Length));
  }
  return match.has_value();
}

void TEditorSearch::SearchOrReport(TFindReplaceDialog* dialog) {
  if (!SearchText(dialog)) {
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

void TEditorSearch::ReplaceMore() {
  if (!ReplaceDialog1->FindText().isEmpty()) {
    ReplaceDialog1Replace();
  } else {
    OpenSearchDialog(ReplaceDialog1);
  }
}

// The selection is the search text itself, compared literally: a selection that a pattern with
// wildcards found does not count.
bool TEditorSearch::SelectionMatches(const TFindReplaceDialog& dialog) const {
  const QString findText = dialog.FindText();
  const int length = edit_.SelLength();
  if (length == 0 || length != findText.size()) {
    return false;
  }
  return edit_.SelText().compare(findText,
                                 dialog.MatchCase() ? Qt::CaseSensitive : Qt::CaseInsensitive) == 0;
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
    const auto from = static_cast<size_t>(edit_.SelStart() + edit_.SelLength());
    const std::vector<TTextRange> plan = search->PlanReplaceAll(edit_.SearchBytes(), from);
    edit_.ReplaceRanges(plan, ReplaceDialog1->ReplaceText());
    count = plan.size();
  }
  session_.Messages().Information(FormattedUiText(textid::kReplacedCount, QString::number(count)),
                                  QString());
}

}  // namespace quorvane
