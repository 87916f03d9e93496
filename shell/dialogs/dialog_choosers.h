#pragma once

// The choosers the dialogs open on the user's behalf: the colour chooser and
// the file dialogs. They sit behind this interface so that tests can answer
// them without blocking.
//
// Colours are the model's 24-bit values, red in the low byte. File paths are
// UTF-8. An empty optional means the user cancelled.

#include <QString>
#include <optional>
#include <string>

#include "base/colour.h"

class QWidget;

namespace plenvista {

class DialogChoosers {
 public:
  virtual ~DialogChoosers() = default;
  // The colour chooser opened on `current`.
  virtual std::optional<Colour> choose_colour(QWidget* owner, Colour current) = 0;
  // An existing file, through an open-file dialog with `filter`
  // ("x Files (*.x);;All Files (*.*)"); the chosen full path.
  virtual std::optional<std::string> choose_open_file(QWidget* owner, const QString& filter) = 0;
  // A file to write, through a save-file dialog with `filter`, starting at
  // `initial` (may be empty); `suffix` is added to a name that has none.
  virtual std::optional<std::string> choose_save_file(QWidget* owner, const QString& filter, const QString& suffix,
                                                      const std::string& initial) = 0;
};

// The platform's colour and file dialogs.
class QtDialogChoosers : public DialogChoosers {
 public:
  std::optional<Colour> choose_colour(QWidget* owner, Colour current) override;
  std::optional<std::string> choose_open_file(QWidget* owner, const QString& filter) override;
  std::optional<std::string> choose_save_file(QWidget* owner, const QString& filter, const QString& suffix,
                                              const std::string& initial) override;
};

}  // namespace plenvista
