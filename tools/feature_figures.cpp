// plenvista-feature-figures: the figures behind the choice of feature
// detector, on photographs whose true poses are known.
//
//   wide      five 4-megapixel renderings of testing/textured_scene.h, 40
//             degrees apart (as plenvista-tie-targets renders them);
//   narrow    the same, 20 degrees apart (as bench/tie_finding_bench);
//   sample    the sample project's four photographs, at the poses the
//             project located them at.
//
// Detectors: the program's AKAZE (photogrammetry/image_features.h), the
// same with one or two views squeezed horizontally (squeeze1, squeeze2; the
// second pass of the tie finder uses two), and OpenCV's SIFT with a low
// contrast threshold (0.01), keeping its strongest features up to as many
// as AKAZE may keep (no tiles).
// Every pair is matched by ratio test and mutual best match (Hamming
// distance for AKAZE, Euclidean for SIFT) and verified by the program's
// essential-matrix check. Per photograph: features, wall and CPU seconds of
// detection (OpenCV runs each detection on every core); per pair: candidate
// and verified matches, and of the verified, how many lie within 1.5 px of
// the true epipolar line (a pair verified on wrong matches shows as few),
// on renderings how many are the true point (within 3 px), and the pair's
// relative rotation and median ray angle as its verified matches give them.
//
// Usage: plenvista-feature-figures [SAMPLE_DIR [DETECTOR,... [SET,... [TOLERANCE_PX]]]]
//        detectors akaze, squeeze1, squeeze2, sift (a suffix x2 doubles
//        the features kept); sets wide, narrow, sample
//        (default: all); the check's tolerance 1 px unless given

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <string>
#include <time.h>

#include <opencv2/calib3d.hpp>
#include <opencv2/features2d.hpp>
#include <opencv2/imgproc.hpp>

#include "model/image_management.h"
#include "persistence/project_file.h"
#include "photogrammetry/feature_matching.h"
#include "platform/photograph_reader.h"
#include "platform/project_photograph.h"
#include "testing/recorders.h"
#include "testing/textured_scene.h"

