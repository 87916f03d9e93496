#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "cli/cli_test_support.h"
#include "model/measurement.h"
#include "testing/sample_scene.h"

namespace plenvista {
namespace {

using test_support::CliRun;
using test_support::OpenedProject;
using test_support::parse_json;
using test_support::TempDir;

const std::string kSample = PLENVISTA_SOURCE_DIR "/sample/house.op2";

// The sample's point nearest to a point of the scene it was made from.
const ModelPoint* nearest(const ModelData& model, const Vec3& truth) {
  const ModelPoint* best = nullptr;
  double best_distance = std::numeric_limits<double>::max();
  for (const ModelPoint* p : model.points) {
    const double d = std::hypot(p->x - truth.x, p->y - truth.y, p->z - truth.z);
    if (d < best_distance) {
      best = p;
      best_distance = d;
    }
  }
  return best;
}

// The point of the scene nearest to a point of the sample.
Vec3 truth_of(const ModelPoint& p) {
  Vec3 truth{};
  double best_distance = std::numeric_limits<double>::max();
  for (const Vec3& v : sample::kModelPoints)
    if (const double d = std::hypot(p.x - v.x, p.y - v.y, p.z - v.z); d < best_distance) {
      best_distance = d;
      truth = v;
    }
  return truth;
}

TEST(CliMeasure, TheSamplesDistancesAnglesAndAreasAgreeWithItsScene) {
  OpenedProject opened(kSample);
  const ModelData& model = opened.project.model;
  const double scale = model.transform.scale;
  // Corners of the right wall: front bottom, front top, back bottom.
  const ModelPoint* bottom = nearest(model, sample::kModelPoints[1]);
  const ModelPoint* top = nearest(model, sample::kModelPoints[5]);
  const ModelPoint* back = nearest(model, sample::kModelPoints[2]);
  TempDir dir;
  const CliRun run =
      test_support::run_cli(dir, "measure '" + kSample + "' --points " + std::to_string(top->id) + " " +
                                     std::to_string(bottom->id) + " " + std::to_string(back->id) + " --json");
  ASSERT_EQ(run.status, 0) << run.err;
  const QJsonObject json = parse_json(run.out);
  // Within the precision of the sample's orientation: a few mm in 400.
  EXPECT_NEAR(json["distance"].toDouble(), 400.0 * scale, 3.0 * scale);
  EXPECT_NEAR(json["components"].toArray()[1].toDouble(), -400.0 * scale, 3.0 * scale);
  EXPECT_NEAR(json["distance_2"].toDouble(), 300.0 * scale, 3.0 * scale);
  EXPECT_NEAR(json["angle_deg"].toDouble(), 90.0, 0.5);
  EXPECT_FALSE(json.contains("area"));

  // Every face: its area against the area of the scene's triangle.
  std::string ids;
  double truth = 0.0;
  for (const ModelFace* f : model.faces) {
    ids += " " + std::to_string(f->id);
    const Vec3 a = truth_of(*f->corners[0]), b = truth_of(*f->corners[1]), c = truth_of(*f->corners[2]);
    const Vec3 u{b.x - a.x, b.y - a.y, b.z - a.z}, v{c.x - a.x, c.y - a.y, c.z - a.z};
    truth += std::hypot(u.y * v.z - u.z * v.y, u.z * v.x - u.x * v.z, u.x * v.y - u.y * v.x) / 2;
  }
  ASSERT_GT(model.faces.count(), 1);
  const QJsonObject faces =
      parse_json(test_support::run_cli(dir, "measure '" + kSample + "' --faces" + ids + " --json").out);
  EXPECT_EQ(faces["faces"].toInt(), model.faces.count());
  EXPECT_NEAR(faces["area"].toDouble(), truth * scale * scale, 0.01 * truth * scale * scale);
  EXPECT_FALSE(faces.contains("normal"));

  // One face alone also has its normal.
  const CliRun one =
      test_support::run_cli(dir, "measure '" + kSample + "' --faces " + std::to_string(model.faces.first()->id));
  EXPECT_EQ(one.status, 0);
  EXPECT_NE(one.out.find("Normal : ("), std::string::npos) << one.out;

  EXPECT_EQ(test_support::run_cli(dir, "measure '" + kSample + "' --points 999999 " + std::to_string(top->id)).status,
            1);
  EXPECT_EQ(test_support::run_cli(dir, "measure '" + kSample + "' --points " + std::to_string(top->id)).status, 2);
  EXPECT_EQ(test_support::run_cli(dir, "measure '" + kSample + "'").status, 2);
}

}  // namespace
}  // namespace plenvista
