#include "shell/toolbar_icons.h"

#include <QPainter>
#include <QPainterPath>
#include <QTransform>
#include <array>
#include <cstring>

namespace plenvista {

namespace {

struct Drawn {
  CommandId id;
  const char* theme;  // nullptr: always drawn
  QColor colour;
  const char* glyph;  // one or two letters, or "" for a drawn symbol
};

// Button ids with their theme names, colours and glyphs.
const std::array<Drawn, 22> kButtons{{
    {CommandId::ToolNew, "document-new", QColor(255, 255, 255), ""},
    {CommandId::ToolOpen, "document-open", QColor(230, 180, 60), ""},
    {CommandId::ToolSave, "document-save", QColor(60, 90, 170), ""},
    {CommandId::ToolUndo, "edit-undo", QColor(40, 130, 60), ""},
    {CommandId::ToolRedo, "edit-redo", QColor(40, 130, 60), ""},
    {CommandId::ToolDelete, "edit-delete", QColor(200, 40, 40), ""},
    {CommandId::ToolTranslations, nullptr, QColor(90, 60, 160), "T"},
    {CommandId::ToolMaterials, nullptr, QColor(190, 120, 30), "M"},
    {CommandId::ToolLayers, nullptr, QColor(30, 130, 150), "L"},
    {CommandId::ToolSetMaterial, nullptr, QColor(150, 90, 20), "SM"},
    {CommandId::ToolSetLayer, nullptr, QColor(20, 100, 120), "SL"},
    {CommandId::ToolCommitMirror, nullptr, QColor(120, 40, 120), "|"},
    {CommandId::ToolApplyTexture, nullptr, QColor(150, 100, 60), "Tx"},
    {CommandId::ToolSmallSelection, nullptr, QColor(0, 0, 0), ""},
    {CommandId::ToolLargeSelection, nullptr, QColor(0, 0, 0), ""},
    {CommandId::ToolNewSelection, nullptr, QColor(30, 80, 200), "="},
    {CommandId::ToolAddToSelection, nullptr, QColor(30, 150, 30), "+"},
    {CommandId::ToolRemoveFromSelection, nullptr, QColor(200, 40, 40), "-"},
    {CommandId::ToolTabbedDisplay, nullptr, QColor(80, 80, 80), ""},
    {CommandId::ToolMixedDisplay, nullptr, QColor(80, 80, 80), ""},
    {CommandId::ToolCameraEditor, "camera-photo", QColor(60, 60, 60), ""},
    {CommandId::ToolExport, "document-export", QColor(40, 120, 40), ""},
}};

const Drawn* find_button(CommandId id) {
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

void draw_symbol(QPainter& p, CommandId id, const QColor& c) {
  const QPen outline(QColor(40, 40, 40), 1);
  switch (id) {
    case CommandId::ToolNew:  // a sheet with a folded corner
      p.setPen(outline);
      p.setBrush(c);
      p.drawPolygon(QPolygon({QPoint(3, 1), QPoint(10, 1), QPoint(13, 4), QPoint(13, 14), QPoint(3, 14)}));
      p.drawLine(10, 1, 10, 4);
      p.drawLine(10, 4, 13, 4);
      break;
    case CommandId::ToolOpen:  // an open folder
      p.setPen(outline);
      p.setBrush(c.darker(120));
      p.drawRect(1, 3, 12, 10);
      p.setBrush(c);
      p.drawPolygon(QPolygon({QPoint(3, 7), QPoint(15, 7), QPoint(13, 13), QPoint(1, 13)}));
      break;
    case CommandId::ToolSave:  // a floppy disk
      p.setPen(outline);
      p.setBrush(c);
      p.drawRect(1, 1, 13, 13);
      p.setBrush(Qt::white);
      p.drawRect(4, 1, 7, 5);
      p.setBrush(QColor(200, 200, 200));
      p.drawRect(4, 9, 7, 5);
      break;
    case CommandId::ToolUndo:
    case CommandId::ToolRedo:
      draw_arrow(p, id == CommandId::ToolUndo, c);
      break;
    case CommandId::ToolDelete:  // a red cross
      p.setPen(QPen(c, 3, Qt::SolidLine, Qt::RoundCap));
      p.drawLine(3, 3, 12, 12);
      p.drawLine(12, 3, 3, 12);
      break;
    case CommandId::ToolSmallSelection:  // a small square
      p.setPen(QPen(c, 1, Qt::DashLine));
      p.drawRect(5, 5, 5, 5);
      break;
    case CommandId::ToolLargeSelection:  // a large square
      p.setPen(QPen(c, 1, Qt::DashLine));
      p.drawRect(1, 1, 13, 13);
      break;
    case CommandId::ToolTabbedDisplay:  // one pane
      p.setPen(outline);
      p.setBrush(QColor(170, 200, 240));
      p.drawRect(1, 2, 13, 11);
      break;
    case CommandId::ToolMixedDisplay:  // a large pane and two small ones
      p.setPen(outline);
      p.setBrush(QColor(170, 200, 240));
      p.drawRect(1, 2, 8, 11);
      p.setBrush(QColor(230, 230, 230));
      p.drawRect(9, 2, 5, 5);
      p.drawRect(9, 8, 5, 5);
      break;
    case CommandId::ToolCameraEditor:  // a camera
      p.setPen(outline);
      p.setBrush(c);
      p.drawRect(1, 4, 14, 9);
      p.drawRect(5, 2, 5, 2);
      p.setBrush(Qt::white);
      p.drawEllipse(5, 5, 6, 6);
      break;
    case CommandId::ToolExport:  // a sheet with an arrow leaving it
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

QPixmap drawn_toolbar_image(CommandId command_id) {
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

QIcon toolbar_icon(CommandId command_id) {
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
