#pragma once

#include <QTreeWidget>
#include <QTreeWidgetItem>
#include <cstdint>
#include <string>

namespace quorvane {

class TTagsCommaList;

// The list view of the tag list dialog: one row per tag definition, the name in column 0 and
// the count in column 1 (its text, and the number itself as the column's data).
class TTagListView : public QTreeWidget {
  Q_OBJECT

 public:
  // Sort modes: by name or by the displayed count text, ascending or descending.
  enum TSortMode { NameAscending = 0, NameDescending = 1, CountAscending = 2, CountDescending = 3 };

  explicit TTagListView(QWidget* parent = nullptr);

  int Tag = NameAscending;  // the sort mode

  // Re-sorts the rows by `Tag`.
  void Sort();
  // -1, 0 or 1: how the rows `a` and `b` compare under the current mode.
  int Compare(const QTreeWidgetItem& a, const QTreeWidgetItem& b) const;

  // The tag's row at `index`, or nullptr.
  QTreeWidgetItem* Row(int index) const { return topLevelItem(index); }
  int RowCount() const { return topLevelItemCount(); }
  QTreeWidgetItem* AddRow();
};

// A row that sorts by its view's mode.
class TTagListItem : public QTreeWidgetItem {
 public:
  using QTreeWidgetItem::QTreeWidgetItem;
  bool operator<(const QTreeWidgetItem& other) const override;
};

// Fills a row: the caption only when it differs, then the count's text (the all-text for 0)
// with the count as its data.
void SetTagListItem(QTreeWidgetItem& item, const std::string& name, uint32_t count);
// The name of a row: its caption up to its first comma.
std::string TagListItemName(const QTreeWidgetItem& item);
// The count of a row: the number kept with its count text, 0 when there is none.
uint32_t TagListItemCount(const QTreeWidgetItem& item);
// The count as a row shows it.
std::string TagCountText(uint32_t count);

// The list takes the rows of `view`, each row's whole caption as the name.
void AssignFromListView(TTagsCommaList& list, const TTagListView& view);
// The rows of `view` become the list's definitions, in the list's order.
void AssignToListView(const TTagsCommaList& list, TTagListView& view);

}  // namespace quorvane
