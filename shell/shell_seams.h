#pragma once

// The main window reaches the user's choices and the project file through
// these small interfaces, so that the real dialogs can be replaced by
// scripted answers when the window runs headless under test.
//
// FileChooser: the project file dialogs (filter "op2 Files (*.op2)" and
// "All Files (*.*)") and the open dialog for other files (photographs,
// camera files); an empty optional means the user cancelled.
// QuestionAsker: message boxes; `ask` returns the button chosen (Cancel or
// No when the box is closed without a choice).
// ProjectFiles: reading and writing the project at its current path; open
// returns what became of it and save whether it succeeded, and each reports
// its own messages through the project's message sink. An empty function means the
// operation is not available in this build.

#include <QMessageBox>
#include <QString>
#include <functional>
#include <optional>
#include <string>

#include "persistence/project_file.h"

class QWidget;

namespace plenvista {

struct Project;

class FileChooser {
 public:
  virtual ~FileChooser() = default;
  // The project file to open.
  virtual std::optional<std::string> choose_open(QWidget* owner) = 0;
  // The file to save as, starting from `initial` (may be empty); the
  // default extension "op2" is added when the chosen name has none.
  virtual std::optional<std::string> choose_save(QWidget* owner, const std::string& initial) = 0;
  // Any existing file, offered through one filter such as "bmp Files (*.bmp)".
  virtual std::optional<std::string> choose_file(QWidget* owner, const QString& filter) = 0;
};

class QuestionAsker {
 public:
  virtual ~QuestionAsker() = default;
  virtual QMessageBox::StandardButton ask(QWidget* owner, const QString& text, const QString& caption,
                                          QMessageBox::StandardButtons buttons, QMessageBox::Icon icon) = 0;
  virtual void tell(QWidget* owner, const QString& text, const QString& caption) = 0;
};

struct ProjectFiles {
  std::function<OpenResult(Project&)> open;
  std::function<bool(Project&)> save;
};

}  // namespace plenvista
