#pragma once

#include <QLabel>
#include <QString>
#include <QStringList>

namespace quorvane {

// A label that shows a path. In short-path mode a path too wide for the label loses
// directories from its middle, replaced by "...", until it fits; the first directory and the
// file name stay.
class TFileNameLabel : public QLabel {
  Q_OBJECT

 public:
  explicit TFileNameLabel(QWidget* parent = nullptr);

  void SetPath(const QString& path);
  const QString& Path() const { return path_; }
  void SetDoShortPath(bool value);
  bool DoShortPath() const { return doShortPath_; }

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  void UpdateText();

  QString path_;
  bool doShortPath_ = true;
};

// The shortened forms of `path`, longest first: each drops one more directory from the middle.
QStringList ShortPathCandidates(const QString& path);

}  // namespace quorvane
