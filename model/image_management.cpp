#include "model/image_management.h"

#include <algorithm>
#include <utility>

#include "model/edit_actions.h"
#include "model/project_edit.h"

namespace plenvista {

ProjectImage* add_image(Project& project, std::unique_ptr<ProjectImage> image) {
  if (!project.has_ids_for(1)) return nullptr;
  ImageSet& set = project.images();
  image->id = project.model.new_id();
  image->camera = &set.camera;
  image->centre_x = set.camera.centre_x;
  image->centre_y = set.camera.centre_y;
  ProjectImage* added = set.images.insert(std::move(image));
  if (set.images.count() == 1) set.current = added;
  ProjectEdit::mark_changed(project);
  project.post(Notification::ImagesChanged);
  return added;
}

bool remove_current_image(Project& project) {
  ImageSet& set = project.images();
  ProjectImage* current = set.current;
  if (!current) return false;
  const auto& materials = project.model.materials;
  if (std::any_of(materials.begin(), materials.end(), [&](const Material* m) { return m->texture_image == current; }))
    return false;
  for (ProjectImage* image : set.images)
    if (image->partner == current) image->partner = image;
  set.images.remove_at(set.images.index_of(current));
  set.current = set.images.first();
  project.post(Notification::ImagesChanged);
  ProjectEdit::mark_changed(project);
  project.note_change();
  return true;
}

ProjectImage* first_image_ready_for_search(const ImageSet& images) {
  for (ProjectImage* image : images.images)
    if (image->marks_changed == 1 && image->reference_points.count() > 3) return image;
  return nullptr;
}

void move_current_image(Project& project, int delta) {
  ImageSet& images = project.images();
  const int slot = images.images.index_of(images.current);
  ProjectImage* neighbour = images.images.at(slot + delta);
  if (slot < 0 || !neighbour) return;
  std::swap(images.current->id, neighbour->id);
  images.images.sort_by_id();
  ProjectEdit::mark_changed(project);
}

ReferencePoint* add_reference_point(Project& project, ProjectImage& image, const Vec3& world,
                                    const Point2& image_position, int control_point_id) {
  if (!project.has_ids_for(1)) return nullptr;
  auto point = std::make_unique<ReferencePoint>();
  point->id = project.model.new_id();
  point->world_position = world;
  point->image_position = image_position;
  const ControlPoint* control = project.model.control_points.find(control_point_id);
  if (control && control->position == world) point->control_point_id = control_point_id;
  image.marks_changed = 1;
  ProjectEdit::mark_changed(project);
  return image.reference_points.insert(std::move(point));
}

void apply_image_details(ProjectImage& image, const ImageDetails& details) {
  image.file_name = details.file_name;
  image.resolved_path = details.resolved_path;
  image.description = details.description;
  if (image.size_differs) {
    image.texture_centre_x = details.texture_centre.x;
    image.texture_centre_y = details.texture_centre.y;
    image.texture_scale = details.texture_scale;
  }
  if (details.pose) {
    image.pose = *details.pose;
    image.search_score = 100.0;
    image.marks_changed = 0;
    image.pose_known = 1;
  }
}

void set_image_details(Project& project, ProjectImage& image, const ImageDetails& details) {
  apply_image_details(image, details);
  ProjectEdit::mark_changed(project);
}

void set_reference_points_only(Project& project, bool only) {
  project.images().reference_points_only = only ? 1 : 0;
  ProjectEdit::mark_changed(project);
}

void record_search_results(Project& project) { ProjectEdit::mark_changed(project); }

void set_image_directories(Project& project, const std::string& directories) {
  project.model.image_directories = directories;
  ProjectEdit::mark_changed(project);
}

void set_partner(Project& project, ProjectImage& image, ProjectImage* partner) {
  if (image.partner == partner) return;
  image.partner = partner;
  ProjectEdit::mark_changed(project);
}

ProjectImage* displayed_image(const ImageSet& images) {
  if (!images.current) return nullptr;
  return images.partner_mode ? images.current->partner : images.current;
}

void clear_picks_and_selections(Project& project, ProjectImage& image) {
  for (ReferencePoint* mark : image.reference_points) mark->selected = 0;
  for (ModelPoint* point : project.model.points) {
    point->selected = 0;
    point->picked_for_face = 0;
  }
}

void select_reference_point(Project& project, ProjectImage& image, ReferencePoint* mark) {
  clear_picks_and_selections(project, image);
  if (mark) mark->selected = true;
  ProjectEdit::mark_changed(project);
}

void cancel_picks(Project& project, ProjectImage* image) {
  project.images().pending_world_position.reset();
  if (image) clear_picks_and_selections(project, *image);
  ProjectEdit::mark_changed(project);
}

void pick_face_corner(Project& project, FacePicks& picks, ModelPoint& point) {
  if (held_face_picks(project.model, picks) >= 3) return;
  picks.corners[static_cast<std::size_t>(picks.count++)] = point.id;
  point.picked_for_face = true;
  ProjectEdit::mark_changed(project);
}

ModelFace* add_picked_face(Project& project, ProjectImage& image, FacePicks& picks) {
  if (held_face_picks(project.model, picks) != 3) return nullptr;
  const IdList<ModelPoint>& points = project.model.points;
  ModelFace* face =
      add_face(project, *points.find(picks.corners[0]), *points.find(picks.corners[1]), *points.find(picks.corners[2]));
  picks = {};
  clear_picks_and_selections(project, image);
  ProjectEdit::mark_changed(project);
  return face;
}

void attach_camera_to_images(ImageSet& images) {
  for (ProjectImage* image : images.images) {
    image->camera = &images.camera;
    image->centre_x = images.camera.centre_x;
    image->centre_y = images.camera.centre_y;
  }
}

}  // namespace plenvista
