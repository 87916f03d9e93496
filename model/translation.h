#pragma once

// The Translation Editor's OK as one model operation, and the two mirror
// commands. Offsets and the buffer are model units; the scale is a factor.
// Only the point deletion that setting a first plane causes is recorded for
// undo (as "Delete Points"); offsets, scale, buffer and plane are not.
// The dialog parses its fields (a non-number reads as 0) and asks its
// question before calling apply_translation.

#include <string>

#include "base/vec3.h"
#include "model/project.h"
#include "model/project_transform.h"

namespace plenvista {

inline const std::string kCommitMirrorAction = "Commit Mirror";

// The values the Translation Editor edits.
struct TranslationEdit {
  Vec3 origin_offset;
  double scale = 1.0;
  double mirror_buffer = 4.0;
  MirrorPlane plane = MirrorPlane::None;
};

// True when applying `plane` would delete the mirrored side (no plane is set
// yet and one is chosen): the dialog then asks first.
bool translation_deletes_mirrored_side(const ModelData& model, MirrorPlane plane);

// Stores the edited values; sets show mirror points (0 for None, else 1) and
// posts ImagesChanged; setting a first plane deletes its mirrored side; then
// the plane is set, the mirror lists rebuilt, `changed` and `modified` 1, the
// single selection refreshed and ModelChanged posted.
void apply_translation(Project& project, const TranslationEdit& edit);

// Selects exactly the points whose coordinate on the plane's axis plus the
// offset is below -buffer and deletes them with Delete Points. The transform's
// offset and buffer are used as they are; `plane` None deletes nothing.
void delete_mirrored_side(Project& project, MirrorPlane plane);

// Turns the mirror copies into ordinary points (current layer) and faces
// (current material, no texture coordinates) with new ids, sets the plane to
// None and notes the change. Recorded as the action "Commit Mirror" so that
// undo removes the committed records and redo brings them back. Refused,
// nothing changed, when the project has too few ids left for them.
void commit_mirror(Project& project);

}  // namespace plenvista
