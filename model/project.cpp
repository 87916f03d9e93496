#include "model/project.h"

#include <algorithm>

#include "base/text.h"
#include "model/layers_materials.h"
#include "model/mirror.h"

namespace plenvista {

namespace {
constexpr std::size_t kPathPartLimit = 1023;
}

Project::Project(SettingsStore& store, Notifier& notify, MessageSink& sink)
    : settings(store), notifier(notify), messages(sink) {
  apply_defaults();
  load_preferences();
}

void Project::apply_defaults() {
  if (Layer* layer = add_layer(*this, "Default Layer", 0xFF0000)) model.visible_layers.insert(layer);
  model.current_layer = model.layers.first();
  if (Material* material = add_material(*this, "Default Material")) {
    material->face_colour = 0xC0C0C0;
    material->specular_colour = 0x010101;
    material->emissive_colour = 0x4C4C4C;
    material->attribute = 0.0;
    model.visible_materials.insert(material);
  }
  model.current_material = model.materials.first();
  model.transform = ProjectTransform{0, {}, 4.0, 1.0, MirrorPlane::None};
  rebuild_mirror_lists(model);
  model.show_mirror_points = 0;
  changed_ = true;
  post(Notification::ImagesChanged);
}

void Project::load_preferences() {
  model.face_line_colour = static_cast<Colour>(settings.read_int("ColourFaceLine", 0));
  model.mirror_face_line_colour = static_cast<Colour>(settings.read_int("ColourMirrorLine", 0));
  model.reference_point_colour = static_cast<Colour>(settings.read_int("ColourCalPoint", 0));
  model.image_directories = settings.read_text("MainDirs").value_or(".;");
}

void Project::new_project() {
  single_selected = nullptr;
  model.clear();
  image_set = std::make_unique<ImageSet>();
  path.reset();
  directory.clear();
  file_name.clear();
  camera_file_name.reset();
  camera_file_path.reset();
  undo.reset_baseline(model);
  rebuild_mirror_lists(model);
  apply_defaults();
  load_preferences();
  post(Notification::ImagesChanged);
  changed_ = true;
  modified = false;
}

void Project::set_path(const std::string& new_path) {
  path = new_path;
  const std::size_t sep = last_separator(new_path);
  if (sep == std::string::npos) {
    file_name = new_path.substr(0, kPathPartLimit);
    return;
  }
  directory = new_path.substr(0, std::min(sep + 1, kPathPartLimit));
  file_name = new_path.substr(sep + 1, kPathPartLimit);
}

void Project::note_change() {
  if (!changed_) return;
  modified = true;
  refresh_single_selection();
  post(Notification::ModelChanged);
  changed_ = false;
}

bool Project::has_ids_for(std::int64_t count) {
  if (model.ids_left() >= count) return true;
  messages.show(kOutOfIdsMessage, "Error");
  return false;
}

void Project::refresh_single_selection() {
  ModelPoint* only = nullptr;
  int selected = 0;
  for (ModelPoint* p : model.points) {
    if (p->selected) {
      ++selected;
      only = p;
    }
  }
  if (selected == 1) {
    single_selected = only;
    const Vec3 t = transformed(only->position(), model.transform);
    single_selected_transformed.id = only->id;
    single_selected_transformed.x = t.x;
    single_selected_transformed.y = t.y;
    single_selected_transformed.z = t.z;
    single_selected_transformed.layer = only->layer;
    post(Notification::SelectionChanged, 1);
  } else {
    single_selected = nullptr;
    post(Notification::SelectionChanged, 0);
  }
}

void Project::clear_selection() {
  for (ModelPoint* p : model.points) {
    p->selected = false;
    p->picked_for_face = false;
  }
  post(Notification::SelectionChanged, 0);
  changed_ = true;
}

void Project::toggle_selection(int slot) {
  if (ModelPoint* p = model.points.at(slot)) {
    p->selected = !p->selected;
    changed_ = true;
  }
}

void Project::set_selection(int slot, bool value) {
  if (ModelPoint* p = model.points.at(slot)) {
    p->selected = value;
    changed_ = true;
  }
}

}  // namespace plenvista
