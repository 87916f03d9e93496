#include "shell/toolbar_icons.h"

#include <QPainter>
#include <QPainterPath>
#include <QTransform>
#include <array>
#include <cstring>

namespace plenvista {

namespace {

struct Drawn {
  int id;
  const char* theme;  // nullptr: always drawn
  QColor colour;
  const char* glyph;  // one or two letters, or "" for a drawn symbol
};

// Button ids with their theme names, colours and glyphs.
const std::array<Drawn, 22> kButtons{{
    {32797, "document-new", QColor(255, 255, 255), ""},
    {32798, "document-open", QColor(230, 180, 60), ""},
    {32799, "document-save", QColor(60, 90, 170), ""},
    {32800, "edit-undo", QColor(40, 130, 60), ""},
    {32801, "edit-redo", QColor(40, 130, 60), ""},
    {32802, "edit-delete", QColor(200, 40, 40), ""},
    {32803, nullptr, QColor(90, 60, 160), "T"},
    {32804, nullptr, QColor(190, 120, 30), "M"},
    {32805, nullptr, QColor(30, 130, 150), "L"},
    {32806, nullptr, QColor(150, 90, 20), "SM"},
    {32807, nullptr, QColor(20, 100, 120), "SL"},
    {32808, nullptr, QColor(120, 40, 120), "|"},
    {32809, nullptr, QColor(150, 100, 60), "Tx"},
    {32810, nullptr, QColor(0, 0, 0), ""},
    {32811, nullptr, QColor(0, 0, 0), ""},
    {32812, nullptr, QColor(30, 80, 200), "="},
    {32813, nullptr, QColor(30, 150, 30), "+"},
    {32814, nullptr, QColor(200, 40, 40), "-"},
    {32815, nullptr, QColor(80, 80, 80), ""},
    {32816, nullptr, QColor(80, 80, 80), ""},
    {32817, "camera-photo", QColor(60, 60, 60), ""},
    {32818, "document-export", QColor(40, 120, 40), ""},
}};

const Drawn* find_button(int id) {
  for (const Drawn& d : kButtons)
    if (d.id == id) return &d;
  return nullptr;
}

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

void draw_symbol(QPainter& p, int id, const QColor& c) {
  const QPen outline(QColor(40, 40, 40), 1);
  switch (id) {
    case 32797:  // a sheet with a folded corner
      p.setPen(outline);
      p.setBrush(c);
      p.drawPolygon(QPolygon({QPoint(3, 1), QPoint(10, 1), QPoint(13, 4), QPoint(13, 14), QPoint(3, 14)}));
      p.drawLine(10, 1, 10, 4);
      p.drawLine(10, 4, 13, 4);
      break;
    case 32798:  // an open folder
      p.setPen(outline);
      p.setBrush(c.darker(120));
      p.drawRect(1, 3, 12, 10);
      p.setBrush(c);
      p.drawPolygon(QPolygon({QPoint(3, 7), QPoint(15, 7), QPoint(13, 13), QPoint(1, 13)}));
      break;
    case 32799:  // a floppy disk
      p.setPen(outline);
      p.setBrush(c);
      p.drawRect(1, 1, 13, 13);
      p.setBrush(Qt::white);
      p.drawRect(4, 1, 7, 5);
      p.setBrush(QColor(200, 200, 200));
      p.drawRect(4, 9, 7, 5);
      break;
    case 32800:
    case 32801:
      draw_arrow(p, id == 32800, c);
      break;
    case 32802:  // a red cross
      p.setPen(QPen(c, 3, Qt::SolidLine, Qt::RoundCap));
      p.drawLine(3, 3, 12, 12);
      p.drawLine(12, 3, 3, 12);
      break;
    case 32810:  // a small square
      p.setPen(QPen(c, 1, Qt::DashLine));
      p.drawRect(5, 5, 5, 5);
      break;
    case 32811:  // a large square
      p.setPen(QPen(c, 1, Qt::DashLine));
      p.drawRect(1, 1, 13, 13);
      break;
    case 32815:  // one pane
      p.setPen(outline);
      p.setBrush(QColor(170, 200, 240));
      p.drawRect(1, 2, 13, 11);
      break;
    case 32816:  // a large pane and two small ones
      p.setPen(outline);
      p.setBrush(QColor(170, 200, 240));
      p.drawRect(1, 2, 8, 11);
      p.setBrush(QColor(230, 230, 230));
      p.drawRect(9, 2, 5, 5);
      p.drawRect(9, 8, 5, 5);
      break;
    case 32817:  // a camera
      p.setPen(outline);
      p.setBrush(c);
      p.drawRect(1, 4, 14, 9);
      p.drawRect(5, 2, 5, 2);
      p.setBrush(Qt::white);
      p.drawEllipse(5, 5, 6, 6);
      break;
    case 32818:  // a sheet with an arrow leaving it
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

QPixmap drawn_toolbar_image(int command_id) {
  const Drawn* d = find_button(command_id);
  if (d == nullptr) return {};
  QPixmap pixmap(16, 16);
  pixmap.fill(Qt::transparent);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  if (*d->glyph != '\0') {
    p.setPen(Qt::NoPen);
    p.setBrush(d->colour);
    p.drawRoundedRect(QRectF(0.5, 0.5, 15, 15), 3, 3);
    QFont font = p.font();
    font.setPixelSize(std::strlen(d->glyph) > 1 ? 9 : 12);
    font.setBold(true);
    p.setFont(font);
    p.setPen(Qt::white);
    p.drawText(QRect(0, 0, 16, 16), Qt::AlignCenter, QString::fromLatin1(d->glyph));
  } else {
    draw_symbol(p, command_id, d->colour);
  }
  return pixmap;
}

QIcon toolbar_icon(int command_id) {
  const Drawn* d = find_button(command_id);
  if (d == nullptr) return {};
  QIcon drawn(drawn_toolbar_image(command_id));
  if (d->theme == nullptr) return drawn;
  return QIcon::fromTheme(QString::fromLatin1(d->theme), drawn);
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
