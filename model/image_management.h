#pragma once

// Adding, removing and reordering the photographs of a project.

#include <memory>
#include <optional>
#include <string>

#include "model/face_picks.h"
#include "model/project.h"

namespace plenvista {

// Inserts a new image (it gets a new id, the camera and the camera's image
// centre); the only image becomes current. Sets `changed` and posts
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
// after (+1) it and the list is re-sorted (`changed`); nothing for the first
// (last) one.
void move_current_image(Project& project, int delta);

// Adds a reference point with a new id and sets the image's `marks_changed`
// and the project's `changed`; null when the project has no id left. It
// names the control point `control_point_id` when that one lies at `world`.
ReferencePoint* add_reference_point(Project& project, ProjectImage& image, const Vec3& world,
                                    const Point2& image_position, int control_point_id = 0);

// What the Image dialog sets on a photograph: its file, description, the
// approximate centre (photograph pixels) and scale of a photograph whose
// size differs from the camera's (ignored otherwise), and a pose typed in
// by hand (offset in model units, rotation in degrees), which counts as
// found by a perfect search (score 100, pose known, marks unchanged).
struct ImageDetails {
  std::string file_name;
  std::string resolved_path;
  std::string description;
  Point2 texture_centre;
  double texture_scale = 1.0;
  std::optional<CameraPose> pose;
};

// Stores the details on an image not yet in the project.
void apply_image_details(ProjectImage& image, const ImageDetails& details);
// Stores the details on one of the project's images and sets `changed`.
void set_image_details(Project& project, ProjectImage& image, const ImageDetails& details);

// The ';'-separated directories photographs and the camera file are found
// along; sets `changed`.
void set_image_directories(Project& project, const std::string& directories);

// Makes `partner` (another of the project's images, or null for none) the
// image's partner, the photograph that SHIFT shows; sets `changed` when the
// partner differs.
void set_partner(Project& project, ProjectImage& image, ProjectImage* partner);

// "Reference Points Only" of the image list; sets `changed`.
void set_reference_points_only(Project& project, bool only);

// The camera searches (photogrammetry/) move the photographs' cameras and
// store their scores; the caller that ran them records that the project
// changed here.
void record_search_results(Project& project);

// The image the image view shows and the image list's choice addresses: the
// current image, or its partner while partner mode is on (null when there is
// none).
ProjectImage* displayed_image(const ImageSet& images);

// Clears an image's picks and selections: its reference points are
// deselected and every model point loses its selected and picked-for-face
// flags, which ends every face pick list (model/face_picks.h). Nothing saved
// changes, so the project is not marked changed.
void clear_picks_and_selections(Project& project, ProjectImage& image);

// The image view's clicks in calibration mode, each counted as an edit
// (`changed`): select_reference_point clears the picks and selections of
// the image and selects `mark` (null: none); cancel_picks (Escape) also
// forgets the world position waiting for a click (the image may be null).
void select_reference_point(Project& project, ProjectImage& image, ReferencePoint* mark);
void cancel_picks(Project& project, ProjectImage* image);

// Picking a face in the image view, the view holding the list of `image`:
// pick_face_corner adds a point to it (at most three, after dropping picks
// that no longer count; the point becomes picked for face); add_picked_face
// makes the face of three picked corners (add_face, so null when the ids
// ran out or fewer than three picks count) and clears the picks and
// selections of `image`. Both set `changed`.
void pick_face_corner(Project& project, FacePicks& picks, ModelPoint& point);
ModelFace* add_picked_face(Project& project, ProjectImage& image, FacePicks& picks);

// Gives every image the camera and its image centre.
void attach_camera_to_images(ImageSet& images);

}  // namespace plenvista
