#include "model/mirror.h"

#include <gtest/gtest.h>

#include "model/edit_actions.h"
#include "model/edit_test_support.h"

namespace plenvista {
namespace {

using BuildMirrorPoint = test_support::EditFixture;
using BuildMirrorFace = test_support::EditFixture;
using RebuildMirrorLists = test_support::EditFixture;

TEST_F(BuildMirrorPoint, MirrorsOutsideTheBufferBandOnly) {
  model.transform.mirror_plane = MirrorPlane::X;
  model.transform.mirror_buffer = 4.0;
  ModelPoint* far = add_point(project, 10, 2, 3);
  ModelPoint* inside = add_point(project, 3.9, 0, 0);
  ModelPoint* edge = add_point(project, 4.0, 0, 0);
  ModelPoint* negative_edge = add_point(project, -4.0, 0, 0);
  ASSERT_EQ(model.mirror_points.count(), 3);
  const ModelPoint* m = model.mirror_points.find(far->id);
  ASSERT_NE(m, nullptr);
  EXPECT_EQ(m->position(), (Vec3{-10, 2, 3}));
  EXPECT_EQ(m->layer, far->layer);
  EXPECT_EQ(model.mirror_points.find(inside->id), nullptr);
  ASSERT_NE(model.mirror_points.find(edge->id), nullptr);
  EXPECT_EQ(model.mirror_points.find(edge->id)->x, -4.0);
  ASSERT_NE(model.mirror_points.find(negative_edge->id), nullptr);
  EXPECT_EQ(model.mirror_points.find(negative_edge->id)->x, 4.0);
}

TEST_F(BuildMirrorPoint, UsesTheOffsetAndTheChosenAxis) {
  model.transform.mirror_plane = MirrorPlane::X;
  model.transform.origin_offset = {5, 0, 0};
  ModelPoint* p = add_point(project, 10, 1, 1);
  EXPECT_EQ(model.mirror_points.find(p->id)->x, -20.0);
  model.transform.mirror_plane = MirrorPlane::Z;
  model.transform.origin_offset = {0, 0, -1};
  ModelPoint* q = add_point(project, 1, 2, 10);
  EXPECT_EQ(model.mirror_points.find(q->id)->position(), (Vec3{1, 2, -8}));
  model.transform.mirror_plane = MirrorPlane::None;
  ModelPoint* r = add_point(project, 50, 50, 50);
  EXPECT_EQ(model.mirror_points.find(r->id), nullptr);
}

TEST_F(BuildMirrorFace, SharesBandCornersAndReversesTheWinding) {
  model.transform.mirror_plane = MirrorPlane::X;
  ModelPoint* on_plane = add_point(project, 1, 0, 0);
  ModelPoint* b = add_point(project, 10, 0, 0);
  ModelPoint* c = add_point(project, 10, 5, 0);
  const int before = model.next_id;
  ModelFace* face = add_face(project, *on_plane, *b, *c);
  ASSERT_EQ(model.mirror_faces.count(), 1);
  const ModelFace* m = model.mirror_faces.first();
  EXPECT_EQ(model.next_id, before + 2);  // the face and its mirror
  EXPECT_NE(m->id, face->id);
  EXPECT_EQ(m->material, face->material);
  EXPECT_EQ(m->corners[0], on_plane);
  EXPECT_EQ(m->corners[1], model.mirror_points.find(c->id));
  EXPECT_EQ(m->corners[2], model.mirror_points.find(b->id));
}

TEST_F(BuildMirrorFace, TakesTheMirrorTextureCoordinates) {
  model.transform.mirror_plane = MirrorPlane::X;
  ModelPoint* a = add_point(project, 10, 0, 0);
  ModelPoint* b = add_point(project, 10, 5, 0);
  ModelPoint* c = add_point(project, 1, 5, 0);
  ModelFace* face = add_face(project, *a, *b, *c);
  project.undo.begin_action("Apply Texture");
  TextureSink sink(project);
  sink.attach(*face, {sink.create(*a, 0, 0), sink.create(*b, 1, 0), sink.create(*c, 0, 1)});
  project.undo.end_action();
  rebuild_mirror_lists(model);
  const ModelFace* m = model.mirror_faces.first();
  for (std::size_t k = 0; k < 3; ++k) {
    static constexpr std::size_t kFrom[3] = {0, 2, 1};
    const TextureCoord* t = m->texture_coords[k];
    ASSERT_NE(t, nullptr);
    EXPECT_TRUE(model.mirror_texture_coords.contains(t));
    EXPECT_EQ(t->id, face->texture_coords[kFrom[k]]->id);
    EXPECT_EQ(t->point, m->corners[k]);
  }
}

TEST_F(RebuildMirrorLists, AdvancesTheCounterPerFaceOnlyWithAPlane) {
  ModelPoint* a = add_point(project, 10, 0, 0);
  ModelPoint* b = add_point(project, 10, 5, 0);
  ModelPoint* c = add_point(project, 20, 5, 0);
  add_face(project, *a, *b, *c);
  add_face(project, *c, *b, *a);
  int before = model.next_id;
  rebuild_mirror_lists(model);
  EXPECT_EQ(model.next_id, before);
  EXPECT_EQ(model.mirror_points.count(), 0);
  model.transform.mirror_plane = MirrorPlane::Y;
  model.transform.origin_offset = {0, -100, 0};
  before = model.next_id;
  rebuild_mirror_lists(model);
  EXPECT_EQ(model.next_id, before + 2);
  rebuild_mirror_lists(model);
  EXPECT_EQ(model.next_id, before + 4);
  EXPECT_EQ(model.mirror_points.count(), 3);
  EXPECT_EQ(model.mirror_faces.count(), 2);
  EXPECT_EQ(test_support::broken_invariant(model), "");
}

}  // namespace
}  // namespace plenvista
