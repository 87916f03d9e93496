#include <gtest/gtest.h>

#include <cmath>

#include "cli/cli_test_support.h"
#include "testing/synthetic_marks.h"

namespace plenvista {
namespace {

using test_support::run_cli;
using test_support::TempDir;

TEST(CliSnap, PrintsTheTargetUnderAPositionOrThePositionUnchanged) {
  TempDir dir;
  RgbImage photo(120, 80, {90, 90, 90});
  test_support::draw_sphere(photo, {40.3, 30.6}, 12.0, {30, 170, 60});
  test_support::blur(photo, 0.6);
  dir.write("targets.bmp", test_support::bmp_bytes(photo));

  const test_support::CliRun json = run_cli(dir, "snap targets.bmp 42.3 29.1 --json");
  ASSERT_EQ(json.status, 0) << json.err;
  const QJsonObject document = test_support::parse_json(json.out);
  EXPECT_EQ(document["kind"].toString(), "target");
  EXPECT_NEAR(document["x"].toDouble(), 40.3, 0.1);
  EXPECT_NEAR(document["y"].toDouble(), 30.6, 0.1);
  EXPECT_NEAR(document["moved_px"].toDouble(),
              std::hypot(document["x"].toDouble() - 42.3, document["y"].toDouble() - 29.1), 1e-9);

  // Nothing within a radius of 3 on the plain ground: the position as given.
  const test_support::CliRun plain = run_cli(dir, "snap targets.bmp 100.25 60.5 --radius 3");
  ASSERT_EQ(plain.status, 0) << plain.err;
  EXPECT_EQ(plain.out, "Position: 100.250 60.500\nKind: none\nMoved: 0.000 px\nConfidence: 0.00\n");

  EXPECT_EQ(run_cli(dir, "snap targets.bmp 120 10").status, 1);
  EXPECT_EQ(run_cli(dir, "snap missing.bmp 10 10").status, 1);
  EXPECT_EQ(run_cli(dir, "snap targets.bmp 10 10 --radius 0").status, 2);
}

}  // namespace
}  // namespace plenvista
