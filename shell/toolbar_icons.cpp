#include "shell/toolbar_icons.h"

#include <QPainter>
#include <QPainterPath>
#include <QTransform>
#include <cstring>

namespace plenvista {

namespace {

void draw_arrow(QPainter& p, bool left, const QColor& c) {
  // A curved arrow pointing left; the right one is its mirror image.
  QPainterPath path;
  path.moveTo(2, 7);
  path.lineTo(7, 2);
  path.lineTo(7, 5);
  path.cubicTo(12, 5, 14, 8, 13, 13);
  path.cubicTo(12, 10, 10, 9, 7, 9);
  path.lineTo(7, 12);
  path.closeSubpath();
  if (!left) path = QTransform(-1, 0, 0, 1, 16, 0).map(path);
  p.fillPath(path, c);
}

void draw_symbol(QPainter& p, CommandId id, const QColor& c) {
  const QPen outline(QColor(40, 40, 40), 1);
  switch (id) {
    case CommandId::New:  // a sheet with a folded corner
      p.setPen(outline);
      p.setBrush(c);
      p.drawPolygon(QPolygon({QPoint(3, 1), QPoint(10, 1), QPoint(13, 4), QPoint(13, 14), QPoint(3, 14)}));
      p.drawLine(10, 1, 10, 4);
      p.drawLine(10, 4, 13, 4);
      break;
    case CommandId::Open:  // an open folder
      p.setPen(outline);
      p.setBrush(c.darker(120));
      p.drawRect(1, 3, 12, 10);
      p.setBrush(c);
      p.drawPolygon(QPolygon({QPoint(3, 7), QPoint(15, 7), QPoint(13, 13), QPoint(1, 13)}));
      break;
    case CommandId::Save:  // a floppy disk
      p.setPen(outline);
      p.setBrush(c);
      p.drawRect(1, 1, 13, 13);
      p.setBrush(Qt::white);
      p.drawRect(4, 1, 7, 5);
      p.setBrush(QColor(200, 200, 200));
      p.drawRect(4, 9, 7, 5);
      break;
    case CommandId::Undo:
    case CommandId::Redo:
      draw_arrow(p, id == CommandId::Undo, c);
      break;
    case CommandId::Delete:  // a red cross
      p.setPen(QPen(c, 3, Qt::SolidLine, Qt::RoundCap));
      p.drawLine(3, 3, 12, 12);
      p.drawLine(12, 3, 3, 12);
      break;
    case CommandId::SmallSelection:  // a small square
      p.setPen(QPen(c, 1, Qt::DashLine));
      p.drawRect(5, 5, 5, 5);
      break;
    case CommandId::LargeSelection:  // a large square
      p.setPen(QPen(c, 1, Qt::DashLine));
      p.drawRect(1, 1, 13, 13);
      break;
    case CommandId::TabbedDisplay:  // one pane
      p.setPen(outline);
      p.setBrush(QColor(170, 200, 240));
      p.drawRect(1, 2, 13, 11);
      break;
    case CommandId::MixedDisplay:  // a large pane and two small ones
      p.setPen(outline);
      p.setBrush(QColor(170, 200, 240));
      p.drawRect(1, 2, 8, 11);
      p.setBrush(QColor(230, 230, 230));
      p.drawRect(9, 2, 5, 5);
      p.drawRect(9, 8, 5, 5);
      break;
    case CommandId::CameraEditor:  // a camera
      p.setPen(outline);
      p.setBrush(c);
      p.drawRect(1, 4, 14, 9);
      p.drawRect(5, 2, 5, 2);
      p.setBrush(Qt::white);
      p.drawEllipse(5, 5, 6, 6);
      break;
    case CommandId::Export:  // a sheet with an arrow leaving it
      p.setPen(outline);
      p.setBrush(Qt::white);
      p.drawRect(1, 1, 9, 13);
      p.setPen(QPen(c, 2));
      p.drawLine(5, 8, 14, 8);
      p.drawLine(11, 5, 14, 8);
      p.drawLine(11, 11, 14, 8);
      break;
    default:
      break;
  }
}

}  // namespace

QPixmap drawn_toolbar_image(CommandId id, const ButtonImage& image) {
  const QColor colour = QColor::fromRgb(image.rgb);
  QPixmap pixmap(16, 16);
  pixmap.fill(Qt::transparent);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  if (*image.glyph != '\0') {
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    p.drawRoundedRect(QRectF(0.5, 0.5, 15, 15), 3, 3);
    QFont font = p.font();
    font.setPixelSize(std::strlen(image.glyph) > 1 ? 9 : 12);
    font.setBold(true);
    p.setFont(font);
    p.setPen(Qt::white);
    p.drawText(QRect(0, 0, 16, 16), Qt::AlignCenter, QString::fromLatin1(image.glyph));
  } else {
    draw_symbol(p, id, colour);
  }
  return pixmap;
}

QIcon toolbar_icon(CommandId id, const ButtonImage& image) {
  QIcon drawn(drawn_toolbar_image(id, image));
  if (image.theme == nullptr) return drawn;
  return QIcon::fromTheme(QString::fromLatin1(image.theme), drawn);
}

QIcon program_icon() {
  QPixmap pixmap(32, 32);
  pixmap.fill(Qt::transparent);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(QPen(QColor(30, 60, 120), 2));
  p.setBrush(QColor(170, 200, 240));
  p.drawPolygon(QPolygon({QPoint(4, 26), QPoint(16, 4), QPoint(28, 26)}));
  p.drawLine(16, 4, 16, 26);
  return QIcon(pixmap);
}

}  // namespace plenvista
