#include "cli/find_ties_command.h"

#include <algorithm>
#include <memory>
#include <ostream>

#include "base/number_text.h"
#include "cli/json_values.h"
#include "model/auto_ties.h"
#include "photogrammetry/tie_finding_project.h"
#include "platform/project_photograph.h"

namespace plenvista {

namespace {

std::string file_of(const ProjectImage& image) { return std::string(shown(image.file_name)); }

QJsonObject report_json(const std::vector<const ProjectImage*>& images, const TieFinderResult& result,
                        const std::vector<std::string>& labels, int deleted) {
  QJsonArray photographs;
  for (std::size_t k = 0; k < images.size(); ++k)
    photographs.append(
        QJsonObject{{"id", images[k]->id}, {"file", json_text(file_of(*images[k]))}, {"features", result.features[k]}});
  QJsonArray pairs;
  for (const PairReport& p : result.pairs)
    pairs.append(QJsonObject{{"image_a", images[static_cast<std::size_t>(p.image_a)]->id},
                             {"image_b", images[static_cast<std::size_t>(p.image_b)]->id},
                             {"guided", p.guided},
                             {"features_a", p.features_a},
                             {"features_b", p.features_b},
                             {"candidates", p.candidates},
                             {"verified", p.verified}});
  QJsonArray added;
  for (const std::string& label : labels) added.append(json_text(label));
  QJsonArray errors;
  for (const std::string& e : result.errors) errors.append(json_text(e));
  return {{"images", photographs},
          {"pairs", pairs},
          {"second_pass", result.second_pass},
          {"tracks", static_cast<int>(result.ties.size())},
          {"conflicts", result.conflicts},
          {"inconsistent", result.inconsistent},
          {"added", added},
          {"deleted", deleted},
          {"unreadable", errors}};
}

void write_text(std::ostream& out, const std::vector<const ProjectImage*>& images, const TieFinderResult& result,
                const std::vector<std::string>& labels, int deleted) {
  for (const PairReport& p : result.pairs) {
    const ProjectImage& a = *images[static_cast<std::size_t>(p.image_a)];
    const ProjectImage& b = *images[static_cast<std::size_t>(p.image_b)];
    out << "Images " << a.id << " (" << file_of(a) << ") and " << b.id << " (" << file_of(b) << "): " << p.features_a
        << " and " << p.features_b << " features, " << p.candidates << " candidates, " << p.verified << " verified"
        << (p.guided ? " (guided)" : "") << '\n';
  }
  if (result.second_pass) out << "Second search, with squeezed views: the first left photographs apart\n";
  out << "Tracks: " << result.ties.size() << " made, " << result.conflicts << " conflicting dropped, "
      << result.inconsistent << " inconsistent dropped\n";
  if (deleted > 0) out << "Deleted " << deleted << " automatic tie points found before\n";
  if (labels.empty())
    out << "No tie points added\n";
  else
    out << "Added " << labels.size() << " tie points, " << labels.front() << " to " << labels.back() << '\n';
}

}  // namespace

int run_find_ties(CliIo& io, const FindTiesOptions& options) {
  CliSession session(io.err);
  if (!session.open(options.project)) return kExitFailure;
  Project& project = session.project();
  const ImageSet& set = project.images();
  std::vector<const ProjectImage*> images;
  for (const ProjectImage* image : set.images)
    if (options.images.empty() || std::ranges::find(options.images, image->id) != options.images.end())
      images.push_back(image);
  for (const int id : options.images)
    if (!set.images.find(id)) {
      session.error("There is no image " + std::to_string(id));
      return kExitFailure;
    }
  if (images.size() < 2) {
    session.error("Finding tie points needs two photographs or more");
    return kExitFailure;
  }
  if (!set.camera.has_tables()) {
    session.error("The project has no calibrated camera: finding tie points needs its grid");
    return kExitFailure;
  }

  TieFinderOptions finder_options;
  finder_options.guided = options.guided;
  finder_options.guided_matching.known_points = known_points(project.model);
  TieFinder finder(images, read_project_photograph, finder_options);
  while (finder.step())
    if (io.progress) io.err << "Finding tie points: " << format_fixed(100 * finder.progress(), 0) << "%\n";
  const TieFinderResult& result = finder.result();
  for (const std::string& e : result.errors) session.warning(e);

  const std::vector<FoundTie> ties = found_ties(images, result);
  const int deleted = options.replace ? delete_automatic_ties(project) : 0;
  const auto labels = add_automatic_ties(project, ties);
  if (!labels) return kExitFailure;
  project.note_change();
  if (!session.save()) return kExitFailure;
  if (options.json)
    io.out << json_document(report_json(images, result, *labels, deleted));
  else
    write_text(io.out, images, result, *labels, deleted);
  return kExitSuccess;
}

void declare_find_ties(CLI::App& app, CommandCall& chosen) {
  auto options = std::make_shared<FindTiesOptions>();
  CLI::App* command = project_command(
      app, "find-ties",
      "Finds tie points automatically: features matched between the photographs, checked by geometry, and joined "
      "into tie points auto-1, auto-2, ...",
      options->project);
  command->add_option("--images", options->images, "the photographs to match, by id (all when not given)")
      ->delimiter(',')
      ->type_name("ID,...")
      ->check(CLI::NonNegativeNumber);
  command->add_flag("--guided", options->guided,
                    "match oriented pairs along their epipolar lines, at depths consistent with the placed points");
  command->add_flag("--replace", options->replace, "delete the automatic tie points found before, then add the new");
  command->add_flag("--json", options->json, "one JSON document for scripts");
  run_when_chosen(command, chosen, options, run_find_ties);
}

}  // namespace plenvista
