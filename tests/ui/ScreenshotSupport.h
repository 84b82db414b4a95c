#pragma once

// What the screenshot tools share: waiting for the picture to settle, and saving it.
#include <QApplication>
#include <QPixmap>
#include <QString>
#include <QThread>
#include <cstdio>

namespace quorvane::screenshot {

// Lets the windows lay themselves out and paint, popups and fonts included.
inline void Settle() {
  for (int i = 0; i < 20; ++i) {
    QApplication::processEvents();
    QThread::msleep(20);
  }
}

// Saves `picture` as a PNG file and says so.
inline bool Save(const QPixmap& picture, const QString& path) {
  const bool saved = picture.save(path, "PNG");
  std::fprintf(stderr, "%s %s\n", saved ? "wrote" : "could not write", qPrintable(path));
  return saved;
}

}  // namespace quorvane::screenshot
