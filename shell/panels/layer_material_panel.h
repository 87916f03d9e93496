#pragma once

// LayerMaterialPanel: the lower tab control on the left of the main window.
//
// Page "Vertex": "Default Layer:" chooses the layer new points go into (the
// model's current layer); the "Active Layer:" check list shows every layer,
// checked when it is visible. Page "Face": the same for materials, where a
// material with a texture image is listed in the check list as its name
// followed by " *". "Default Material:" is disabled while the current
// image's photograph has another size than the camera's native one.
//
// The page shown sets the project's point mode (1 on "Vertex", 0 on "Face"),
// which decides whether the edit commands act on points or on faces.
//
// Choosing a default layer posts ImagesChanged and marks the project
// modified; choosing a default material does neither. Checking or
// unchecking an item rebuilds the visible list from the check marks, posts
// ImagesChanged and marks the project modified, except when nothing is left
// checked.
//
// refresh() refills all four lists from the model (on every ImagesChanged);
// refresh_layers() and refresh_materials() refill one page.

#include <QTabWidget>

class QComboBox;
class QListWidget;

namespace plenvista {

struct Project;

class LayerMaterialPanel : public QTabWidget {
 public:
  LayerMaterialPanel(Project& project, QWidget* parent);

  QWidget* vertex_page() const { return vertex_page_; }
  QWidget* face_page() const { return face_page_; }

  void refresh();
  void refresh_layers();
  void refresh_materials();

  QComboBox* default_layer() const { return default_layer_; }
  QListWidget* active_layers() const { return active_layers_; }
  QComboBox* default_material() const { return default_material_; }
  QListWidget* active_materials() const { return active_materials_; }

 private:
  void on_default_layer(int index);
  void on_default_material(int index);
  void on_active_layers();
  void on_active_materials();

  Project& project_;
  QWidget* vertex_page_;
  QWidget* face_page_;
  QComboBox* default_layer_;
  QListWidget* active_layers_;
  QComboBox* default_material_;
  QListWidget* active_materials_;
};

}  // namespace plenvista
