// plenvista-tie-targets: measures how well tie points found automatically
// meet their targets, on photographs whose true poses are known.
//
//   rendered  five 4-megapixel renderings of the textured plane and box of
//             testing/textured_scene.h, 40 degrees apart around it:
//             unguided from nothing (share of marks on the true epipolar
//             lines, photographs oriented), then guided after orienting
//             from ten hand-placed ties (0.5 px of noise): verified matches
//             per neighbouring pair and the orientation's accuracy with and
//             without the automatic ties;
//   sample    the sample project's four photographs (its own calibrated
//             camera, the poses the project located them at): unguided.
//
// Accuracy is frame-free: the angle between each pair's estimated and true
// relative rotation, and between their baseline directions, in degrees.
// Usage: plenvista-tie-targets [SAMPLE_DIR [GUIDED_SEARCH_BAND_PX]]; with
// PLENVISTA_UNGUIDED_ONLY set in the environment, the unguided runs alone.

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <random>
#include <string>

#include "model/auto_ties.h"
#include "model/image_management.h"
#include "persistence/project_file.h"
#include "photogrammetry/auto_tie_orientation.h"
#include "photogrammetry/orientation_project.h"
#include "photogrammetry/tie_finding_project.h"
#include "platform/photograph_reader.h"
#include "platform/project_photograph.h"
#include "testing/epipolar_check.h"
#include "testing/recorders.h"

namespace plenvista {
namespace {

constexpr double kPitch = 113.6;  // 2272 x 1590: four megapixels

struct Session {
  MemorySettingsStore store;
  test_support::RecordingNotifier notifier;
  test_support::RecordingMessages messages;
  Project project{store, notifier, messages};
  std::map<int, ProjectImage> truth;  // by image id: the true pose
  std::map<int, RgbImage> pictures;   // rendered ones

