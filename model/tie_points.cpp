#include "model/tie_points.h"

#include <algorithm>
#include <memory>
#include <set>

#include "model/auto_ties.h"
#include "model/image_management.h"
#include "model/marks_state.h"
#include "model/project_edit.h"

namespace plenvista {

namespace {

// Moves the marks of tie point `id` from `from` to `to`.
bool move_marks(IdList<ReferencePoint>& from, IdList<ReferencePoint>& to, int id) {
  bool moved = false;
  for (int slot = from.count() - 1; slot >= 0; --slot)
    if (from[slot]->control_point_id == id) {
      to.insert(from.take_at(slot));
      moved = true;
    }
  return moved;
}

// Counts a mark that the image has already: moved to the list's pixel when
// it differs. Whether there was one.
bool update_mark(ProjectImage& image, int point_id, const Point2& pixel, MarksImport& report) {
  ReferencePoint* mark = find_mark_of(image, point_id);
  if (!mark) return false;
  if (mark_pixel(image, *mark) == pixel) {
    ++report.already_present;
  } else {
    mark->image_position = {pixel.x - image.centre_x, pixel.y - image.centre_y};
    if (image.reference_points.contains(mark)) image.marks_changed = 1;
    ++report.moved;
  }
  return true;
}

}  // namespace

ReferencePoint* find_mark_of(const ProjectImage& image, int point_id) {
  for (const IdList<ReferencePoint>* list : {&image.reference_points, &image.tie_marks})
    for (ReferencePoint* r : *list)
      if (r->control_point_id == point_id) return r;
  return nullptr;
}

TiePoint* add_tie_point(Project& project, const std::string& label) {
  if (label.empty() || find_control_point(project.model, label) || find_tie_point(project.model, label)) return nullptr;
  if (!project.has_ids_for(1)) return nullptr;
  auto made = std::make_unique<TiePoint>();
  made->id = project.model.new_id();
  made->label = label;
  ProjectEdit::mark_changed(project);
  return project.model.tie_points.insert(std::move(made));
}

ReferencePoint* mark_point_at(Project& project, ProjectImage& image, int point_id, const Point2& pixel) {
  const ControlPoint* control = project.model.control_points.find(point_id);
  const TiePoint* tie = project.model.tie_points.find(point_id);
  if (!control && !tie) return nullptr;
  ReferencePoint* mark = find_mark_of(image, point_id);
  if (!mark && !project.has_ids_for(1)) return nullptr;
  MarksState before = capture_marks_state(project);
  const Point2 position{pixel.x - image.centre_x, pixel.y - image.centre_y};
  if (mark) {
    mark->image_position = position;
    mark->orientation_residual.reset();
    mark->orientation_outlier = false;
    if (image.reference_points.contains(mark)) image.marks_changed = 1;
  } else if (control) {
    mark = add_reference_from_control_point(project, image, *control, position);
  } else if (tie->position) {
    mark = add_reference_point(project, image, *tie->position, position);
    mark->control_point_id = tie->id;
  } else {
    auto made = std::make_unique<ReferencePoint>();
    made->id = project.model.new_id();
    made->image_position = position;
    made->control_point_id = tie->id;
    mark = image.tie_marks.insert(std::move(made));
  }
  record_marks_action(project, "Mark Point", std::move(before));
  project.post(Notification::ImagesChanged);
  return mark;
}

TiePoint* find_tie_point(const ModelData& model, std::string_view label) {
  for (TiePoint* t : model.tie_points)
    if (t->label == label) return t;
  return nullptr;
}

std::string_view mark_label(const ModelData& model, const ReferencePoint& mark) {
  if (mark.control_point_id == 0) return {};
  if (const ControlPoint* c = model.control_points.find(mark.control_point_id)) return c->label;
  if (const TiePoint* t = model.tie_points.find(mark.control_point_id)) return t->label;
  return {};
}

Point2 mark_pixel(const ProjectImage& image, const ReferencePoint& mark) {
  return {mark.image_position.x + image.centre_x, mark.image_position.y + image.centre_y};
}

void place_tie_point(Project& project, TiePoint& point, const std::optional<Vec3>& position) {
  point.position = position;
  if (!position) point.precision.reset();
  bool any = false;
  for (ProjectImage* image : project.images().images) {
    bool changed = position ? move_marks(image->tie_marks, image->reference_points, point.id)
                            : move_marks(image->reference_points, image->tie_marks, point.id);
    if (position)
      for (ReferencePoint* r : image->reference_points)
        if (r->control_point_id == point.id && r->world_position != *position) {
          r->world_position = *position;
          changed = true;
        }
    if (changed) {
      image->marks_changed = 1;
      any = true;
    }
  }
  ProjectEdit::mark_changed(project);
  if (any) project.post(Notification::ImagesChanged);
}

std::vector<LineProblem> tie_label_problems(const ModelData& model, const std::vector<ControlPointEntry>& entries) {
  std::vector<LineProblem> problems;
  for (const ControlPointEntry& e : entries)
    if (find_tie_point(model, e.label))
      problems.push_back({e.line, "'" + e.label + "' is a tie point"});
    else if (is_automatic_label(e.label))
      problems.push_back(
          {e.line, "'" + e.label + "': labels starting with \"auto-\" are kept for automatic tie points"});
  return problems;
}

std::optional<MarksImport> import_labelled_marks(Project& project, const std::vector<LabelledMark>& marks) {
  const ImageSet& set = project.images();
  std::int64_t needed = 0;
  std::set<std::string_view> new_labels;
  for (const LabelledMark& m : marks) {
    if (!find_image_by_file_name(set, m.image_name)) continue;
    ++needed;
    if (!find_control_point(project.model, m.label) && !find_tie_point(project.model, m.label))
      new_labels.insert(m.label);
  }
  if (!project.has_ids_for(needed + static_cast<std::int64_t>(new_labels.size()))) return std::nullopt;

  MarksImport report;
  for (const LabelledMark& m : marks) {
    ProjectImage* image = find_image_by_file_name(set, m.image_name);
    if (!image) {
      note_once(report.images_not_found, m.image_name);
      continue;
    }
    const Point2 position{m.pixel.x - image->centre_x, m.pixel.y - image->centre_y};
    if (const ControlPoint* control = find_control_point(project.model, m.label)) {
      if (update_mark(*image, control->id, m.pixel, report)) continue;
      add_reference_from_control_point(project, *image, *control, position);
      ++report.reference_marks;
      continue;
    }
    TiePoint* tie = find_tie_point(project.model, m.label);
    if (!tie) {
      auto made = std::make_unique<TiePoint>();
      made->id = project.model.new_id();
      made->label = m.label;
      tie = project.model.tie_points.insert(std::move(made));
      ++report.tie_points_added;
    } else if (update_mark(*image, tie->id, m.pixel, report)) {
      continue;
    }
    if (tie->position) {
      add_reference_point(project, *image, *tie->position, position)->control_point_id = tie->id;
    } else {
      auto mark = std::make_unique<ReferencePoint>();
      mark->id = project.model.new_id();
      mark->image_position = position;
      mark->control_point_id = tie->id;
      image->tie_marks.insert(std::move(mark));
    }
    ++report.tie_marks;
  }
  ProjectEdit::mark_changed(project);
  if (report.reference_marks + report.tie_marks + report.moved > 0) project.post(Notification::ImagesChanged);
  return report;
}

std::string marks_import_summary(const MarksImport& report) {
  return "Marks: " + std::to_string(report.reference_marks) + " reference, " + std::to_string(report.tie_marks) +
         " tie, " + std::to_string(report.moved) + " moved, " + std::to_string(report.already_present) +
         " already present; " + std::to_string(report.tie_points_added) + " tie points added";
}

}  // namespace plenvista
