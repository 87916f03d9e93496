#pragma once

// Files dropped on the main window, sorted by what the window does with
// them, each list in the order dropped: the first project file (".op2") is
// opened, photographs (".bmp", ".jpg", ".jpeg", ".png", ".tif", ".tiff")
// are added, anything else (a further project, another kind of file, a
// folder) is refused. Extensions are compared without regard to case.

#include <QList>
#include <QUrl>
#include <optional>
#include <string>
#include <vector>

class QMimeData;

namespace plenvista {

struct DroppedFiles {
  std::optional<std::string> project;
  std::vector<std::string> photographs;
  std::vector<std::string> refused;
};

// Whether the drag carries local files (the window takes such a drag).
bool carries_files(const QMimeData& data);

DroppedFiles sort_dropped(const QList<QUrl>& urls);

// The message naming the refused files.
QString refused_drop_message(const std::vector<std::string>& refused);

}  // namespace plenvista
