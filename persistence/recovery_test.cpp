#include "persistence/recovery.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "base/binary_io.h"
#include "base/file_io.h"
#include "model/control_points.h"
#include "model/edit_actions.h"
#include "persistence/project_file.h"
#include "persistence/project_lock.h"
#include "persistence/recovery_writer.h"
#include "testing/recorders.h"
#include "testing/temp_dir.h"

namespace plenvista {
namespace {

using test_support::TempDir;

const ProcessIdentity kSelf{100, "workshop"};
const ProcessIdentity kOther{200, "workshop"};

bool only_other_alive(int pid) { return pid == kOther.pid || pid == kSelf.pid; }
bool none_alive(int) { return false; }

std::string read_text(const std::string& path) {
  const ReadResult read = read_whole_file(path);
  return read.bytes ? std::string(read.bytes->begin(), read.bytes->end()) : std::string("<missing>");
}

TEST(ProjectLock, TextNamesProcessAndHostAndRefusesAnythingElse) {
  EXPECT_EQ(format_lock(kSelf), "100\nworkshop\n");
  EXPECT_EQ(parse_lock("100\nworkshop\n"), kSelf);
  EXPECT_EQ(parse_lock("100\nworkshop"), kSelf);
  for (const char* bad : {"", "100", "0\nhost\n", "-4\nhost\n", "12x\nhost\n", "12\n\n", "99999999999\nh\n"})
    EXPECT_FALSE(parse_lock(bad).has_value()) << bad;
}

TEST(ProjectLock, SecondInstanceIsRefusedUntilTheOwnerReleasesOrDies) {
  TempDir dir;
  const std::string project = dir.write("house.op2", "x");
  EXPECT_EQ(acquire_project_lock(project, kSelf, only_other_alive).state, LockState::Acquired);
  EXPECT_EQ(read_text(project + ".lock"), "100\nworkshop\n");
  // Taking it again in the same process is fine.
  EXPECT_EQ(acquire_project_lock(project, kSelf, only_other_alive).state, LockState::Acquired);

  const LockAttempt second = acquire_project_lock(project, kOther, only_other_alive);
  EXPECT_EQ(second.state, LockState::HeldByOther);
  EXPECT_EQ(second.owner, kSelf);
  // Only the owner removes it.
  release_project_lock(project, kOther);
  EXPECT_TRUE(std::filesystem::exists(project + ".lock"));
  release_project_lock(project, kSelf);
  EXPECT_FALSE(std::filesystem::exists(project + ".lock"));

  // A lock of a process that died on this host is taken over.
  dir.write("house.op2.lock", format_lock({31337, "workshop"}));
  EXPECT_EQ(acquire_project_lock(project, kSelf, only_other_alive).state, LockState::Acquired);
  EXPECT_EQ(read_text(project + ".lock"), format_lock(kSelf));
}

TEST(ProjectLock, LocksThatCannotBeCheckedAreRespected) {
  TempDir dir;
  const std::string project = dir.write("house.op2", "x");
  // Another host's processes cannot be checked, even when none runs here.
  dir.write("house.op2.lock", format_lock({31337, "elsewhere"}));
  EXPECT_EQ(acquire_project_lock(project, kSelf, none_alive).state, LockState::HeldByOther);
  dir.write("house.op2.lock", "garbage");
  const LockAttempt unknown = acquire_project_lock(project, kSelf, none_alive);
  EXPECT_EQ(unknown.state, LockState::HeldByOther);
  EXPECT_FALSE(unknown.owner.has_value());
  EXPECT_EQ(acquire_project_lock(dir.file("missing/house.op2"), kSelf, none_alive).state, LockState::CannotCreate);
}

class RecoveryCopies : public ::testing::Test {
 protected:
  // A project with some points, at `path` in the temporary folder.
  void SetUp() override {
    project.set_path(dir.file("house.op2"));
    for (int i = 0; i < 5; ++i) add_point(project, i, 2.0 * i, 3.0);
  }
  std::string folder() const { return dir.file("recovery"); }
  std::string copy_path() const { return folder() + "/" + recovery_file_name(project.path, kOther, 0); }
  // Writes a copy through the worker, as kOther at time `ms`.
  void write_copy(double ms) {
    RecoveryWriter writer;
    writer.write(prepare_recovery_copy(project, copy_path(), kOther, ms));
  }

