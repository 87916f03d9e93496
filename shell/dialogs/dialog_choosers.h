#pragma once

// The colour chooser the dialogs open on the user's behalf, behind an
// interface so that tests can answer it without blocking (file dialogs go
// through the shell's FileChooser).
//
// Colours are the model's 24-bit values, red in the low byte. An empty
// optional means the user cancelled.

#include <optional>

#include "base/colour.h"

class QWidget;

namespace plenvista {

class DialogChoosers {
 public:
  virtual ~DialogChoosers() = default;
  // The colour chooser opened on `current`.
  virtual std::optional<Colour> choose_colour(QWidget* owner, Colour current) = 0;
};

// The platform's colour dialog.
class QtDialogChoosers : public DialogChoosers {
 public:
  std::optional<Colour> choose_colour(QWidget* owner, Colour current) override;
};

}  // namespace plenvista
