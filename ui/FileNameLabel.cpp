#include "ui/FileNameLabel.h"

#include <QFontMetrics>

namespace quorvane {

namespace {
constexpr char kGap[] = "...";
}

TFileNameLabel::TFileNameLabel(QWidget* parent) : QLabel(parent) {
  setTextFormat(Qt::PlainText);
}

void TFileNameLabel::SetPath(const QString& path) {
  if (path == path_) {
    return;
  }
  path_ = path;
  setToolTip(path);
  UpdateText();
}

void TFileNameLabel::SetDoShortPath(bool value) {
  if (value != doShortPath_) {
    doShortPath_ = value;
    UpdateText();
  }
}

void TFileNameLabel::resizeEvent(QResizeEvent* event) {
  QLabel::resizeEvent(event);
  UpdateText();
}

void TFileNameLabel::UpdateText() {
  const QFontMetrics metrics(font());
  const int room = contentsRect().width();
  if (!doShortPath_ || metrics.horizontalAdvance(path_) <= room) {
    setText(path_);
    return;
  }
  const QStringList candidates = ShortPathCandidates(path_);
  for (const QString& candidate : candidates) {
    if (metrics.horizontalAdvance(candidate) <= room) {
      setText(candidate);
      return;
    }
  }
  // Even the file name alone is too wide: its end, which names the file, stays visible.
  setText(
      metrics.elidedText(candidates.isEmpty() ? path_ : candidates.last(), Qt::ElideLeft, room));
}

QStringList ShortPathCandidates(const QString& path) {
  const QStringList parts = path.split('/');
  // An absolute path keeps its root together with its first directory.
  const int first = parts.value(0).isEmpty() && parts.size() > 1 ? 1 : 0;
  const int fileIndex = static_cast<int>(parts.size()) - 1;
  const QString front = parts.mid(0, first + 1).join('/');
  QStringList candidates;
  // Directories between the first one and the file name go, front ones first.
  for (int from = first + 1; from < fileIndex; ++from) {
    candidates.append(front + '/' + kGap + '/' + parts.mid(from + 1).join('/'));
  }
  if (fileIndex > 0) {
    candidates.append(QString(kGap) + '/' + parts.last());
  }
  return candidates;
}

}  // namespace quorvane
