#include "persistence/project_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <limits>
#include <random>

#include "base/file_io.h"
#include "model/edit_actions.h"
#include "model/image_management.h"
#include "model/layers_materials.h"
#include "model/undo_commands.h"
#include "testing/legacy_project_writer.h"
#include "testing/random_texts.h"
#include "testing/recorders.h"
#include "testing/temp_dir.h"

namespace plenvista {
namespace {

namespace fs = std::filesystem;

struct ProjectFileTest : ::testing::Test {
  test_support::TempDir temp;
  const fs::path& dir = temp.path;
  MemorySettingsStore store;
  test_support::RecordingNotifier notifier;
  test_support::RecordingMessages messages;
  Project project{store, notifier, messages};

  std::string file(const std::string& name) const { return (dir / name).string(); }

  void write(const std::string& path, const std::string& bytes) {
    ASSERT_EQ(write_file_atomically(path, bytes), WriteResult::Ok);
  }

  // A project with something in every list.
  void fill(Project& p) {
    ModelData& m = p.model;
    Layer* roof = add_layer(p, "Roof", 0x00FF00);
    m.visible_layers.insert(roof);
    Material* brick = add_material(p, "Brick");
    brick->face_colour = 0x102030;
    brick->attribute = 0.5;
    m.visible_materials.insert(brick);
    auto image = std::make_unique<ProjectImage>();
    image->description = "front";
    image->file_name = "front.bmp";
    image->pose = {{1, 2, 3}, {10, 20, 30}};
    image->search_score = 99.5;
    image->pose_known = 1;
    image->texture_scale = 0.4;
    image->view.zoom = 2.5;
    ProjectImage* front = add_image(p, std::move(image));
    auto side = std::make_unique<ProjectImage>();
    side->description = "side";
    side->file_name = "side.bmp";
    ProjectImage* side_image = add_image(p, std::move(side));
    front->partner = side_image;
    side_image->partner = front;
    add_reference_point(p, *front, {1, 2, 3}, {4, 5});
    brick->texture_image = side_image;
    std::vector<ModelPoint*> pts;
    for (int i = 0; i < 4; ++i) {
      auto pt = std::make_unique<ModelPoint>();
      pt->id = m.new_id();
      pt->x = i;
      pt->y = -i * 0.5;
      pt->z = 1e-3 * i;
      pt->layer = i % 2 ? roof : m.layers.first();
      pts.push_back(m.points.insert(std::move(pt)));
    }
    auto tc = std::make_unique<TextureCoord>();
    tc->id = m.new_id();
    tc->u = 0.25;
    tc->v = 0.75;
    tc->point = pts[0];
    TextureCoord* coord = m.texture_coords.insert(std::move(tc));
    auto face = std::make_unique<ModelFace>();
    face->id = m.new_id();
    face->corners = {pts[0], pts[1], pts[2]};
    face->texture_coords = {coord, nullptr, nullptr};
    face->material = brick;
    m.faces.insert(std::move(face));
    m.current_layer = roof;
    m.current_material = brick;
    m.transform = {0, {1.5, -2, 3}, 6.0, 2.0, MirrorPlane::None};
    m.selection_size = SelectionSize::Large;
    m.selection_mode = SelectionMode::Remove;
    m.face_line_colour = 0xABCDEF;
    m.image_directories = ".;./photos";
    m.description = "a shed";
    p.camera_file_name = "cam.cal";
    p.export_settings.reverse_z = 1;
    p.export_settings.last_obj_path = "/tmp/model";
    p.export_settings.mtl_name = "model.mtl";
    p.cad_views[1].sub_views[2].zoom = 3.0;
    p.cad_views[1].current_axis = 2;
    p.cad_views[2].leading_value = 7;
  }

  std::vector<std::uint8_t> bytes_of(const std::string& s) { return {s.begin(), s.end()}; }

  // Every text of a filled project absent, empty or some bytes at random.
  static void randomise_texts(Project& p, std::mt19937& random) {
    auto text = [&] { return test_support::random_stored_text(random); };
    p.camera_file_name = text();
    p.model.description = text();
    p.model.image_directories = text();
    for (Layer* layer : p.model.layers) layer->name = text();
    for (Material* material : p.model.materials) material->name = text();
    for (ProjectImage* image : p.images().images) {
      image->description = text();
      image->file_name = text();
    }
    p.export_settings.last_x_path = text();
    p.export_settings.last_obj_path = text();
    p.export_settings.mtl_name = text();
  }

