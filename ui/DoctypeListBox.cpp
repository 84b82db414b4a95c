#include "ui/DoctypeListBox.h"

#include <QDragEnterEvent>
#include <QDropEvent>

namespace quorvane {
namespace {

// Lines sort by their text without regard to case, as the document type lists always did.
class TDoctypeItem : public QListWidgetItem {
 public:
  using QListWidgetItem::QListWidgetItem;
  bool operator<(const QListWidgetItem& other) const override {
    const int order = text().compare(other.text(), Qt::CaseInsensitive);
    return order != 0 ? order < 0 : text() < other.text();
  }
};

}  // namespace

TDoctypeListBox::TDoctypeListBox(QWidget* parent) : QListWidget(parent) {
  setSortingEnabled(true);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setDragEnabled(true);
  setAcceptDrops(true);
  setDragDropMode(QAbstractItemView::DragDrop);
  setDefaultDropAction(Qt::MoveAction);
}

void TDoctypeListBox::AddType(const QString& description, int typeIndex) {
  auto item = std::make_unique<TDoctypeItem>(description);
  item->setData(Qt::UserRole, typeIndex);
  addItem(item.release());  // the list owns its items
}

int TDoctypeListBox::TypeIndexOf(const QListWidgetItem* item) {
  return item == nullptr ? -1 : item->data(Qt::UserRole).toInt();
}

QListWidgetItem* TDoctypeListBox::SelectedItem() const {
  const QList<QListWidgetItem*> selected = selectedItems();
  return selected.isEmpty() ? nullptr : selected.front();
}

bool TDoctypeListBox::Accepts(QDropEvent* event) {
  return DragOver && DragOver(event->source(), this);
}

void TDoctypeListBox::dragEnterEvent(QDragEnterEvent* event) {
  if (Accepts(event)) {
    event->acceptProposedAction();
  } else {
    event->ignore();
  }
}

void TDoctypeListBox::dragMoveEvent(QDragMoveEvent* event) {
  if (Accepts(event)) {
    event->acceptProposedAction();
  } else {
    event->ignore();
  }
}

void TDoctypeListBox::dropEvent(QDropEvent* event) {
  if (!Accepts(event)) {
    event->ignore();
    return;
  }
  if (DragDrop) {
    DragDrop(event->source());
  }
  // The owner has moved the line; a move action would make the source delete it once more.
  event->setDropAction(Qt::CopyAction);
  event->accept();
}

}  // namespace quorvane
