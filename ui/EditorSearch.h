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
  void ReplaceMore();

 private:
  void OpenSearchDialog(TFindReplaceDialog* dialog);
  void FindReplaceDialogShow(TFindReplaceDialog* dialog);
  std::optional<TTextSearch> CompiledSearch(const TFindReplaceDialog& dialog);
  bool SearchText(TFindReplaceDialog* dialog);
  void SearchOrReport(TFindReplaceDialog* dialog);
  bool SelectionMatches(const TFindReplaceDialog& dialog) const;
  void ReplaceDialog1Replace();
  void ReplaceAllMatches();

  TSourceEdit& edit_;
  const TEditorSession& session_;
  TFindReplaceDialog* FindDialog1;
  TFindReplaceDialog* ReplaceDialog1;
};

}  // namespace quorvane
