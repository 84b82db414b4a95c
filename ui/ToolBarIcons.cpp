#include "ui/ToolBarIcons.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPainterPath>
#include <QPalette>
#include <QPixmap>
#include <QStyle>
#include <functional>

namespace quorvane {

namespace {

constexpr int kSize = 22;

// The lines of the drawings: dark on a light tool bar, light on a dark one.
QColor Outline() {
  return QGuiApplication::palette().color(QPalette::Button).lightness() < 128
             ? QColor(215, 215, 215)
             : QColor(0x28, 0x28, 0x28);
}

QIcon Drawn(const std::function<void(QPainter&)>& draw) {
  QPixmap pixmap(kSize, kSize);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(QPen(Outline(), 1.4));
  draw(painter);
  painter.end();
  return QIcon(pixmap);
}

void Page(QPainter& p, const QRectF& r) {
  p.setBrush(Qt::white);
  p.drawRect(r);
  for (qreal y = r.top() + 3; y < r.bottom() - 1; y += 3) {
    p.drawLine(QPointF(r.left() + 2, y), QPointF(r.right() - 2, y));
  }
}

void Magnifier(QPainter& p) {
  p.setBrush(QColor(200, 225, 250));
  p.drawEllipse(QPointF(9, 9), 5.5, 5.5);
  p.setPen(QPen(Outline(), 3, Qt::SolidLine, Qt::RoundCap));
  p.drawLine(QPointF(13, 13), QPointF(19, 19));
}

void Arrow(QPainter& p, bool left) {
  QPainterPath path;
  const qreal dir = left ? 1 : -1;
  const qreal x0 = left ? 4 : 18;
  path.moveTo(x0 + dir * 14, 16);
  path.cubicTo(x0 + dir * 14, 6, x0 + dir * 6, 6, x0 + dir * 3, 9);
  p.setBrush(Qt::NoBrush);
  p.setPen(QPen(QColor(30, 90, 170), 2.2, Qt::SolidLine, Qt::RoundCap));
  p.drawPath(path);
  p.setBrush(QColor(30, 90, 170));
  p.setPen(Qt::NoPen);
  const QPointF tip(x0, 9);
  p.drawPolygon(QPolygonF({tip, QPointF(x0 + dir * 6, 4), QPointF(x0 + dir * 6, 13)}));
}

QIcon DrawnIcon(TToolIcon icon) {
  switch (icon) {
    case TToolIcon::New:
      return Drawn([](QPainter& p) { Page(p, QRectF(5, 2, 12, 17)); });
    case TToolIcon::Open:
      return Drawn([](QPainter& p) {
        p.setBrush(QColor(240, 200, 90));
        p.drawRect(QRectF(2, 6, 18, 12));
        p.drawRect(QRectF(2, 4, 7, 2));
      });
    case TToolIcon::SaveAs:
      return Drawn([](QPainter& p) {
        p.setBrush(QColor(70, 110, 180));
        p.drawRect(QRectF(3, 3, 16, 16));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(6, 3, 10, 6));
        p.drawRect(QRectF(6, 12, 10, 7));
      });
    case TToolIcon::Compress:
      return Drawn([](QPainter& p) {
        p.setBrush(QColor(40, 140, 60));
        p.setPen(Qt::NoPen);
        p.drawPolygon(QPolygonF({QPointF(2, 5), QPointF(9, 11), QPointF(2, 17)}));
        p.drawPolygon(QPolygonF({QPointF(20, 5), QPointF(13, 11), QPointF(20, 17)}));
        p.setPen(QPen(Outline(), 1.6));
        p.drawLine(QPointF(11, 3), QPointF(11, 19));
      });
    case TToolIcon::Copy:
      return Drawn([](QPainter& p) {
        Page(p, QRectF(3, 2, 10, 13));
        Page(p, QRectF(9, 7, 10, 13));
      });
    case TToolIcon::Paste:
      return Drawn([](QPainter& p) {
        p.setBrush(QColor(190, 140, 80));
        p.drawRect(QRectF(3, 4, 14, 16));
        p.setBrush(QColor(120, 120, 120));
        p.drawRect(QRectF(7, 2, 6, 4));
        Page(p, QRectF(9, 9, 10, 11));
      });
    case TToolIcon::Cut:
      return Drawn([](QPainter& p) {
        p.setPen(QPen(Outline(), 1.8));
        p.drawLine(QPointF(6, 2), QPointF(15, 14));
        p.drawLine(QPointF(16, 2), QPointF(7, 14));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QPointF(6, 17), 3, 3);
        p.drawEllipse(QPointF(16, 17), 3, 3);
      });
    case TToolIcon::Undo:
      return Drawn([](QPainter& p) { Arrow(p, true); });
    case TToolIcon::Redo:
      return Drawn([](QPainter& p) { Arrow(p, false); });
    case TToolIcon::Search:
      return Drawn([](QPainter& p) { Magnifier(p); });
    case TToolIcon::SearchContinue:
      return Drawn([](QPainter& p) {
        Magnifier(p);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(40, 140, 60));
        p.drawPolygon(QPolygonF({QPointF(14, 2), QPointF(21, 6), QPointF(14, 10)}));
      });
  }
  return {};
}

const char* ThemeName(TToolIcon icon) {
  switch (icon) {
    case TToolIcon::New:
      return "document-new";
    case TToolIcon::Open:
      return "document-open";
    case TToolIcon::SaveAs:
      return "document-save-as";
    case TToolIcon::Compress:
      return nullptr;  // no theme has a fitting one
    case TToolIcon::Copy:
      return "edit-copy";
    case TToolIcon::Paste:
      return "edit-paste";
    case TToolIcon::Cut:
      return "edit-cut";
    case TToolIcon::Undo:
      return "edit-undo";
    case TToolIcon::Redo:
      return "edit-redo";
    case TToolIcon::Search:
      return "edit-find";
    case TToolIcon::SearchContinue:
      return "go-down-search";
  }
  return nullptr;
}

}  // namespace

QIcon ToolBarIcon(TToolIcon icon, const QStyle* style) {
  QIcon fallback;
  if (style != nullptr) {
    switch (icon) {
      case TToolIcon::New:
        fallback = style->standardIcon(QStyle::SP_FileIcon);
        break;
      case TToolIcon::Open:
        fallback = style->standardIcon(QStyle::SP_DialogOpenButton);
        break;
      case TToolIcon::SaveAs:
        fallback = style->standardIcon(QStyle::SP_DialogSaveButton);
        break;
      default:
        break;
    }
  }
  if (fallback.isNull()) {
    fallback = DrawnIcon(icon);
  }
  const char* name = ThemeName(icon);
  return name != nullptr ? QIcon::fromTheme(name, fallback) : fallback;
}

}  // namespace quorvane
