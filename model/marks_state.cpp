#include "model/marks_state.h"

#include <memory>
#include <set>

#include "model/project_edit.h"

namespace plenvista {

namespace {

std::vector<ReferencePoint> copied(const IdList<ReferencePoint>& list) {
  std::vector<ReferencePoint> copy;
  copy.reserve(static_cast<std::size_t>(list.count()));
  for (const ReferencePoint* r : list) copy.push_back(*r);
  return copy;
}

void refill(IdList<ReferencePoint>& list, const std::vector<ReferencePoint>& copy) {
  list.clear();
  for (const ReferencePoint& r : copy) list.insert(std::make_unique<ReferencePoint>(r));
}

}  // namespace

MarksState capture_marks_state(const Project& project) {
  MarksState state;
  for (const ProjectImage* image : project.images().images)
    state.images.push_back({image->id, image->pose, image->pose_known, image->marks_changed, image->search_score,
                            copied(image->reference_points), copied(image->tie_marks)});
  for (const TiePoint* t : project.model.tie_points) state.tie_points.push_back(*t);
  return state;
}

void restore_marks_state(Project& project, const MarksState& state, const MarksState& left) {
  for (const ImageMarksState& kept : state.images) {
    ProjectImage* image = project.images().images.find(kept.image_id);
    if (!image) continue;
    image->pose = kept.pose;
    image->pose_known = kept.pose_known;
    image->marks_changed = kept.marks_changed;
    image->search_score = kept.search_score;
    refill(image->reference_points, kept.reference_points);
    refill(image->tie_marks, kept.tie_marks);
  }
  std::set<int> kept_ids;
  for (const TiePoint& t : state.tie_points) kept_ids.insert(t.id);
  for (const TiePoint& t : left.tie_points)
    if (kept_ids.count(t.id) == 0)
      if (const TiePoint* gone = project.model.tie_points.find(t.id))
        project.model.tie_points.remove_at(project.model.tie_points.index_of(gone));
  for (TiePoint* t : project.model.tie_points) {
    t->position.reset();
    t->precision.reset();
  }
  for (const TiePoint& kept : state.tie_points) {
    if (TiePoint* t = project.model.tie_points.find(kept.id))
      *t = kept;
    else
      project.model.tie_points.insert(std::make_unique<TiePoint>(kept));
  }
  project.post(Notification::ImagesChanged);
}

void record_marks_action(Project& project, const std::string& name, MarksState before) {
  UndoAction& action = project.undo.begin_action(name);
  action.marks_before = std::make_shared<const MarksState>(std::move(before));
  action.marks_after = std::make_shared<const MarksState>(capture_marks_state(project));
  project.undo.end_action();
  ProjectEdit::mark_changed(project);
}

}  // namespace plenvista
