#include "model/image_management.h"

#include <algorithm>
#include <utility>

namespace plenvista {

ProjectImage* add_image(Project& project, std::unique_ptr<ProjectImage> image) {
  if (!project.has_ids_for(1)) return nullptr;
  ImageSet& set = project.images();
  image->id = project.model.new_id();
  image->camera = &set.camera;
  image->centre_x = set.camera.centre_x;
  image->centre_y = set.camera.centre_y;
  ProjectImage* added = set.images.insert(std::move(image));
  if (set.images.count() == 1) {
    set.current = added;
    project.changed = true;
  }
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
  project.changed = true;
  project.note_change();
  return true;
}

ProjectImage* first_image_ready_for_search(const ImageSet& images) {
  for (ProjectImage* image : images.images)
    if (image->marks_changed == 1 && image->reference_points.count() > 3) return image;
  return nullptr;
}

void move_current_image(ImageSet& images, int delta) {
  const int slot = images.images.index_of(images.current);
  ProjectImage* neighbour = images.images.at(slot + delta);
  if (slot < 0 || !neighbour) return;
  std::swap(images.current->id, neighbour->id);
  images.images.sort_by_id();
}

ReferencePoint* add_reference_point(Project& project, ProjectImage& image, const Vec3& world,
                                    const Point2& image_position) {
  if (!project.has_ids_for(1)) return nullptr;
  auto point = std::make_unique<ReferencePoint>();
  point->id = project.model.new_id();
  point->world_position = world;
  point->image_position = image_position;
  image.marks_changed = 1;
  return image.reference_points.insert(std::move(point));
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
  image.picking.face_corners = {};
  image.picking.face_corner_count = 0;
}

void attach_camera_to_images(ImageSet& images) {
  for (ProjectImage* image : images.images) {
    image->camera = &images.camera;
    image->centre_x = images.camera.centre_x;
    image->centre_y = images.camera.centre_y;
  }
}

}  // namespace plenvista
