#pragma once

// ImageView: the main window's photograph view. This window holds its place
// in the main window's layout (client pixels, placed by the main window) and
// repaints on request; it draws an empty dark area until the photograph
// drawing and picking are added.

#include <QWidget>

namespace plenvista {

struct Project;

class ImageView : public QWidget {
 public:
  ImageView(Project& project, QWidget* parent);

  Project& project() { return project_; }

 private:
  Project& project_;
};

}  // namespace plenvista
