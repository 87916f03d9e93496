#include "model/auto_ties.h"

#include <charconv>
#include <limits>
#include <memory>
#include <set>

#include "model/marks_state.h"
#include "model/project_edit.h"

namespace plenvista {

namespace {

// N of an "auto-N" label, when the rest is all digits and fits.
std::optional<long long> automatic_number(std::string_view label) {
  if (!is_automatic_label(label)) return std::nullopt;
  const std::string_view digits = label.substr(kAutoTiePrefix.size());
  long long n = 0;
  const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), n);
  if (error != std::errc() || end != digits.data() + digits.size() || n < 0) return std::nullopt;
  return n;
}

}  // namespace

bool is_automatic_label(std::string_view label) { return label.starts_with(kAutoTiePrefix); }

long long next_automatic_number(const ModelData& model) {
  long long highest = 0;
  const auto note = [&highest](std::string_view label) {
    if (const auto n = automatic_number(label); n && *n > highest) highest = *n;
  };
  for (const TiePoint* t : model.tie_points) note(t->label);
  for (const ControlPoint* c : model.control_points) note(c->label);
  return highest < std::numeric_limits<long long>::max() ? highest + 1 : highest;
}

std::optional<std::vector<std::string>> add_automatic_ties(Project& project, const std::vector<FoundTie>& ties) {
  // The marks that count: photographs of the project, each once per tie.
  std::vector<std::vector<std::pair<ProjectImage*, Point2>>> usable;
  std::int64_t needed = 0;
  for (const FoundTie& tie : ties) {
    std::vector<std::pair<ProjectImage*, Point2>> marks;
    std::set<int> seen;
    for (const FoundTieMark& m : tie)
      if (ProjectImage* image = project.images().images.find(m.image_id); image && seen.insert(m.image_id).second)
        marks.emplace_back(image, m.pixel);
    if (marks.size() < 2) continue;
    needed += 1 + static_cast<std::int64_t>(marks.size());
    usable.push_back(std::move(marks));
  }
  if (!project.has_ids_for(needed)) return std::nullopt;

  std::vector<std::string> labels;
  long long number = next_automatic_number(project.model);
  for (const auto& marks : usable) {
    auto made = std::make_unique<TiePoint>();
    made->id = project.model.new_id();
    made->label = std::string(kAutoTiePrefix) + std::to_string(number++);
    const TiePoint* tie = project.model.tie_points.insert(std::move(made));
    for (const auto& [image, pixel] : marks) {
      auto mark = std::make_unique<ReferencePoint>();
      mark->id = project.model.new_id();
      mark->image_position = {pixel.x - image->centre_x, pixel.y - image->centre_y};
      mark->control_point_id = tie->id;
      image->tie_marks.insert(std::move(mark));
    }
    labels.push_back(tie->label);
  }
  ProjectEdit::mark_changed(project);
  if (!labels.empty()) project.post(Notification::ImagesChanged);
  return labels;
}

std::optional<std::vector<std::string>> add_automatic_ties_as_action(Project& project,
                                                                     const std::vector<FoundTie>& ties) {
  MarksState before = capture_marks_state(project);
  auto labels = add_automatic_ties(project, ties);
  if (labels && !labels->empty()) record_marks_action(project, "Find Tie Points", std::move(before));
  return labels;
}

int remove_tie_points(Project& project, const std::vector<std::string>& labels) {
  const std::set<std::string, std::less<>> wanted(labels.begin(), labels.end());
  std::set<int> ids;
  ModelData& model = project.model;
  for (int slot = model.tie_points.count() - 1; slot >= 0; --slot)
    if (wanted.count(model.tie_points[slot]->label) > 0) {
      ids.insert(model.tie_points[slot]->id);
      model.tie_points.remove_at(slot);
    }
  if (ids.empty()) return 0;
  for (ProjectImage* image : project.images().images)
    for (IdList<ReferencePoint>* list : {&image->reference_points, &image->tie_marks})
      for (int slot = list->count() - 1; slot >= 0; --slot)
        if (ids.count((*list)[slot]->control_point_id) > 0) {
          list->remove_at(slot);
          if (list == &image->reference_points) image->marks_changed = 1;
        }
  ProjectEdit::mark_changed(project);
  project.post(Notification::ImagesChanged);
  return static_cast<int>(ids.size());
}

int delete_automatic_ties(Project& project) {
  std::vector<std::string> labels;
  for (const TiePoint* t : project.model.tie_points)
    if (is_automatic_label(t->label)) labels.push_back(t->label);
  return remove_tie_points(project, labels);
}

}  // namespace plenvista
