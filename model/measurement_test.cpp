#include "model/measurement.h"

#include <gtest/gtest.h>

#include <cmath>

namespace plenvista {
namespace {

ModelPoint point(double x, double y, double z) {
  ModelPoint p;
  p.x = x;
  p.y = y;
  p.z = z;
  return p;
}

TEST(MeasurePoints, DistanceComponentsAndAngleInShownUnits) {
  ModelPoint a = point(1, 1, 1), b = point(4, 5, 1), c = point(4, 5, -2);
  ProjectTransform t;
  t.origin_offset = {100, -50, 7};  // cancels out
  t.scale = 2.0;
  const ModelPoint* two[] = {&a, &b};
  const auto m = measure_points(two, t);
  ASSERT_TRUE(m);
  EXPECT_DOUBLE_EQ(m->first.distance, 10.0);
  EXPECT_EQ(m->first.components, (Vec3{6, 8, 0}));
  EXPECT_FALSE(m->angle_deg);

  const ModelPoint* three[] = {&a, &b, &c};
  const auto angle = measure_points(three, t);
  ASSERT_TRUE(angle && angle->second && angle->angle_deg);
  EXPECT_DOUBLE_EQ(angle->second->distance, 6.0);
  EXPECT_NEAR(*angle->angle_deg, 90.0, 1e-12);

  // Nearly straight and folded back: exact near 180 and 0 degrees.
  ModelPoint far = point(7, 9, 1 + 1e-9), back = point(1, 1, 1 + 1e-9);
  const ModelPoint* straight[] = {&a, &b, &far};
  EXPECT_NEAR(*measure_points(straight, t)->angle_deg, 180.0, 1e-6);
  const ModelPoint* folded[] = {&a, &b, &back};
  EXPECT_NEAR(*measure_points(folded, t)->angle_deg, 0.0, 1e-6);

  // A ray without length has no angle; other counts measure nothing.
  const ModelPoint* repeated[] = {&a, &b, &b};
  EXPECT_FALSE(measure_points(repeated, t)->angle_deg);
  const ModelPoint* one[] = {&a};
  EXPECT_FALSE(measure_points(one, t));
}

TEST(MeasureFaces, AreaInSquaredShownUnitsAndTheNormalOfOneFace) {
  ModelPoint a = point(0, 0, 0), b = point(3, 0, 0), c = point(0, 4, 0), d = point(0, 0, 5);
  ModelFace up, side, broken;
  up.corners = {&a, &b, &c};
  side.corners = {&a, &c, &d};
  broken.corners = {&a, &b, nullptr};
  ProjectTransform t;
  t.scale = -2.0;  // a negative scale turns every vector round, not the normal

  const ModelFace* one[] = {&up};
  const FaceMeasurement m = measure_faces(one, t);
  EXPECT_DOUBLE_EQ(m.area, 24.0);
  ASSERT_TRUE(m.normal);
  EXPECT_EQ(*m.normal, (Vec3{0, 0, 1}));

  const ModelFace* all[] = {&up, &side, &broken};
  const FaceMeasurement sum = measure_faces(all, t);
  EXPECT_EQ(sum.faces, 2);
  EXPECT_DOUBLE_EQ(sum.area, 24.0 + 40.0);
  EXPECT_FALSE(sum.normal);

  ModelFace flat;
  flat.corners = {&a, &b, &b};
  const ModelFace* degenerate[] = {&flat};
  EXPECT_FALSE(measure_faces(degenerate, t).normal);
}

TEST(SelectionOrder, KeepsTheOrderOfSelectingAcrossUpdates) {
  SelectionOrder order;
  order.update({7});
  order.update({3, 7});
  order.update({3, 7, 12});
  EXPECT_EQ(order.ids(), (std::vector<int>{7, 3, 12}));
  order.update({12, 3});
  EXPECT_EQ(order.ids(), (std::vector<int>{3, 12}));
  order.update({});
  EXPECT_TRUE(order.ids().empty());
}

TEST(MeasurementLines, NameEachValueWithSixDecimals) {
  PointMeasurement p;
  p.first = {5.0, {3, 4, 0}};
  p.second = Leg{1.0, {0, 0, -1}};
  p.angle_deg = 90.0;
  FaceMeasurement f;
  f.faces = 1;
  f.area = 12.5;
  f.normal = Vec3{0, 0, 1};
  EXPECT_EQ(measurement_lines(p, f),
            (std::vector<std::string>{"Distance : 5.000000", "Components : (3.000000, 4.000000, 0.000000)",
                                      "Distance 2-3 : 1.000000", "Components 2-3 : (0.000000, 0.000000, -1.000000)",
                                      "Angle : 90.000000 deg", "Faces : 1", "Area : 12.500000",
                                      "Normal : (0.000000, 0.000000, 1.000000)"}));
  EXPECT_TRUE(measurement_lines(std::nullopt, FaceMeasurement{}).empty());
}

}  // namespace
}  // namespace plenvista
