#include "shell/dialogs/dialog_choosers.h"

#include <QColorDialog>

#include "shell/dialogs/colour_field.h"

namespace plenvista {

std::optional<Colour> QtDialogChoosers::choose_colour(QWidget* owner, Colour current) {
  const QColor chosen = QColorDialog::getColor(to_qcolor(current), owner);
  if (!chosen.isValid()) return std::nullopt;
  return from_qcolor(chosen);
}

}  // namespace plenvista