  std::vector<const ProjectImage*> images() const {
    return {project.images().images.begin(), project.images().images.end()};
  }
};

// Mean and largest errors of the relative rotations and baseline directions
// of every pair of oriented photographs, degrees.
void print_accuracy(const Session& s, const char* what) {
  double rot_sum = 0, rot_max = 0, base_sum = 0, base_max = 0;
  int pairs = 0;
  const auto images = s.images();
  for (std::size_t i = 0; i < images.size(); ++i)
    for (std::size_t j = i + 1; j < images.size(); ++j) {
      if (!images[i]->pose_known || !images[j]->pose_known) continue;
      const PoseFrame ei = PoseFrame::of(*images[i]), ej = PoseFrame::of(*images[j]);
      const PoseFrame ti = PoseFrame::of(s.truth.at(images[i]->id)), tj = PoseFrame::of(s.truth.at(images[j]->id));
      // Relative rotation R = Ri Rj^T; the error is the angle of Re Rt^T.
      auto relative = [](const PoseFrame& a, const PoseFrame& b, int r, int c) {
        double v = 0;
        for (int k = 0; k < 3; ++k) {
          const double ak[3] = {a.rows[static_cast<std::size_t>(r)].x, a.rows[static_cast<std::size_t>(r)].y,
                                a.rows[static_cast<std::size_t>(r)].z};
          const double bk[3] = {b.rows[static_cast<std::size_t>(c)].x, b.rows[static_cast<std::size_t>(c)].y,
                                b.rows[static_cast<std::size_t>(c)].z};
          v += ak[k] * bk[k];
        }
        return v;
      };
      double trace = 0;
      for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c) trace += relative(ei, ej, r, c) * relative(ti, tj, r, c);
      const double rot = std::acos(std::clamp((trace - 1) / 2, -1.0, 1.0)) / kDegreesToRadians;
      // Baselines in camera i's frame.
      const Vec3 be = ei.to_camera(ej.centre), bt = ti.to_camera(tj.centre);
      const double cosine = dot(be, bt) / std::sqrt(dot(be, be) * dot(bt, bt));
      const double base = std::acos(std::clamp(cosine, -1.0, 1.0)) / kDegreesToRadians;
      rot_sum += rot;
      rot_max = std::max(rot_max, rot);
      base_sum += base;
      base_max = std::max(base_max, base);
      ++pairs;
    }
  if (pairs == 0) return;
  std::printf("  %s: relative rotation error mean %.4f max %.4f deg; baseline direction error mean %.4f max %.4f deg\n",
              what, rot_sum / pairs, rot_max, base_sum / pairs, base_max);
}

TieFinderResult find(Session& s, bool guided, double guided_search_px = GuidedOptions{}.search_px) {
  TieFinderOptions options;
  options.guided = guided;
  options.guided_matching.search_px = guided_search_px;
  options.guided_matching.known_points = known_points(s.project.model);
  const auto images = s.images();
  PhotographRead read = read_project_photograph;
  if (!s.pictures.empty()) read = [&s](const ProjectImage& image, std::string&) { return s.pictures.at(image.id); };
  TieFinder finder(images, read, options);
  while (finder.step()) {
  }
  TieFinderResult result = finder.result();
  for (const PairReport& p : result.pairs)
    std::printf("  pair %d-%d%s: features %d/%d, candidates %d, verified %d\n",
                images[static_cast<std::size_t>(p.image_a)]->id, images[static_cast<std::size_t>(p.image_b)]->id,
                p.guided ? " guided" : "", p.features_a, p.features_b, p.candidates, p.verified);
  if (result.second_pass) std::printf("  (second pass, with squeezed views)\n");
  const auto labels = add_automatic_ties(s.project, found_ties(images, result));
  std::printf("  tracks %zu (conflicts dropped %d, inconsistent dropped %d), ties added %zu\n", result.ties.size(),
              result.conflicts, result.inconsistent, labels ? labels->size() : 0);
  return result;
}

// Orients from the project's marks and stores the result; prints how many
// photographs were oriented and the automatic ties removed afterwards.
void orient(Session& s, bool without_auto) {
  OrientationInput input = orientation_input(s.project, {}, std::nullopt);
  if (without_auto) leave_out_automatic_ties(input);
  const OrientationResult result = orient_photographs(std::move(input));
  if (!result.ok()) {
    std::printf("  orientation failed: %s\n", result.message.c_str());
    return;
  }
  int oriented = 0;
  for (const OrientedPhotograph& p : result.photographs) oriented += p.oriented ? 1 : 0;
  apply_orientation(s.project, result);
  const auto removed = remove_poor_automatic_ties(s.project);
  std::printf("  oriented %d of %zu photographs, RMS %.3f px, outliers %zu, automatic ties removed %zu\n", oriented,
              result.photographs.size(), result.rms_px, result.outliers.size(), removed.size());
}

void print_share(const Session& s) {
  const test_support::EpipolarShare on_lines = test_support::automatic_marks_on_epipolar_lines(
      s.project, [&s](int id) -> const ProjectImage& { return s.truth.at(id); }, 1.5);
  std::printf("  automatic marks within 1.5 px of the true epipolar lines: %.2f%% of %d\n", 100 * on_lines.share(),
              on_lines.marks);
}

void rendered_views(Session& s) {
  ImageSet& set = s.project.images();
  set.camera = test_support::scene_camera(kPitch);
  const test_support::TexturedScene scene;
  for (int k = 0; k < 5; ++k) {
    const double angle = (k - 2) * 40 * kDegreesToRadians;
    ProjectImage truth =
        test_support::scene_image(set.camera, {900 * std::sin(angle), 520, 900 * std::cos(angle)}, {0, 60, 0});
    auto made = std::make_unique<ProjectImage>();
    made->file_name = "view" + std::to_string(k);
    ProjectImage* image = add_image(s.project, std::move(made));
    image->camera = &set.camera;
    image->centre_x = set.camera.centre_x;
    image->centre_y = set.camera.centre_y;
    image->pixel_width = static_cast<int>(20 * kPitch);
    image->pixel_height = static_cast<int>(14 * kPitch);
    s.pictures.emplace(image->id, scene.render(truth, kPitch));
    s.truth.emplace(image->id, std::move(truth));
  }
}

// Ten points of the scene seen unoccluded in every photograph, marked with
// 0.5 px of noise as by hand.
void hand_ties(Session& s) {
  std::mt19937 random(7);
  std::uniform_real_distribution<double> across(-140, 140);
  std::normal_distribution<double> noise(0, 0.5);
  const test_support::TexturedScene scene;
  std::vector<LabelledMark> marks;
  int made = 0;
  for (int tries = 0; made < 10 && tries < 1000; ++tries) {
    const int face = tries % 3;
    const Vec3 p = face == 0   ? Vec3{across(random), 220, across(random)}
                   : face == 1 ? Vec3{across(random) * 3, 0, 300 + std::fabs(across(random))}
                               : Vec3{across(random), 110 + across(random) * 0.7, 150};
    std::vector<LabelledMark> seen;
    for (const ProjectImage* image : s.project.images().images) {
      const PoseFrame frame = PoseFrame::of(s.truth.at(image->id));
      const Vec3 d = p - frame.centre;
      const auto hit = scene.hit(frame.centre, d * (1 / std::sqrt(dot(d, d))));
      if (!hit || std::sqrt(dot(*hit - p, *hit - p)) > 0.5) break;
      const Point2 at = project_to_image(p, s.truth.at(image->id), true);
      seen.push_back({"T" + std::to_string(made),
                      {at.x + noise(random), at.y + noise(random)},
                      std::string(shown(image->file_name)),
                      0});
    }
    if (seen.size() != static_cast<std::size_t>(s.project.images().images.count())) continue;
    marks.insert(marks.end(), seen.begin(), seen.end());
    ++made;
  }
  import_labelled_marks(s.project, marks);
  std::printf("  %d hand-placed ties in every photograph\n", made);
}

}  // namespace
}  // namespace plenvista

