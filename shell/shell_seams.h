#pragma once

// The main window reaches the user's choices and the project file through
// these small interfaces, so that the real dialogs can be replaced by
// scripted answers when the window runs headless under test.
//
// FileChooser: open and save file dialogs for any kind of file, and the
// project file dialogs built on them. A filter is Qt's filter text
// ("cal Files (*.cal);;All Files (*.*)"); the save dialog starts from
// `initial` (may be empty) and adds `default_suffix` (no dot) to a chosen
// name that has none. Paths are UTF-8; an empty optional means the user
// cancelled.
// QuestionAsker: message boxes; `ask` returns the button chosen (Cancel or
// No when the box is closed without a choice); `choose` shows buttons with
// the given labels, left to right, and returns the index of the one chosen
// (-1 when the box is closed without a choice).
// ProjectFiles: reading and writing the project at its current path; open
// returns what became of it and save whether it succeeded, and each reports
// its own messages through the project's message sink. An empty function means the
// operation is not available in this build.

#include <QMessageBox>
#include <QString>
#include <QStringList>
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
  virtual std::optional<std::string> open_file(QWidget* owner, const QString& filter) = 0;
  virtual std::optional<std::string> save_file(QWidget* owner, const QString& filter, const QString& default_suffix,
                                               const std::string& initial) = 0;

  // The project file to open ("op2 Files (*.op2)" and "All Files (*.*)").
  std::optional<std::string> choose_open(QWidget* owner) { return open_file(owner, project_filter()); }
  // The project file to save as; "op2" is the default extension.
  std::optional<std::string> choose_save(QWidget* owner, const std::string& initial) {
    return save_file(owner, project_filter(), QStringLiteral("op2"), initial);
  }

 private:
  static QString project_filter() { return QStringLiteral("op2 Files (*.op2);;All Files (*.*)"); }
};

class QuestionAsker {
 public:
  virtual ~QuestionAsker() = default;
  virtual QMessageBox::StandardButton ask(QWidget* owner, const QString& text, const QString& caption,
                                          QMessageBox::StandardButtons buttons, QMessageBox::Icon icon) = 0;
  virtual int choose(QWidget* owner, const QString& text, const QString& caption, const QStringList& labels,
                     QMessageBox::Icon icon) = 0;
  virtual void tell(QWidget* owner, const QString& text, const QString& caption) = 0;
};

struct ProjectFiles {
  std::function<OpenResult(Project&)> open;
  std::function<bool(Project&)> save;
};

}  // namespace plenvista
