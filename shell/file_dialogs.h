#pragma once

// FileDialogs: open and save file dialogs for any kind of file, behind an
// interface so that tests can script the choices. A filter is the Qt filter
// text ("cal Files (*.cal);;All Files (*.*)"); the save dialog adds
// `default_suffix` (without the dot) to a chosen name that has none and
// starts from `initial` (may be empty). Paths are UTF-8; an empty optional
// means the user cancelled.

#include <QString>
#include <optional>
#include <string>

class QWidget;

namespace plenvista {

class FileDialogs {
 public:
  virtual ~FileDialogs() = default;
  virtual std::optional<std::string> open_file(QWidget* owner, const QString& filter) = 0;
  virtual std::optional<std::string> save_file(QWidget* owner, const QString& filter, const QString& default_suffix,
                                               const std::string& initial) = 0;
};

class QtFileDialogs : public FileDialogs {
 public:
  std::optional<std::string> open_file(QWidget* owner, const QString& filter) override;
  std::optional<std::string> save_file(QWidget* owner, const QString& filter, const QString& default_suffix,
                                       const std::string& initial) override;
};

}  // namespace plenvista