namespace plenvista {
namespace {

constexpr double kPitch = 113.6;  // 2272 x 1590: four megapixels
constexpr int kMaxFeatures = FeatureOptions{}.max_features;

struct Photographs {
  std::string name;
  std::vector<ProjectImage> truth;  // camera and true pose
  std::vector<RgbImage> pictures;
  std::map<const CameraModel*, std::unique_ptr<CameraModel>> cameras;  // copies of a project's cameras
};

Photographs rendered(const std::string& name, double step_degrees, CameraModel& camera) {
  Photographs out{name, {}, {}, {}};
  const test_support::TexturedScene scene;
  for (int k = 0; k < 5; ++k) {
    const double angle = (k - 2) * step_degrees * kDegreesToRadians;
    out.truth.push_back(
        test_support::scene_image(camera, {900 * std::sin(angle), 520, 900 * std::cos(angle)}, {0, 60, 0}));
  }
  for (const ProjectImage& image : out.truth) out.pictures.push_back(scene.render(image, kPitch));
  return out;
}

double cpu_seconds() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + 1e-9 * static_cast<double>(t.tv_nsec);
}

// SIFT's features with their descriptors as bytes (OpenCV's 8-bit SIFT
// descriptors), kept to the strongest kMaxFeatures.
ImageFeatures sift_features(const RgbImage& photograph) {
  cv::Mat rgb(photograph.height(), photograph.width(), CV_8UC3, const_cast<std::uint8_t*>(photograph.row(0)));
  cv::Mat grey;
  cv::cvtColor(rgb, grey, cv::COLOR_RGB2GRAY);
  auto sift = cv::SIFT::create(kMaxFeatures, 3, 0.01, 10, 1.6, CV_8U);
  std::vector<cv::KeyPoint> keypoints;
  cv::Mat descriptors;
  sift->detectAndCompute(grey, cv::noArray(), keypoints, descriptors);
  ImageFeatures features;
  features.descriptor_bytes = descriptors.cols;
  for (int i = 0; i < static_cast<int>(keypoints.size()); ++i) {
    features.positions.push_back(
        {keypoints[static_cast<std::size_t>(i)].pt.x, keypoints[static_cast<std::size_t>(i)].pt.y});
    features.descriptors.insert(features.descriptors.end(), descriptors.ptr<std::uint8_t>(i),
                                descriptors.ptr<std::uint8_t>(i) + descriptors.cols);
  }
  return features;
}

// Ratio test and mutual best match by Euclidean distance.
std::vector<FeatureMatch> match_euclidean(const ImageFeatures& a, const ImageFeatures& b) {
  auto matrix = [](const ImageFeatures& f) {
    cv::Mat bytes(static_cast<int>(f.size()), f.descriptor_bytes, CV_8U,
                  const_cast<std::uint8_t*>(f.descriptors.data()));
    cv::Mat floats;
    bytes.convertTo(floats, CV_32F);
    return floats;
  };
  std::vector<FeatureMatch> out;
  if (a.size() < 2 || b.size() < 2) return out;
  cv::BFMatcher matcher(cv::NORM_L2);
  std::vector<std::vector<cv::DMatch>> forward, backward;
  const cv::Mat da = matrix(a), db = matrix(b);
  matcher.knnMatch(da, db, forward, 2);
  matcher.knnMatch(db, da, backward, 2);
  std::vector<int> best_for_b(b.size(), -1);
  for (const auto& pair : backward)
    if (pair.size() == 2 && pair[0].distance < 0.8 * pair[1].distance)
      best_for_b[static_cast<std::size_t>(pair[0].queryIdx)] = pair[0].trainIdx;
  for (const auto& pair : forward)
    if (pair.size() == 2 && pair[0].distance < 0.8 * pair[1].distance &&
        best_for_b[static_cast<std::size_t>(pair[0].trainIdx)] == pair[0].queryIdx)
      out.push_back({pair[0].queryIdx, pair[0].trainIdx});
  return out;
}

std::vector<std::string> split(const std::string& list) {
  std::vector<std::string> out;
  for (std::size_t start = 0; start <= list.size();) {
    const std::size_t comma = std::min(list.find(',', start), list.size());
    out.push_back(list.substr(start, comma - start));
    start = comma + 1;
  }
  return out;
}

void measure(const Photographs& set, const std::string& detector, double tolerance_px) {
  std::printf("%s, %s:\n", set.name.c_str(), detector.c_str());
  std::vector<ImageFeatures> features;
  double wall_sum = 0, cpu_sum = 0;
  for (std::size_t i = 0; i < set.pictures.size(); ++i) {
    const auto start = std::chrono::steady_clock::now();
    const double cpu_start = cpu_seconds();
    if (detector == "sift") {
      features.push_back(sift_features(set.pictures[i]));
    } else {
      FeatureOptions options;
      options.squeezed_views = detector.starts_with("squeeze2") ? 2 : detector.starts_with("squeeze1") ? 1 : 0;
      if (detector.ends_with("x2")) options.max_features *= 2;
      features.push_back(detect_features(set.pictures[i], options));
    }
    const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const double cpu = cpu_seconds() - cpu_start;
    wall_sum += wall;
    cpu_sum += cpu;
    std::printf("  photograph %zu: features %zu, %.2f s, CPU %.2f s\n", i, features.back().size(), wall, cpu);
    std::fflush(stdout);
  }
  const double match_cpu_start = cpu_seconds();
  int verified_sum = 0, on_lines_sum = 0, pairs_verified = 0;
  for (std::size_t i = 0; i < features.size(); ++i)
    for (std::size_t j = i + 1; j < features.size(); ++j) {
      const std::vector<FeatureMatch> candidates =
          detector == "sift" ? match_euclidean(features[i], features[j]) : match_descriptors(features[i], features[j]);
      const std::vector<FeatureMatch> verified = verify_by_essential(
          features[i], CameraRays(set.truth[i]), features[j], CameraRays(set.truth[j]), candidates, tolerance_px);
      // Verified matches by their distance from the true epipolar line:
      // within 1.5 px, to 3 px, to 10 px, beyond.
      int off[4] = {0, 0, 0, 0};
      for (const FeatureMatch& m : verified) {
        const double d =
            test_support::epipolar_distance(set.truth[i], features[i].positions[static_cast<std::size_t>(m.a)],
                                            set.truth[j], features[j].positions[static_cast<std::size_t>(m.b)]);
        ++off[d <= 1.5 ? 0 : d <= 3 ? 1 : d <= 10 ? 2 : 3];
      }
      const int on_lines = off[0];
      // On rendered photographs: matches whose point really appears there.
      int true_points = 0;
      if (set.name != "sample")
        for (const FeatureMatch& m : verified) {
          const test_support::TexturedScene scene;
          const PoseFrame frame = PoseFrame::of(set.truth[i]);
          const auto d = CameraRays(set.truth[i]).direction(features[i].positions[static_cast<std::size_t>(m.a)]);
          const auto surface = scene.hit(frame.centre, frame.to_world_direction(*d * (1 / length(*d))));
          if (!surface) continue;
          const Point2 in_b = project_to_image(*surface, set.truth[j], true);
          const Point2 p = features[j].positions[static_cast<std::size_t>(m.b)];
          true_points += std::hypot(in_b.x - p.x, in_b.y - p.y) <= 3;
        }
      // The pair's geometry from its verified matches: the angle of the
      // relative rotation and the median angle at which the rays meet.
      double turn_degrees = 0, parallax_degrees = 0;
      if (verified.size() >= 5) {
        const CameraRays rays_i(set.truth[i]), rays_j(set.truth[j]);
        std::vector<cv::Point2d> pa, pb;
        for (const FeatureMatch& m : verified) {
          const Vec3 da = *rays_i.direction(features[i].positions[static_cast<std::size_t>(m.a)]);
          const Vec3 db = *rays_j.direction(features[j].positions[static_cast<std::size_t>(m.b)]);
          pa.emplace_back(da.x / -da.z, da.y / da.z);
          pb.emplace_back(db.x / -db.z, db.y / db.z);
        }
        const cv::Mat identity = cv::Mat::eye(3, 3, CV_64F);
        const cv::Mat essential = cv::findEssentialMat(pa, pb, identity, cv::LMEDS);
        cv::Mat turn, translation;
        if (essential.rows == 3 && essential.cols == 3) {
          cv::recoverPose(essential, pa, pb, identity, turn, translation);
          cv::Mat axis;
          cv::Rodrigues(turn, axis);
          turn_degrees = cv::norm(axis) / kDegreesToRadians;
          std::vector<double> angles;
          const cv::Matx33d r(turn);
          for (std::size_t k = 0; k < pa.size(); ++k) {
            const cv::Vec3d ra(pa[k].x, pa[k].y, 1), rb = r.t() * cv::Vec3d(pb[k].x, pb[k].y, 1);
            angles.push_back(std::acos(std::clamp(ra.dot(rb) / (cv::norm(ra) * cv::norm(rb)), -1.0, 1.0)));
          }
          std::nth_element(angles.begin(), angles.begin() + static_cast<std::ptrdiff_t>(angles.size() / 2),
                           angles.end());
          parallax_degrees = angles[angles.size() / 2] / kDegreesToRadians;
        }
      }
      std::printf(
          "  pair %zu-%zu: candidates %zu, verified %zu (on the true lines %d; off by 1.5-3 px %d, "
          "3-10 px %d, more %d; true points %d); their geometry: turn %.1f deg, parallax %.1f deg\n",
          i, j, candidates.size(), verified.size(), on_lines, off[1], off[2], off[3], true_points, turn_degrees,
          parallax_degrees);
      std::fflush(stdout);
      verified_sum += static_cast<int>(verified.size());
      on_lines_sum += on_lines;
      pairs_verified += verified.empty() ? 0 : 1;
    }
  std::printf(
      "  summary: features per photograph %.0f, %.2f s and CPU %.2f s per photograph; pairs verified %d, "
      "verified matches %d (on the true lines %d), matching CPU %.2f s\n",
      [&] {
        double sum = 0;
        for (const ImageFeatures& f : features) sum += static_cast<double>(f.size());
        return sum / static_cast<double>(features.size());
      }(),
      wall_sum / static_cast<double>(features.size()), cpu_sum / static_cast<double>(features.size()), pairs_verified,
      verified_sum, on_lines_sum, cpu_seconds() - match_cpu_start);
}

std::optional<Photographs> sample(const std::string& dir) {
  MemorySettingsStore store;
  test_support::RecordingNotifier notifier;
  test_support::RecordingMessages messages;
  Project project{store, notifier, messages};
  project.set_path(dir + "/house.op2");
  if (open_project(project) != OpenResult::Opened) return std::nullopt;
  Photographs out{"sample", {}, {}, {}};
  for (const ProjectImage* image : project.images().images) {
    std::string error;
    std::optional<RgbImage> picture = read_project_photograph(*image, error);
    if (!picture) {
      std::printf("  %s\n", error.c_str());
      return std::nullopt;
    }
    ProjectImage truth;
    auto& camera = out.cameras[image->camera];
    if (!camera) camera = std::make_unique<CameraModel>(*image->camera);
    truth.camera = camera.get();
    truth.centre_x = image->centre_x;
    truth.centre_y = image->centre_y;
    truth.pose = image->pose;
    truth.pose_known = true;
    out.truth.push_back(std::move(truth));
    out.pictures.push_back(std::move(*picture));
  }
  return out;
}

}  // namespace
}  // namespace plenvista

int main(int argc, char** argv) {
  using namespace plenvista;
  install_photograph_readers();
  const std::vector<std::string> detectors = split(argc > 2 ? argv[2] : "akaze,squeeze2,sift");
  const std::vector<std::string> sets = split(argc > 3 ? argv[3] : "wide,narrow,sample");
  const double tolerance_px = argc > 4 ? std::atof(argv[4]) : 1.0;
  const auto wanted = [&](const char* name) { return std::find(sets.begin(), sets.end(), name) != sets.end(); };
  CameraModel camera = test_support::scene_camera(kPitch);
  std::vector<Photographs> photographs;
  if (wanted("wide")) photographs.push_back(rendered("wide (40 degrees)", 40, camera));
  if (wanted("narrow")) photographs.push_back(rendered("narrow (20 degrees)", 20, camera));
  if (argc > 1 && wanted("sample")) {
    std::optional<Photographs> read = sample(argv[1]);
    if (!read) {
      std::printf("cannot read the sample project in %s\n", argv[1]);
      return 1;
    }
    photographs.push_back(std::move(*read));
  }
  for (const Photographs& set : photographs)
    for (const std::string& detector : detectors) measure(set, detector, tolerance_px);
  return 0;
}
