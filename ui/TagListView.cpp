#include "ui/TagListView.h"

#include <QHeaderView>

#include "batch/UiText.h"
#include "engine/TagsCommaList.h"
#include "lang/Language.h"
#include "support/TextIds.h"

namespace quorvane {
namespace {

constexpr int kCountRole = Qt::UserRole;

// Byte order of the program's texts, as the captions were always compared.
int CompareBytes(const QString& a, const QString& b) {
  const int result = ProgramText(a).compare(ProgramText(b));
  return result < 0 ? -1 : (result > 0 ? 1 : 0);
}

}  // namespace

TTagListView::TTagListView(QWidget* parent) : QTreeWidget(parent) {
  setColumnCount(2);
  setRootIsDecorated(false);
  setItemsExpandable(false);
  setUniformRowHeights(true);
  setAllColumnsShowFocus(true);
  setSelectionMode(QAbstractItemView::ExtendedSelection);
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setSortingEnabled(false);
  header()->setSectionsClickable(true);
  header()->setSectionsMovable(false);
  header()->setSortIndicatorShown(true);
  header()->setSortIndicator(0, Qt::AscendingOrder);
  setColumnWidth(0, 100);
  setColumnWidth(1, 130);
}

void TTagListView::Sort() {
  const int column = Tag >= CountAscending ? 1 : 0;
  const bool descending = Tag == NameDescending || Tag == CountDescending;
  header()->setSortIndicator(column, descending ? Qt::DescendingOrder : Qt::AscendingOrder);
  // TTagListItem compares by the mode itself, so one ascending sort gives every order.
  sortItems(column, Qt::AscendingOrder);
}

int TTagListView::Compare(const QTreeWidgetItem& a, const QTreeWidgetItem& b) const {
  const int column = Tag >= CountAscending ? 1 : 0;
  const int result = CompareBytes(a.text(column), b.text(column));
  return Tag == NameDescending || Tag == CountDescending ? -result : result;
}

QTreeWidgetItem* TTagListView::AddRow() {
  auto* item = new TTagListItem(this);
  item->setText(1, QString());
  return item;
}

bool TTagListItem::operator<(const QTreeWidgetItem& other) const {
  const auto* view = qobject_cast<const TTagListView*>(treeWidget());
  if (view == nullptr) {
    return QTreeWidgetItem::operator<(other);
  }
  return view->Compare(*this, other) < 0;
}

std::string TagCountText(uint32_t count) {
  return count == 0 ? GetText(textid::kAllText) : std::to_string(count);
}

void SetTagListItem(QTreeWidgetItem& item, const std::string& name, uint32_t count) {
  const QString caption = UiText(name);
  if (item.text(0) != caption) {
    item.setText(0, caption);
  }
  item.setText(1, UiText(TagCountText(count)));
  item.setData(1, kCountRole, QVariant::fromValue<uint32_t>(count));
}

std::string TagListItemName(const QTreeWidgetItem& item) {
  return std::string(TagLineName(ProgramText(item.text(0))));
}

uint32_t TagListItemCount(const QTreeWidgetItem& item) {
  const QVariant count = item.data(1, kCountRole);
  return count.isValid() ? count.value<uint32_t>() : 0;
}

void AssignFromListView(TTagsCommaList& list, const TTagListView& view) {
  list.Clear();
  for (int row = 0; row < view.RowCount(); ++row) {
    const QTreeWidgetItem& item = *view.Row(row);
    list.Add(ProgramText(item.text(0)), TagListItemCount(item));
  }
}

void AssignToListView(const TTagsCommaList& list, TTagListView& view) {
  view.setUpdatesEnabled(false);
  view.clear();
  for (const TTagDefinition& definition : list.Definitions()) {
    SetTagListItem(*view.AddRow(), definition.Name, definition.MaxCount);
  }
  view.Sort();
  view.setUpdatesEnabled(true);
}

}  // namespace quorvane
