#include "shell/panels/layer_material_panel.h"

#include "model/project.h"

namespace plenvista {

LayerMaterialPanel::LayerMaterialPanel(Project& project, QWidget* parent)
    : QTabWidget(parent), project_(project), vertex_page_(new QWidget), face_page_(new QWidget) {
  setObjectName(QStringLiteral("CVertexTabCtrl"));
  addTab(vertex_page_, QStringLiteral("Vertex"));
  addTab(face_page_, QStringLiteral("Face"));
  connect(this, &QTabWidget::currentChanged, this, [this](int index) { project_.point_mode = index == 0 ? 1 : 0; });
}

}  // namespace plenvista
