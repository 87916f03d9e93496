#include "shell/dialogs/colour_field.h"

#include <QPainter>
#include <QPushButton>

#include "shell/dialogs/dialog_choosers.h"

namespace plenvista {

QColor to_qcolor(Colour colour) { return QColor(red_of(colour), green_of(colour), blue_of(colour)); }

Colour from_qcolor(const QColor& colour) {
  return make_colour(static_cast<std::uint8_t>(colour.red()), static_cast<std::uint8_t>(colour.green()),
                     static_cast<std::uint8_t>(colour.blue()));
}

ColourSwatch::ColourSwatch(const Colour& colour, QWidget* parent) : QFrame(parent), colour_(colour) {
  setFrameStyle(QFrame::Box | QFrame::Plain);
  setMinimumSize(40, 18);
}

void ColourSwatch::paintEvent(QPaintEvent* event) {
  QPainter(this).fillRect(contentsRect(), to_qcolor(colour_));
  QFrame::paintEvent(event);
}

ColourField::ColourField(const QString& text, Colour& colour, DialogChoosers& choosers, QWidget* parent)
    : button_(new QPushButton(text, parent)), swatch_(new ColourSwatch(colour, parent)) {
  QObject::connect(button_, &QPushButton::clicked, parent, [&colour, &choosers, parent, swatch = swatch_] {
    if (const auto chosen = choosers.choose_colour(parent, colour)) {
      colour = *chosen;
      swatch->update();
    }
  });
}

}  // namespace plenvista