  // Sets what a file of `version` does not hold as opening it into
  // `opened` leaves it, so that saving gives the bytes of `source` itself.
  static void keep_what_the_version_holds(Project& source, const Project& opened, int version) {
    ModelData& m = source.model;
    if (version < 3) m.visible_materials.clear();
    if (version < 5) m.image_directories = ".;..\\..\\camera";
    if (version < 6) {
      m.face_line_colour = opened.model.face_line_colour;
      m.mirror_face_line_colour = opened.model.mirror_face_line_colour;
      m.reference_point_colour = opened.model.reference_point_colour;
    }
    if (version < 8) source.export_settings = opened.export_settings;
    if (version < 9) source.cad_views = opened.cad_views;
    if (version < 10) m.selection_size = opened.model.selection_size;
    if (version < 11)
      for (Material* material : m.materials) material->texture_image = nullptr;
    if (version < 13) m.selection_mode = opened.model.selection_mode;
  }
};

using SaveProject = ProjectFileTest;
using OpenProject = ProjectFileTest;
using DecodeProject = ProjectFileTest;

TEST_F(SaveProject, NewProjectRoundTripsWithEmptyHistory) {
  project.set_path(file("new.op2"));
  ASSERT_TRUE(save_project(project));
  EXPECT_FALSE(project.modified);
  MemorySettingsStore other_store;
  Project reopened(other_store, notifier, messages);
  reopened.set_path(file("new.op2"));
  ASSERT_EQ(open_project(reopened), OpenResult::Opened);
  EXPECT_EQ(encode_project(reopened), encode_project(project));
  EXPECT_EQ(reopened.model.next_id, 2);
  EXPECT_FALSE(reopened.camera_file_name.has_value());
  EXPECT_EQ(reopened.undo.actions.count(), 0);
  EXPECT_EQ(reopened.undo.baseline_points.count(), 0);
  EXPECT_TRUE(messages.shown.empty());  // a project without a camera opens quietly
}

TEST_F(SaveProject, FullProjectRoundTripsByteForByte) {
  fill(project);
  project.set_path(file("full.op2"));
  project.modified = true;
  ASSERT_TRUE(save_project(project));
  Project reopened(store, notifier, messages);
  reopened.set_path(file("full.op2"));
  ASSERT_EQ(open_project(reopened), OpenResult::Opened);
  EXPECT_EQ(encode_project(reopened), encode_project(project));
  const ModelData& m = reopened.model;
  EXPECT_EQ(m.current_layer->name, "Roof");
  EXPECT_EQ(m.faces.first()->corners[1]->id, project.model.faces.first()->corners[1]->id);
  EXPECT_EQ(m.faces.first()->texture_coords[0]->u, 0.25);
  EXPECT_EQ(m.materials.last()->texture_image->description, "side");
  const ImageSet& set = reopened.images();
  EXPECT_EQ(set.images.first()->partner, set.images.last());
  EXPECT_EQ(set.current, set.images.first());
  EXPECT_EQ(set.images.first()->camera, &set.camera);
  EXPECT_EQ(reopened.cad_views[1].current_axis, 2);
  EXPECT_EQ(reopened.undo.baseline_points.count(), 4);
  EXPECT_FALSE(reopened.modified);  // Open leaves `modified` as it was
}

TEST_F(SaveProject, UndoCannotGoBackPastASave) {
  add_point(project, 1, 2, 3);
  add_point(project, 4, 5, 6);
  project.set_path(file("undo.op2"));
  ASSERT_TRUE(save_project(project));
  const std::string saved = encode_project(project);
  undo_command(project);
  EXPECT_EQ(project.model.points.count(), 2);
  EXPECT_EQ(encode_project(project), saved);
  EXPECT_TRUE(project.modified);  // undo and redo always mark the project modified
}

TEST_F(SaveProject, AlwaysWritesVersionThirteenAndTheLayoutsFixedSizes) {
  project.file_version = 4;
  project.set_path(file("v.op2"));
  ASSERT_TRUE(save_project(project));
  const std::string bytes = encode_project(project);
  EXPECT_EQ(project.file_version, 13);
  ASSERT_GE(bytes.size(), 17u);
  EXPECT_EQ(bytes.substr(0, 17), std::string("\x35\0\0\0\x05\0\0\0PLEN\0\x0d\0\0\0", 17));
  EXPECT_EQ(bytes.substr(17, 4), std::string(4, '\0'));  // absent camera name: length 0
}

TEST_F(SaveProject, AFailedSaveKeepsTheOldFileAndModified) {
  const std::string path = file("keep.op2");
  write(path, "old contents");
  fs::create_directory(path + ".plenvista-part");  // the temporary cannot be written
  project.set_path(path);
  project.modified = true;
  EXPECT_FALSE(save_project(project));
  EXPECT_TRUE(project.modified);
  ASSERT_EQ(messages.shown.size(), 1u);
  EXPECT_EQ(messages.shown[0], (test_support::Shown{"Cannot Open Project File", "Error"}));
  const ReadResult read = read_whole_file(path);
  ASSERT_TRUE(read.bytes);
  EXPECT_EQ(std::string(read.bytes->begin(), read.bytes->end()), "old contents");
}

TEST_F(OpenProject, MissingFileReportsTheErrorNumber) {
  project.set_path(file("missing.op2"));
  const std::string before = encode_project(project);
  EXPECT_EQ(open_project(project), OpenResult::CannotOpen);
  ASSERT_EQ(messages.shown.size(), 1u);
  EXPECT_EQ(messages.shown[0].text, "Cannot open project file (" + file("missing.op2") + "), error code (2)");
  EXPECT_EQ(messages.shown[0].caption, "Project Open");
  EXPECT_EQ(encode_project(project), before);
}

TEST_F(OpenProject, WrongMagicIsRefusedSilentlyAndLowerCaseSignatureAccepted) {
  fill(project);
  std::string bytes = encode_project(project);
  const std::string before = bytes;
  bytes[0] = 52;
  write(file("m.op2"), bytes);
  Project target(store, notifier, messages);
  const std::string untouched = encode_project(target);
  target.set_path(file("m.op2"));
  EXPECT_EQ(open_project(target), OpenResult::NotAProject);
  EXPECT_TRUE(messages.shown.empty());
  EXPECT_EQ(encode_project(target), untouched);

  std::string lower = before;
  lower.replace(8, 4, "plen");
  write(file("l.op2"), lower);
  target.set_path(file("l.op2"));
  EXPECT_EQ(open_project(target), OpenResult::Opened);
  const std::size_t shown = messages.shown.size();

  std::string other = before;
  other.replace(8, 4, "PLAN");
  write(file("o.op2"), other);
  target.set_path(file("o.op2"));
  EXPECT_EQ(open_project(target), OpenResult::NotAProject);
  EXPECT_EQ(messages.shown.size(), shown);
}

TEST_F(OpenProject, FindsPhotographsThroughItsOwnDirectoryList) {
  fs::create_directories(dir / "proj");
  fs::create_directories(dir / "pics");
  write(file("pics/front.bmp"), "BM");
  fill(project);
  project.model.image_directories = ".;..\\pics";
  project.camera_file_name.reset();
  project.set_path(file("proj/p.op2"));
  ASSERT_TRUE(save_project(project));

  MemorySettingsStore elsewhere;
  elsewhere.write_text("MainDirs", "/nowhere");
  Project target(elsewhere, notifier, messages);
  target.set_path(file("proj/p.op2"));
  ASSERT_EQ(open_project(target), OpenResult::Opened);
  const ProjectImage* front = target.images().images.first();
  ASSERT_TRUE(front->resolved_path.has_value());
  EXPECT_EQ(fs::canonical(*front->resolved_path), fs::canonical(dir / "pics" / "front.bmp"));
  EXPECT_FALSE(target.images().images.last()->resolved_path.has_value());
}

TEST_F(OpenProject, ARelativePathIsMadeAbsolute) {
  project.set_path(file("rel.op2"));
  ASSERT_TRUE(save_project(project));
  const fs::path old_cwd = fs::current_path();
  fs::current_path(dir);
  Project target(store, notifier, messages);
  target.set_path("rel.op2");
  const OpenResult result = open_project(target);
  fs::current_path(old_cwd);
  EXPECT_EQ(result, OpenResult::Opened);
  EXPECT_EQ(fs::path(target.directory), fs::path(dir.string() + "/"));
  EXPECT_EQ(target.file_name, "rel.op2");
}

TEST_F(OpenProject, AMissingCameraFileIsReportedButTheProjectOpens) {
  fill(project);
  project.set_path(file("cam.op2"));
  ASSERT_TRUE(save_project(project));
  Project target(store, notifier, messages);
  target.set_path(file("cam.op2"));
  ASSERT_EQ(open_project(target), OpenResult::Opened);
  EXPECT_EQ(target.camera_file_name, "cam.cal");
  EXPECT_FALSE(target.camera_file_path.has_value());
  ASSERT_FALSE(messages.shown.empty());
  EXPECT_EQ(messages.shown.back(), (test_support::Shown{"Cannot Open Camera File", "Error"}));
}

TEST_F(OpenProject, PostsImagesThenModelChanged) {
  project.set_path(file("n.op2"));
  ASSERT_TRUE(save_project(project));
  notifier.posted.clear();
  ASSERT_EQ(open_project(project), OpenResult::Opened);
  EXPECT_EQ(notifier.posted,
            (std::vector<test_support::Posted>{{Notification::ImagesChanged, 0}, {Notification::ModelChanged, 0}}));
}

TEST_F(DecodeProject, ReadsEveryOlderVersionWithItsDefaults) {
  fill(project);
  MemorySettingsStore base_store;
  for (int version = 1; version <= 13; ++version) {
    SCOPED_TRACE(version);
    Project base(base_store, notifier, messages);
    base.model.selection_size = SelectionSize::Small;
    base.model.selection_mode = SelectionMode::Add;
    base.model.face_line_colour = 0x111111;
    base.export_settings.use_mirror = 0;
    base.cad_views[0].sub_views[1].zoom = 9.0;
    const std::string bytes = test_support::encode_project_version(project, version);
    ProjectFileContents c;
    ASSERT_EQ(decode_project(bytes_of(bytes), base, c), DecodeStatus::Ok);
    const ModelData& m = c.model;
    EXPECT_EQ(c.version, version);
    EXPECT_EQ(m.points.count(), 4);
    EXPECT_EQ(m.faces.first()->texture_coords[0]->v, 0.75);
    EXPECT_EQ(m.next_id, project.model.next_id);
    EXPECT_EQ(c.images->images.first()->file_name, "front.bmp");
    EXPECT_EQ(c.camera_file_name, "cam.cal");
    EXPECT_EQ(m.visible_materials.count(), version >= 3 ? 2 : 0);
    EXPECT_EQ(m.image_directories, version >= 5 ? ".;./photos" : ".;..\\..\\camera");
    EXPECT_EQ(m.face_line_colour, version >= 6 ? 0xABCDEFu : 0x111111u);
    EXPECT_EQ(m.selection_size, version >= 10 ? SelectionSize::Large : SelectionSize::Small);
    EXPECT_EQ(m.selection_mode, version >= 13 ? SelectionMode::Remove : SelectionMode::Add);
    const Material* brick = m.materials.last();
    EXPECT_EQ(brick->texture_image != nullptr, version >= 11);
    EXPECT_EQ(c.export_settings.use_mirror, version >= 8 ? 1 : 0);
    EXPECT_EQ(c.export_settings.reverse_z, version >= 8 ? 1 : 0);
    EXPECT_EQ(c.cad_views[0].sub_views[1].zoom, version >= 9 ? 1.0 : 9.0);
    EXPECT_EQ(c.cad_views[1].current_axis, version >= 9 ? 2 : 0);
  }
}

TEST_F(OpenProject, OpenThenSaveKeepsEveryByteWithAbsentEmptyAndOtherTextsInEveryVersion) {
  std::mt19937 random(15);
  int absent_texts = 0;
  for (int version = 1; version <= 13; ++version) {
    for (int round = 0; round < 6; ++round) {
      SCOPED_TRACE("version " + std::to_string(version) + ", round " + std::to_string(round));
      MemorySettingsStore source_store;
      Project source(source_store, notifier, messages);
      fill(source);
      randomise_texts(source, random);
      absent_texts += !source.model.description + !source.model.layers.first()->name;
      Project opened(store, notifier, messages);
      keep_what_the_version_holds(source, opened, version);
      write(file("old.op2"), test_support::encode_project_version(source, version));
      opened.set_path(file("old.op2"));
      ASSERT_EQ(open_project(opened), OpenResult::Opened);
      opened.set_path(file("saved.op2"));
      ASSERT_TRUE(save_project(opened));
      const ReadResult saved = read_whole_file(file("saved.op2"));
      ASSERT_TRUE(saved.bytes.has_value());
      ASSERT_EQ(std::string(saved.bytes->begin(), saved.bytes->end()),
                test_support::encode_project_version(source, 13));
    }
  }
  EXPECT_GT(absent_texts, 10);  // the generator did mix in absent texts
}

TEST_F(DecodeProject, ImpossibleReferencesAndValuesAreDamage) {
  fill(project);
  const std::string good = encode_project(project);
  ProjectFileContents c;
  ASSERT_EQ(decode_project(bytes_of(good), project, c), DecodeStatus::Ok);

  // A face corner naming no point.
  project.model.faces.first()->corners[2] = nullptr;
  ProjectFileContents broken;
  EXPECT_EQ(decode_project(bytes_of(encode_project(project)), project, broken), DecodeStatus::Damaged);

  // A count far beyond the bytes left: refused before anything is allocated.
  std::string huge = good;
  const std::size_t images_count_at = 17 + 4 + 8;  // after "cam.cal"
  huge.replace(images_count_at, 4, std::string("\xff\xff\xff\x7f", 4));
  ProjectFileContents h;
  EXPECT_EQ(decode_project(bytes_of(huge), project, h), DecodeStatus::Damaged);
}

TEST_F(DecodeProject, KeepsTheIdCounterAboveEveryIdRead) {
  fill(project);
  const int largest = project.model.next_id - 1;
  project.model.next_id = 3;  // a file whose counter fell behind its records
  ProjectFileContents c;
  ASSERT_EQ(decode_project(bytes_of(encode_project(project)), project, c), DecodeStatus::Ok);
  EXPECT_EQ(c.model.next_id, largest + 1);
}

// Found by fuzzing: a record id of the largest int made the counter wrap.
// Such a file is damaged; one whose ids stop just below it opens full.
TEST_F(OpenProject, IdsAtTheLargestIntAreDamageAndJustBelowItOpen) {
  constexpr int kMax = std::numeric_limits<int>::max();
  Project other(store, notifier, messages);
  fill(other);
  other.model.points.last()->id = kMax;
  other.model.points.sort_by_id();
  write(file("max.op2"), encode_project(other));
  fill(project);
  const std::string before = encode_project(project);
  project.set_path(file("max.op2"));
  EXPECT_EQ(open_project(project), OpenResult::Damaged);
  ASSERT_EQ(messages.shown.size(), 1u);
  EXPECT_EQ(messages.shown[0].text,
            "Cannot read project file (" + file("max.op2") + "): the file is damaged or incomplete");
  EXPECT_EQ(encode_project(project), before);

  for (const int largest : {kMax - 1, kMax - 2}) {
    other.model.points.last()->id = largest;
    other.model.next_id = 5;
    ProjectFileContents c;
    ASSERT_EQ(decode_project(bytes_of(encode_project(other)), project, c), DecodeStatus::Ok) << largest;
    EXPECT_EQ(c.model.next_id, largest + 1);
  }
  // A counter at the limit is what a project that used every id saves.
  other.model.points.last()->id = 7;
  other.model.next_id = kMax;
  ProjectFileContents full;
  ASSERT_EQ(decode_project(bytes_of(encode_project(other)), project, full), DecodeStatus::Ok);
  EXPECT_EQ(full.model.next_id, kMax);
}

TEST_F(OpenProject, EveryTruncationAndRandomDamageLeavesTheProjectUntouched) {
  fill(project);
  const std::string good = encode_project(project);
  Project target(store, notifier, messages);
  const std::string untouched = encode_project(target);
  const std::string path = file("t.op2");
  target.set_path(path);
  for (std::size_t length = 0; length < good.size(); ++length) {
    write(path, good.substr(0, length));
    // Cut inside the magic number it is no project file at all.
    ASSERT_EQ(open_project(target), length < 4 ? OpenResult::NotAProject : OpenResult::Damaged) << length;
    ASSERT_EQ(encode_project(target), untouched) << length;
  }
  EXPECT_EQ(messages.shown.back().text, "Cannot read project file (" + path + "): the file is damaged or incomplete");

  std::mt19937 random(12345);
  for (int round = 0; round < 2000; ++round) {
    std::string bytes = good;
    const int changes = 1 + static_cast<int>(random() % 4);
    for (int k = 0; k < changes; ++k) bytes[random() % bytes.size()] = static_cast<char>(random() & 0xFF);
    ProjectFileContents c;
    const DecodeStatus status = decode_project(bytes_of(bytes), target, c);
    if (status != DecodeStatus::Ok) continue;
    // Whatever decodes must satisfy the model's invariants.
    for (const ModelFace* f : c.model.faces) {
      ASSERT_NE(f->material, nullptr);
      for (const ModelPoint* corner : f->corners) ASSERT_TRUE(c.model.points.contains(corner));
    }
    for (const ModelPoint* p : c.model.points) ASSERT_TRUE(c.model.layers.contains(p->layer));
    ASSERT_TRUE(c.model.layers.contains(c.model.current_layer));
  }
}

}  // namespace
}  // namespace plenvista
