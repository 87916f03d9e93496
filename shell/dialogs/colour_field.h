#pragma once

// ColourField: a button that opens the colour chooser and the framed swatch
// beside it, filled with a colour of the caller's (a dialog's working copy,
// never the model's own value). A choice made with OK replaces that colour
// and repaints the swatch; Cancel leaves it. Colours are 24-bit values, red
// in the low byte; a value the user never changes is kept bit for bit.

#include <QColor>
#include <QFrame>
#include <QString>

#include "base/colour.h"

class QBoxLayout;
class QPushButton;

namespace plenvista {

class DialogChoosers;

QColor to_qcolor(Colour colour);
Colour from_qcolor(const QColor& colour);

// A framed area filled with one colour.
class ColourSwatch : public QFrame {
 public:
  ColourSwatch(const Colour& colour, QWidget* parent);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  const Colour& colour_;
};

class ColourField {
 public:
  // The button (labelled `text`) and the swatch are children of `parent`.
  ColourField(const QString& text, Colour& colour, DialogChoosers& choosers, QWidget* parent);

  QPushButton* button() const { return button_; }
  ColourSwatch* swatch() const { return swatch_; }

 private:
  QPushButton* button_;
  ColourSwatch* swatch_;
};

}  // namespace plenvista
