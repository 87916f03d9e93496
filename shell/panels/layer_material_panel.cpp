#include "shell/panels/layer_material_panel.h"

#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QVBoxLayout>

#include "base/text.h"
#include "model/layers_materials.h"
#include "model/project.h"
#include "shell/panels/list_refill.h"

namespace plenvista {

namespace {

// One page: a label and drop-down list above a label and check list.
void lay_out_page(QWidget* page, const QString& default_label, QComboBox* combo, const QString& active_label,
                  QListWidget* list) {
  auto* layout = new QVBoxLayout(page);
  layout->setContentsMargins(4, 4, 4, 4);
  layout->setSpacing(2);
  layout->addWidget(new QLabel(default_label, page));
  layout->addWidget(combo);
  layout->addWidget(new QLabel(active_label, page));
  layout->addWidget(list, 1);
}

QString name_of(const StoredText& name) {
  const std::string_view text = shown(name);
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// Check marks by position for the records of `visible`, found by id.
template <class T>
std::vector<bool> visible_marks(const IdList<T>& all, const IdList<T>& visible) {
  std::vector<bool> marks(static_cast<std::size_t>(all.count()), false);
  for (const T* record : visible) {
    const IdLookup found = all.lookup(record->id);
    if (found.found()) marks[static_cast<std::size_t>(found.slot)] = true;
  }
  return marks;
}

// The check marks of a list's items, by row.
std::vector<bool> checked_rows(const QListWidget& list) {
  std::vector<bool> checked(static_cast<std::size_t>(list.count()));
  for (int row = 0; row < list.count(); ++row)
    checked[static_cast<std::size_t>(row)] = list.item(row)->checkState() == Qt::Checked;
  return checked;
}

}  // namespace

LayerMaterialPanel::LayerMaterialPanel(Project& project, QWidget* parent)
    : QTabWidget(parent),
      project_(project),
      vertex_page_(new QWidget),
      face_page_(new QWidget),
      default_layer_(new QComboBox(vertex_page_)),
      active_layers_(new QListWidget(vertex_page_)),
      default_material_(new QComboBox(face_page_)),
      active_materials_(new QListWidget(face_page_)) {
  setObjectName(QStringLiteral("CVertexTabCtrl"));
  lay_out_page(vertex_page_, QStringLiteral("Default Layer:"), default_layer_, QStringLiteral("Active Layer:"),
               active_layers_);
  lay_out_page(face_page_, QStringLiteral("Default Material:"), default_material_, QStringLiteral("Active Material:"),
               active_materials_);
  active_layers_->setUniformItemSizes(true);
  active_materials_->setUniformItemSizes(true);
  addTab(vertex_page_, QStringLiteral("Vertex"));
  addTab(face_page_, QStringLiteral("Face"));

  connect(this, &QTabWidget::currentChanged, this,
          [this](int index) { project_.point_mode = index == 0 ? PointMode::Points : PointMode::Faces; });
  connect(default_layer_, &QComboBox::currentIndexChanged, this, &LayerMaterialPanel::on_default_layer);
  connect(default_material_, &QComboBox::currentIndexChanged, this, &LayerMaterialPanel::on_default_material);
  connect(active_layers_, &QListWidget::itemChanged, this, &LayerMaterialPanel::on_active_layers);
  connect(active_materials_, &QListWidget::itemChanged, this, &LayerMaterialPanel::on_active_materials);
  refresh();
}

void LayerMaterialPanel::refresh() {
  refresh_layers();
  refresh_materials();
}

void LayerMaterialPanel::refresh_layers() {
  const ModelData& model = project_.model;
  QStringList names;
  names.reserve(model.layers.count());
  for (const Layer* layer : model.layers) names.push_back(name_of(layer->name));
  refill_combo(*default_layer_, names, model.current_layer ? model.layers.index_of(model.current_layer) : -1);
  refill_list(*active_layers_, names, visible_marks(model.layers, model.visible_layers));
}

void LayerMaterialPanel::refresh_materials() {
  const ModelData& model = project_.model;
  QStringList names;
  QStringList marked;
  names.reserve(model.materials.count());
  marked.reserve(model.materials.count());
  for (const Material* material : model.materials) {
    names.push_back(name_of(material->name));
    marked.push_back(material->texture_image ? names.back() + QStringLiteral(" *") : names.back());
  }
  refill_combo(*default_material_, names,
               model.current_material ? model.materials.index_of(model.current_material) : -1);
  const ProjectImage* current = project_.images().current;
  default_material_->setEnabled(!current || current->size_differs == 0);
  refill_list(*active_materials_, marked, visible_marks(model.materials, model.visible_materials));
}

void LayerMaterialPanel::on_default_layer(int index) {
  Layer* layer = project_.model.layers.at(index);
  if (!layer) return;
  set_current_layer(project_, *layer);
  project_.post(Notification::ImagesChanged);
  project_.note_change();
}

void LayerMaterialPanel::on_default_material(int index) {
  if (Material* material = project_.model.materials.at(index)) set_current_material(project_, *material);
}

void LayerMaterialPanel::on_active_layers() {
  if (set_visible_layers(project_, checked_rows(*active_layers_))) project_.note_change();
}

void LayerMaterialPanel::on_active_materials() {
  if (set_visible_materials(project_, checked_rows(*active_materials_))) project_.note_change();
}

}  // namespace plenvista
