#pragma once

// LayerMaterialPanel: the lower tab control on the left of the main window,
// with the pages "Vertex" and "Face". The page shown sets the project's
// point mode (1 on "Vertex", 0 on "Face"), which decides whether the edit
// commands act on points or on faces. The pages are empty until the layer
// and material lists are added to them.

#include <QTabWidget>

namespace plenvista {

struct Project;

class LayerMaterialPanel : public QTabWidget {
 public:
  LayerMaterialPanel(Project& project, QWidget* parent);

  QWidget* vertex_page() const { return vertex_page_; }
  QWidget* face_page() const { return face_page_; }

 private:
  Project& project_;
  QWidget* vertex_page_;
  QWidget* face_page_;
};

}  // namespace plenvista
