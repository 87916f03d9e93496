#pragma once

// Adding, removing and reordering the photographs of a project.

#include <memory>

#include "model/project.h"

namespace plenvista {

// Inserts a new image (it gets a new id, the camera and the camera's image
// centre); the only image becomes current and sets `changed`. Posts
// ImagesChanged. Whether the photograph matches the camera's native size is
// the caller's next question (matches_native_size). Null, nothing changed,
// when the project has no id left (Project::has_ids_for).
ProjectImage* add_image(Project& project, std::unique_ptr<ProjectImage> image);

// Refused (false) when there is no current image or a material uses it as its
// texture. Otherwise images partnered with it become their own partners, it
// is removed, the first remaining image becomes current, ImagesChanged is
// posted and the change noted. Returns true.
bool remove_current_image(Project& project);

// The first image in list order whose `marks_changed` is set and which has
// more than 3 reference points, or null.
ProjectImage* first_image_ready_for_search(const ImageSet& images);

// The current image exchanges its id with its neighbour before (delta -1) or
// after (+1) it and the list is re-sorted; nothing for the first (last) one.
void move_current_image(ImageSet& images, int delta);

// Adds a reference point with a new id and sets the image's `marks_changed`;
// null when the project has no id left.
ReferencePoint* add_reference_point(Project& project, ProjectImage& image, const Vec3& world,
                                    const Point2& image_position);

// The image the image view shows and the image list's choice addresses: the
// current image, or its partner while partner mode is on (null when there is
// none).
ProjectImage* displayed_image(const ImageSet& images);

// Clears an image's picks and selections: its reference points are
// deselected, every model point loses its selected and picked-for-face flags
// and the image's face pick list empties. Nothing saved changes, so the
// project is not marked changed.
void clear_picks_and_selections(Project& project, ProjectImage& image);

// Gives every image the camera and its image centre.
void attach_camera_to_images(ImageSet& images);

}  // namespace plenvista
