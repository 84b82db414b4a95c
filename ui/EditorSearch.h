#pragma once

#include <QObject>
#include <optional>

#include "editor/EditorSession.h"
#include "editor/TextSearch.h"

class QWidget;

namespace quorvane {

class TFindReplaceDialog;
class TSourceEdit;

// The find and replace dialogs on the editor: the search runs forward from the selection and
// selects what it finds; a replacement is one undo step. Messages go through the session's.
class TEditorSearch : public QObject {
  Q_OBJECT

 public:
  TEditorSearch(TSourceEdit& edit, const TEditorSession& session, QWidget* window);

  void OpenFindDialog() { OpenSearchDialog(FindDialog1); }
  void OpenReplaceDialog() { OpenSearchDialog(ReplaceDialog1); }
  // Find next and Replace next: the last search again, or the dialog when there is none yet.
  void SearchMore();
  // Find previous: the last match before the selection.
  void SearchPrevious();
  void ReplaceMore();

 private:
  void OpenSearchDialog(TFindReplaceDialog* dialog);
  void FindReplaceDialogShow(TFindReplaceDialog* dialog);
  std::optional<TTextSearch> CompiledSearch(const TFindReplaceDialog& dialog);
  // One step forward from the selection's end, or backward from its start; selects the match.
  bool SearchText(TFindReplaceDialog* dialog, bool forward = true);
  void SearchOrReport(TFindReplaceDialog* dialog, bool forward = true);
  // The selection as offsets of the search's text.
  TTextRange SelectionInText() const;
  bool SelectionMatches(const TFindReplaceDialog& dialog) const;
  void ReplaceDialog1Replace();
  void ReplaceAllMatches();

  TSourceEdit& edit_;
  const TEditorSession& session_;
  TFindReplaceDialog* FindDialog1;
  TFindReplaceDialog* ReplaceDialog1;
};

}  // namespace quorvane
