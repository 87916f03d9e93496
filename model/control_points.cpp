#include "model/control_points.h"

#include <algorithm>
#include <memory>
#include <string>

#include "base/text.h"
#include "model/image_management.h"
#include "model/project_edit.h"

namespace plenvista {

namespace {

ControlPoint* insert_control_point(Project& project, const std::string& label, const Vec3& position) {
  auto point = std::make_unique<ControlPoint>();
  point->id = project.model.new_id();
  point->label = label;
  point->position = position;
  ControlPoint* added = project.model.control_points.insert(std::move(point));
  project.undo.note_control_point(*added, true);
  return added;
}

ControlPoint* control_point_at(const ModelData& model, const Vec3& position) {
  for (ControlPoint* c : model.control_points)
    if (c->position == position) return c;
  return nullptr;
}

// How many labels of `labels` are not yet control points (each counted once).
std::int64_t new_label_count(const ModelData& model, std::vector<std::string_view> labels) {
  std::sort(labels.begin(), labels.end());
  labels.erase(std::unique(labels.begin(), labels.end()), labels.end());
  return std::count_if(labels.begin(), labels.end(),
                       [&](std::string_view label) { return !find_control_point(model, label); });
}

}  // namespace

ControlPoint* find_control_point(const ModelData& model, std::string_view label) {
  for (ControlPoint* c : model.control_points)
    if (c->label == label) return c;
  return nullptr;
}

std::optional<ControlPointMerge> merge_control_points(Project& project, const std::vector<ControlPointEntry>& entries) {
  std::vector<std::string_view> labels;
  for (const ControlPointEntry& e : entries) labels.push_back(e.label);
  if (!project.has_ids_for(new_label_count(project.model, labels))) return std::nullopt;
  ControlPointMerge merge;
  std::vector<std::pair<ControlPoint*, Vec3>> moves;
  for (const ControlPointEntry& e : entries) {
    ControlPoint* existing = find_control_point(project.model, e.label);
    if (!existing) {
      insert_control_point(project, e.label, e.position);
      ++merge.added;
    } else if (existing->position == e.position) {
      ++merge.unchanged;
    } else {
      moves.emplace_back(existing, e.position);
      ++merge.moved;
    }
  }
  if (!moves.empty()) merge.photographs_marked = move_control_points(project, moves);
  ProjectEdit::mark_changed(project);
  return merge;
}

int move_control_points(Project& project, const std::vector<std::pair<ControlPoint*, Vec3>>& moves) {
  project.undo.begin_action(kEditControlPointsAction);
  for (const auto& [point, position] : moves) {
    point->position = position;
    UndoEntry& entry = project.undo.record(UndoKind::SetControlPoint);
    entry.record_id = point->id;
    entry.x = position.x;
    entry.y = position.y;
    entry.z = position.z;
  }
  project.undo.end_action();
  ProjectEdit::mark_changed(project);
  return follow_control_points(project);
}

void remove_control_point(Project& project, ControlPoint& point) {
  const int id = point.id;
  for (ProjectImage* image : project.images().images)
    for (ReferencePoint* r : image->reference_points)
      if (r->control_point_id == id) r->control_point_id = 0;
  project.undo.note_control_point(point, false);
  project.model.control_points.remove_at(project.model.control_points.index_of(&point));
  ProjectEdit::mark_changed(project);
}

int follow_control_points(Project& project) {
  int marked = 0;
  for (ProjectImage* image : project.images().images) {
    bool moved = false;
    for (ReferencePoint* r : image->reference_points) {
      if (r->control_point_id == 0) continue;
      const ControlPoint* c = project.model.control_points.find(r->control_point_id);
      if (!c || c->position == r->world_position) continue;
      r->world_position = c->position;
      moved = true;
    }
    if (moved) {
      image->marks_changed = 1;
      ++marked;
    }
  }
  if (marked > 0) {
    ProjectEdit::mark_changed(project);
    project.post(Notification::ImagesChanged);
  }
  return marked;
}

ReferencePoint* add_reference_from_control_point(Project& project, ProjectImage& image, const ControlPoint& point,
                                                 const Point2& image_position) {
  ReferencePoint* made = add_reference_point(project, image, point.position, image_position);
  if (made) made->control_point_id = point.id;
  return made;
}

ProjectImage* find_image_by_file_name(const ImageSet& images, std::string_view name) {
  const std::string_view bare = bare_file_name(name);
  for (ProjectImage* image : images.images)
    if (shown(image->file_name) == bare) return image;
  for (ProjectImage* image : images.images)
    if (equal_ignoring_case(shown(image->file_name), bare)) return image;
  return nullptr;
}

std::vector<LineProblem> check_image_marks(const ModelData& model, const std::vector<ImageMark>& marks) {
  std::vector<LineProblem> problems;
  for (const ImageMark& m : marks) {
    if (!m.label) continue;
    const ControlPoint* c = find_control_point(model, *m.label);
    if (c && c->position != m.world)
      problems.push_back({m.line, "control point '" + *m.label + "' has other coordinates in the project"});
  }
  return problems;
}

std::vector<LineProblem> drop_conflicting_marks(const ModelData& model, std::vector<ImageMark>& marks) {
  std::vector<LineProblem> conflicts = check_image_marks(model, marks);
  std::erase_if(marks, [&](const ImageMark& m) {
    return std::any_of(conflicts.begin(), conflicts.end(), [&](const LineProblem& c) { return c.line == m.line; });
  });
  return conflicts;
}

std::optional<MarkImport> import_image_marks(Project& project, const std::vector<ImageMark>& marks) {
  const ImageSet& set = project.images();
  std::vector<std::string_view> labels;
  std::int64_t found = 0;
  for (const ImageMark& m : marks) {
    if (!find_image_by_file_name(set, m.image_name)) continue;
    ++found;
    if (m.label) labels.push_back(*m.label);
  }
  if (!project.has_ids_for(found + new_label_count(project.model, labels))) return std::nullopt;

  MarkImport report;
  for (const ImageMark& m : marks) {
    ProjectImage* image = find_image_by_file_name(set, m.image_name);
    if (!image) {
      note_once(report.images_not_found, m.image_name);
      continue;
    }
    const Point2 position{m.pixel.x - image->centre_x, m.pixel.y - image->centre_y};
    const auto& points = image->reference_points;
    if (std::any_of(points.begin(), points.end(), [&](const ReferencePoint* r) {
          return r->image_position == position && r->world_position == m.world;
        })) {
      ++report.already_present;
      continue;
    }
    const ControlPoint* control = nullptr;
    if (m.label) {
      control = find_control_point(project.model, *m.label);
      if (!control) {
        control = insert_control_point(project, *m.label, m.world);
        ++report.control_points_added;
      }
    } else {
      control = control_point_at(project.model, m.world);
    }
    ReferencePoint* made = add_reference_point(project, *image, m.world, position);
    if (control) made->control_point_id = control->id;
    ++report.created;
  }
  ProjectEdit::mark_changed(project);
  if (report.created > 0) project.post(Notification::ImagesChanged);
  return report;
}

void note_once(std::vector<std::string>& names, const std::string& name) {
  if (std::find(names.begin(), names.end(), name) == names.end()) names.push_back(name);
}

std::string merge_summary(const ControlPointMerge& merge) {
  return "Control points: " + std::to_string(merge.added) + " added, " + std::to_string(merge.moved) + " moved, " +
         std::to_string(merge.unchanged) + " unchanged";
}

std::string import_summary(const MarkImport& report) {
  return "Reference points: " + std::to_string(report.created) + " created, " + std::to_string(report.already_present) +
         " already present; " + std::to_string(report.control_points_added) + " control points added";
}

}  // namespace plenvista
