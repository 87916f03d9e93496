#include "views/model_3d_scene.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "model/layers_materials.h"
#include "model/mirror.h"
#include "photogrammetry/projection.h"
#include "views/cad_view.h"
#include "views/orbit_camera.h"
#include "views/view_test_scene.h"

namespace plenvista {
namespace {

constexpr int kWidth = 640;
constexpr int kHeight = 480;

Point2 shown_at(const OrbitCamera& camera, const Vec3& p) {
  const auto s = camera.project(p, kWidth, kHeight);
  EXPECT_TRUE(s.has_value());
  return s ? s->client : Point2{};
}

TEST(OrbitCameraTest, AxisViewsShowTheModelAsTheCadViewDoes) {
  OrbitCamera camera;
  camera.target = {5, -3, 2};
  camera.distance = 50;
  for (int axis = 0; axis < kAxisCount; ++axis) {
    camera.look_along(axis);
    const Point2 centre = shown_at(camera, camera.target);
    EXPECT_NEAR(centre.x, kWidth / 2.0, 1e-9);
    EXPECT_NEAR(centre.y, kHeight / 2.0, 1e-9);
    // A step along each world axis moves the same way on screen as in the
    // CAD view of that axis, or not at all.
    for (const Vec3 step : {Vec3{1, 0, 0}, Vec3{0, 1, 0}, Vec3{0, 0, 1}}) {
      const Point2 moved = shown_at(camera, camera.target + step);
      const Point2 cad = axis_projection(axis, step);
      const auto sign = [](double v) { return std::abs(v) < 1e-9 ? 0 : (v > 0 ? 1 : -1); };
      EXPECT_EQ(sign(moved.x - centre.x), sign(cad.x)) << "axis " << axis;
      EXPECT_EQ(sign(moved.y - centre.y), sign(cad.y)) << "axis " << axis;
    }
  }
}

TEST(OrbitCameraTest, RaysGoThroughWhatTheyProjectAndZoomKeepsThePointUnderTheCursor) {
  OrbitCamera camera;
  camera.target = {100, 20, -40};
  camera.distance = 300;
  camera.orbit(40, -25);
  const Vec3 p{130, 60, -10};
  const Point2 at = shown_at(camera, p);
  const Ray ray = camera.ray(at, kWidth, kHeight);
  const Vec3 to_p = p - ray.origin;
  EXPECT_NEAR(length(cross(to_p, ray.direction)) / length(to_p), 0.0, 1e-9);

  // The point under the cursor at the target's depth stays there.
  const Point2 cursor{500, 90};
  const Ray before = camera.ray(cursor, kWidth, kHeight);
  const Vec3 under = before.origin + before.direction * (camera.distance / dot(before.direction, camera.forward()));
  camera.zoom(2, cursor, kWidth, kHeight);
  EXPECT_NEAR(camera.distance, 300 * 0.85 * 0.85, 1e-9);
  const Point2 after = shown_at(camera, under);
  EXPECT_NEAR(after.x, cursor.x, 1e-6);
  EXPECT_NEAR(after.y, cursor.y, 1e-6);
  camera.zoom(-2, cursor, kWidth, kHeight);
  EXPECT_NEAR(camera.distance, 300, 1e-9);
}

TEST(OrbitCameraTest, OrbitStopsAtThePolesAndPanFollowsTheMouse) {
  OrbitCamera camera;
  camera.distance = 10;
  camera.orbit(0, 10000);
  EXPECT_DOUBLE_EQ(camera.pitch, std::numbers::pi / 2);
  EXPECT_NEAR(length(camera.up()), 1.0, 1e-12);  // still a camera looking straight down
  camera.orbit(0, -20000);
  EXPECT_DOUBLE_EQ(camera.pitch, -std::numbers::pi / 2);

  camera.look_along(0);
  const Vec3 mark{1, 1, 0};
  const Point2 before = shown_at(camera, mark);
  camera.pan(30, -12, kWidth, kHeight);
  const Point2 after = shown_at(camera, mark);
  EXPECT_NEAR(after.x - before.x, 30, 1e-9);
  EXPECT_NEAR(after.y - before.y, -12, 1e-9);
}

TEST(OrbitCameraTest, FitShowsTheWholeBoxInWideAndTallViews) {
  Bounds box;
  box.add({-10, 0, 300});
  box.add({50, 8, 420});
  for (const auto& [w, h] : {std::pair{800, 300}, std::pair{300, 800}}) {
    OrbitCamera camera;
    camera.orbit(70, 35);
    camera.fit(box, w, h);
    const Point2 centre = camera.project(box.centre(), w, h)->client;
    EXPECT_NEAR(centre.x, w / 2.0, 1e-6);
    Bounds shown;
    for (int k = 0; k < 8; ++k) {
      const Vec3 corner{(k & 1) ? box.high.x : box.low.x, (k & 2) ? box.high.y : box.low.y,
                        (k & 4) ? box.high.z : box.low.z};
      const auto s = camera.project(corner, w, h);
      ASSERT_TRUE(s.has_value());
      EXPECT_GT(s->distance, camera.near_plane(box));
      EXPECT_LT(s->distance, camera.far_plane(box));
      EXPECT_TRUE(s->client.x >= 0 && s->client.x <= w && s->client.y >= 0 && s->client.y <= h);
      shown.add({s->client.x / w, s->client.y / h, 0});
    }
    // Not lost in the middle either.
    EXPECT_GT(std::max(shown.high.x - shown.low.x, shown.high.y - shown.low.y), 0.3);
  }
  // An empty box leaves the camera alone.
  OrbitCamera camera;
  camera.fit(Bounds{}, 100, 100);
  EXPECT_EQ(camera.distance, OrbitCamera{}.distance);
}

TEST(Model3dSceneTest, HoldsShownFacesWithTheirTextureCoordinatesAndSelection) {
  test_support::SquareScene s;
  s.corners[0]->selected = s.corners[1]->selected = s.corners[2]->selected = true;
  Model3dScene scene = build_scene(s.project.model, s.project.images());
  ASSERT_EQ(scene.batches.size(), 2u);
  EXPECT_EQ(scene.batches[0].texture, s.a);
  EXPECT_EQ(scene.batches[0].colour, make_colour(200, 100, 50));
  ASSERT_EQ(scene.face_indices.size(), 6u);
  EXPECT_EQ(scene.points.size(), 5u);
  // Relative to the middle of the model, with export's coordinates.
  const FaceVertex& third = scene.face_vertices[scene.face_indices[1]];  // (100, 100)
  EXPECT_FLOAT_EQ(third.position[0] + static_cast<float>(scene.origin.x), 100.0f);
  EXPECT_FLOAT_EQ(third.uv[0], 1.0f);
  EXPECT_FLOAT_EQ(third.uv[1], 0.0f);
  // The selected face and the other in batches of their own.
  EXPECT_FALSE(scene.batches[0].selected);
  EXPECT_TRUE(scene.batches[1].selected);
  EXPECT_EQ(scene.face_records[0], s.faces[1]);
  EXPECT_EQ(scene.face_vertices.size(), 6u);
  ASSERT_EQ(scene.point_batches.size(), 2u);
  EXPECT_EQ(scene.point_batches[0].look, PointLook::Plain);
  EXPECT_EQ(scene.point_batches[0].count, 2);
  EXPECT_EQ(scene.point_batches[1].look, PointLook::Selected);
  EXPECT_EQ(scene.point_records[2], s.corners[0]);

  // Faces of one batch share the vertices of their common corners.
  s.project.clear_selection();
  s.project.model.current_material->texture_image = nullptr;
  scene = build_scene(s.project.model, s.project.images());
  ASSERT_EQ(scene.batches.size(), 1u);
  EXPECT_EQ(scene.face_vertices.size(), 4u);
  EXPECT_EQ(scene.face_indices[3], scene.face_indices[0]);
  s.project.model.current_material->texture_image = s.a;

  // Without coordinates a face keeps its material colour.
  s.faces[1]->texture_coords[2] = nullptr;
  scene = build_scene(s.project.model, s.project.images());
  ASSERT_EQ(scene.batches.size(), 2u);
  EXPECT_EQ(scene.batches[0].texture, nullptr);
  EXPECT_EQ(scene.face_records[0], s.faces[1]);
  EXPECT_EQ(scene.batches[1].texture, s.a);

  // A hidden material takes its faces (and the points only they use) away;
  // a hidden layer its points and their faces.
  ASSERT_NE(add_material(s.project, "other"), nullptr);
  ASSERT_TRUE(set_visible_materials(s.project, {false, true}));
  scene = build_scene(s.project.model, s.project.images());
  EXPECT_TRUE(scene.face_indices.empty());
  EXPECT_EQ(scene.points.size(), 1u);
  ASSERT_TRUE(set_visible_materials(s.project, {true, true}));
  ASSERT_NE(add_layer(s.project, "other", 0), nullptr);
  ASSERT_TRUE(set_visible_layers(s.project, {false, true}));
  scene = build_scene(s.project.model, s.project.images());
  EXPECT_TRUE(scene.face_indices.empty());
  EXPECT_TRUE(scene.points.empty());
  EXPECT_TRUE(scene.model_bounds.empty);
}

TEST(Model3dSceneTest, MirrorHalfOnlyWhileMirrorPointsShow) {
  test_support::SquareScene s;
  s.project.model.transform.mirror_plane = MirrorPlane::X;
  rebuild_mirror_lists(s.project.model);
  refresh_visibility(s.project.model);
  EXPECT_EQ(build_scene(s.project.model, s.project.images()).face_indices.size(), 6u);
  s.project.model.show_mirror_points = 1;
  refresh_visibility(s.project.model);
  const Model3dScene scene = build_scene(s.project.model, s.project.images());
  EXPECT_EQ(scene.face_indices.size(), 12u);
  EXPECT_EQ(scene.face_records.size(), 4u);
  EXPECT_EQ(scene.face_records[3], nullptr);  // a mirror copy is never picked
  EXPECT_LT(scene.model_bounds.low.x, -99);
}

TEST(Model3dSceneTest, FrustaStandWhereThePhotographsWereTakenAndPointWhereTheyLooked) {
  test_support::SquareScene s;
  s.project.images().current = s.b;
  const Model3dScene scene = build_scene(s.project.model, s.project.images());
  ASSERT_EQ(scene.frusta.size(), 2u);
  EXPECT_EQ(scene.lines.size(), 2u * 2 * 10);
  for (const Frustum& f : scene.frusta) {
    const ProjectImage& image = *f.image;
    const Vec3 centre = image.pose.offset * -1.0;
    EXPECT_NEAR(length(f.apex - centre), 0.0, 1e-6);
    // Each base corner shows at its corner of the photograph.
    const int w = image.camera->native_width, h = image.camera->native_height;
    const Point2 expected[4] = {{0, 0}, {double(w), 0}, {double(w), double(h)}, {0, double(h)}};
    for (std::size_t i = 0; i < 4; ++i) {
      const Point2 p = project_to_image(f.corners[i], image, true);
      EXPECT_NEAR(p.x, expected[i].x, 0.5) << i;
      EXPECT_NEAR(p.y, expected[i].y, 0.5) << i;
    }
  }
  // The current photograph's pyramid is drawn in its own colour.
  const auto& current_line = scene.lines[20];
  EXPECT_FLOAT_EQ(current_line.colour[0], red_of(kCurrentCameraColour) / 255.0f);
  EXPECT_FLOAT_EQ(scene.lines[0].colour[0], red_of(kCameraColour) / 255.0f);
}

TEST(Model3dSceneTest, PicksTheNearestPointUnlessAFaceHidesItElseTheFace) {
  test_support::SquareScene s;
  Model3dScene scene = build_scene(s.project.model, s.project.images());
  OrbitCamera camera;
  camera.target = {50, 50, 0};
  camera.distance = 500;
  const int size = 5;
  // From the front the lone point stands before the square.
  ScenePick hit = pick(scene, camera, shown_at(camera, {50, 50, 200}), kWidth, kHeight, size);
  EXPECT_EQ(hit.point, s.lone);
  hit = pick(scene, camera, shown_at(camera, {75, 25, 0}), kWidth, kHeight, size);
  EXPECT_EQ(hit.point, nullptr);
  EXPECT_EQ(hit.face, s.faces[0]);
  // A corner on its face is picked, not hidden by it.
  const Point2 corner = shown_at(camera, {100, 100, 0});
  EXPECT_EQ(pick(scene, camera, {corner.x - 2, corner.y + 2}, kWidth, kHeight, size).point, s.corners[2]);
  // From behind, the square hides the lone point; nothing is past the edge.
  camera.yaw = std::numbers::pi;
  hit = pick(scene, camera, shown_at(camera, {50, 50, 200}), kWidth, kHeight, size);
  EXPECT_EQ(hit.point, nullptr);
  EXPECT_NE(hit.face, nullptr);
  hit = pick(scene, camera, {1, 1}, kWidth, kHeight, size);
  EXPECT_EQ(hit.point, nullptr);
  EXPECT_EQ(hit.face, nullptr);

  // A frustum is picked by any of its sides.
  camera.yaw = 0;
  camera.distance = 6000;
  const Frustum& f = scene.frusta[1];
  const Vec3 inside = (f.apex + f.corners[0] + f.corners[1] + f.corners[2]) * 0.25;
  EXPECT_EQ(pick_frustum(scene, camera, shown_at(camera, inside), kWidth, kHeight), s.b);
  EXPECT_EQ(pick_frustum(scene, camera, {1, 1}, kWidth, kHeight), nullptr);
}

}  // namespace
}  // namespace plenvista