  TempDir dir;
  MemorySettingsStore settings;
  test_support::RecordingNotifier notifier;
  test_support::RecordingMessages messages;
  Project project{settings, notifier, messages};
};

TEST_F(RecoveryCopies, NamesDependOnThePathOrOnTheSession) {
  const std::string a = recovery_file_name(std::string("/a/house.op2"), kSelf, 5);
  EXPECT_EQ(a, recovery_file_name(std::string("/a/house.op2"), kOther, 9));
  EXPECT_TRUE(a.starts_with("house.op2-") && a.ends_with(".op2r")) << a;
  EXPECT_NE(a, recovery_file_name(std::string("/b/house.op2"), kSelf, 5));
  EXPECT_EQ(recovery_file_name(std::nullopt, kSelf, 5), "untitled-100-5.op2r");
}

TEST_F(RecoveryCopies, CopyHoldsExactlyWhatSaveWritesAndIsFoundAfterTheOwnerDied) {
  write_copy(1.0e15);
  auto found = find_recovery_copies(folder(), kSelf, none_alive);
  ASSERT_EQ(found.size(), 1u);
  ASSERT_TRUE(found[0].header.has_value());
  EXPECT_EQ(found[0].header->project_path, project.path);
  EXPECT_EQ(found[0].header->owner, kOther);
  const ReadResult read = read_whole_file(found[0].path);
  const auto decoded = decode_recovery(*read.bytes);
  ASSERT_TRUE(decoded.has_value());
  EXPECT_EQ(std::string(decoded->project_bytes.begin(), decoded->project_bytes.end()), encode_project(project));

  // Not offered while its owner runs, nor to the owner itself.
  EXPECT_TRUE(find_recovery_copies(folder(), kSelf, only_other_alive).empty());
  EXPECT_TRUE(find_recovery_copies(folder(), kOther, none_alive).empty());
}

// The control points changed since the last save come back with the copy;
// a copy written before copies carried them takes the file beside the project.
TEST_F(RecoveryCopies, CopyCarriesTheControlPointsAndAnOlderCopyReadsTheFileBeside) {
  ASSERT_TRUE(merge_control_points(project, {{"A", {1, 2, 3}}}));
  ASSERT_TRUE(save_project(project));
  ASSERT_TRUE(merge_control_points(project, {{"A", {4, 5, 6}}, {"B", {7, 8, 9}}}));
  write_copy(1.0e15);
  const ReadResult read = read_whole_file(copy_path());
  const auto decoded = decode_recovery(*read.bytes);
  ASSERT_TRUE(decoded.has_value());
  const auto recovered = [&](std::span<const std::uint8_t> bytes, const std::optional<std::string>& points) {
    auto opened = std::make_unique<Project>(settings, notifier, messages);
    opened->set_path(*project.path);
    EXPECT_EQ(open_project_bytes(*opened, bytes, copy_path(), points), OpenResult::Opened);
    return opened;
  };
  const auto now = recovered(decoded->project_bytes, decoded->control_points);
  ASSERT_EQ(now->model.control_points.count(), 2);
  EXPECT_EQ(find_control_point(now->model, "A")->position, (Vec3{4, 5, 6}));

  ByteWriter v1;
  v1.text(std::string_view("PLENREC"));
  v1.i32(1);
  v1.text(project.path);
  v1.f64(1.0e15);
  v1.i32(kOther.pid);
  v1.text(std::string_view(kOther.host));
  v1.i32(static_cast<std::int32_t>(decoded->project_bytes.size()));
  v1.bytes(decoded->project_bytes.data(), decoded->project_bytes.size());
  const auto old =
      decode_recovery(std::span(reinterpret_cast<const std::uint8_t*>(v1.data().data()), v1.data().size()));
  ASSERT_TRUE(old.has_value());
  EXPECT_FALSE(old->control_points.has_value());
  const auto before = recovered(old->project_bytes, old->control_points);
  ASSERT_EQ(before->model.control_points.count(), 1);
  EXPECT_EQ(find_control_point(before->model, "A")->position, (Vec3{1, 2, 3}));
}

TEST_F(RecoveryCopies, OnlyCopiesNewerThanTheirProjectAreOffered) {
  ASSERT_TRUE(save_project(project));
  const double saved = *file_written_ms(*project.path);
  write_copy(saved - 1000.0);
  EXPECT_TRUE(find_recovery_copies(folder(), kSelf, none_alive).empty());
  write_copy(saved + 1000.0);
  EXPECT_EQ(find_recovery_copies(folder(), kSelf, none_alive).size(), 1u);
  // A project file that is gone cannot be newer.
  write_copy(saved - 1000.0);
  std::filesystem::remove(*project.path);
  EXPECT_EQ(find_recovery_copies(folder(), kSelf, none_alive).size(), 1u);
  EXPECT_TRUE(recovery_is_newer(5.0, std::nullopt));
  EXPECT_FALSE(recovery_is_newer(5.0, 5.0));
}

TEST_F(RecoveryCopies, CutShortCopyIsFoundAsDamagedAndMovedAsideNotDeleted) {
  write_copy(1.0e15);
  const std::string copy = copy_path();
  const std::string whole = read_text(copy);
  for (const std::size_t keep : {std::size_t{3}, std::size_t{30}, whole.size() - 1}) {
    dir.write("recovery/" + std::filesystem::path(copy).filename().string(), whole.substr(0, keep));
    const auto found = find_recovery_copies(folder(), kSelf, none_alive);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_FALSE(found[0].header.has_value()) << keep;
  }
  const auto first = move_aside(copy);
  ASSERT_TRUE(first.has_value());
  EXPECT_EQ(*first, copy + ".damaged");
  EXPECT_EQ(read_text(*first), whole.substr(0, whole.size() - 1));
  // A second damaged copy of the same name does not replace the first.
  dir.write("recovery/" + std::filesystem::path(copy).filename().string(), "x");
  EXPECT_EQ(move_aside(copy), copy + ".1.damaged");
  EXPECT_TRUE(find_recovery_copies(folder(), kSelf, none_alive).empty());
}

TEST(RecoveryWriter, WritesAndRemovalsHappenInTheOrderAsked) {
  TempDir dir;
  const std::string path = dir.file("recovery/a.op2r");
  RecoveryWriter writer;
  for (int i = 0; i < 20; ++i) writer.write({path, "head", std::to_string(i)});
  writer.wait_idle();
  EXPECT_EQ(read_text(path), "head19");
  writer.write({path, "head", "late"});
  writer.remove(path);
  writer.wait_idle();
  EXPECT_FALSE(std::filesystem::exists(path));
  EXPECT_EQ(writer.failures(), 0);
  dir.write("file", "a file, not a folder");
  writer.write({dir.file("file/inside/a/file"), "h", "x"});
  writer.wait_idle();
  EXPECT_EQ(writer.failures(), 1);
}

TEST(AutosaveSchedule, EveryFiftiethEditAndTimerTicksAfterChanges) {
  AutosaveSchedule schedule(2);
  EXPECT_EQ(schedule.interval_ms(), 120000);
  EXPECT_FALSE(schedule.timer_due());
  for (int i = 1; i < kEditsPerAutosave; ++i) EXPECT_FALSE(schedule.edit_made()) << i;
  EXPECT_TRUE(schedule.timer_due());
  EXPECT_TRUE(schedule.edit_made());
  schedule.settled();
  EXPECT_FALSE(schedule.timer_due());
  for (int i = 1; i < kEditsPerAutosave; ++i) EXPECT_FALSE(schedule.edit_made());
  EXPECT_TRUE(schedule.edit_made());

  AutosaveSchedule off(0);
  for (int i = 0; i < 2 * kEditsPerAutosave; ++i) EXPECT_FALSE(off.edit_made());
  EXPECT_FALSE(off.timer_due());
}

}  // namespace
}  // namespace plenvista