int main(int argc, char** argv) {
  using namespace plenvista;
  install_photograph_readers();
  const double band = argc > 2 ? std::atof(argv[2]) : GuidedOptions{}.search_px;
  {
    std::printf("Rendered, five views 40 degrees apart, unguided from nothing:\n");
    Session s;
    rendered_views(s);
    find(s, false);
    print_share(s);
    orient(s, false);
    print_accuracy(s, "with automatic ties only");
  }
  const bool guided = std::getenv("PLENVISTA_UNGUIDED_ONLY") == nullptr;
  if (guided) {
    std::printf("Rendered, guided (search band %.2f px) after orienting from ten hand-placed ties:\n", band);
    Session s;
    rendered_views(s);
    hand_ties(s);
    orient(s, true);
    print_accuracy(s, "hand-placed ties alone");
    find(s, true, band);
    print_share(s);
    orient(s, false);
    print_accuracy(s, "with automatic ties");
  }
  if (guided) {
    std::printf("Rendered, guided (search band %.2f px) at the true poses, the matching's ceiling:\n", band);
    Session s;
    rendered_views(s);
    for (ProjectImage* image : s.project.images().images) {
      image->pose = s.truth.at(image->id).pose;
      image->pose_known = true;
    }
    find(s, true, band);  // no tie points: any depth beyond a twentieth of the baseline
    print_share(s);
  }
  if (argc > 1) {
    std::printf("Sample photographs, unguided from nothing:\n");
    Session s;
    s.project.set_path(std::string(argv[1]) + "/house.op2");
    if (open_project(s.project) != OpenResult::Opened) {
      std::printf("  cannot open %s/house.op2\n", argv[1]);
      return 1;
    }
    delete_automatic_ties(s.project);
    for (ProjectImage* image : s.project.images().images) {
      ProjectImage truth;
      truth.camera = image->camera;
      truth.centre_x = image->centre_x;
      truth.centre_y = image->centre_y;
      truth.pose = image->pose;  // located by the camera search from its reference points
      truth.pose_known = true;
      s.truth.emplace(image->id, std::move(truth));
      image->pose_known = false;
    }
    find(s, false);
    print_share(s);
  }
  return 0;
}
