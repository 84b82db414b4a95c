#pragma once

#include <QListWidget>
#include <functional>

namespace quorvane {

// A sorted list of document types whose lines can be dragged onto another list. Whether a drop
// is accepted and what it does is left to the owner: the list itself moves nothing.
class TDoctypeListBox : public QListWidget {
  Q_OBJECT

 public:
  explicit TDoctypeListBox(QWidget* parent = nullptr);

  // Adds a line that sorts without regard to case and holds `typeIndex`.
  void AddType(const QString& description, int typeIndex);
  static int TypeIndexOf(const QListWidgetItem* item);
  // The selected line, or none.
  QListWidgetItem* SelectedItem() const;

  std::function<bool(QObject* source, QObject* target)> DragOver;
  std::function<void(QObject* source)> DragDrop;

 protected:
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  bool Accepts(QDropEvent* event);
};

}  // namespace quorvane
