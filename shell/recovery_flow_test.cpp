// Autosave, recovery at start-up and the lock against opening one project
// twice, walked through main windows with real project files.

#include <gtest/gtest.h>

#include <QProcess>
#include <QTest>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <memory>
#include <thread>

#include "base/file_io.h"
#include "model/control_points.h"
#include "model/edit_actions.h"
#include "model/run_edit.h"
#include "persistence/project_file.h"
#include "persistence/project_lock.h"
#include "photogrammetry/camera_file.h"
#include "platform/this_process.h"
#include "shell/dialogs/dialog_test_support.h"
#include "shell/dialogs/project_properties_dialog.h"
#include "shell/main_window.h"
#include "shell/shell_test_doubles.h"
#include "testing/cameras.h"
#include "testing/recorders.h"
#include "testing/temp_dir.h"

namespace plenvista {
namespace {

using test_support::ScriptedFiles;
using test_support::ScriptedQuestions;
using test_support::TempDir;

// Above any process id Linux gives out: never alive.
constexpr int kDeadPid = 0x3FFFFFF0;
enum Pick { kRecover = 0, kDiscard = 1, kLater = 2 };

std::string file_text(const std::string& path) {
  const ReadResult read = read_whole_file(path);
  return read.bytes ? std::string(read.bytes->begin(), read.bytes->end()) : std::string("<missing>");
}

std::vector<std::string> files_in(const std::string& folder) {
  std::vector<std::string> names;
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator(folder, ec))
    names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

class RecoveryFlow : public ::testing::Test {
 protected:
  void SetUp() override {
    // A saved project with one point.
    Project source(settings, notifier, messages);
    source.set_path(project_path);
    add_point(source, 1.0, 2.0, 3.0);
    ASSERT_TRUE(save_project(source));
    saved_bytes = file_text(project_path);
    settings.write_int("AutosaveMinutes", 60);
  }

  // A window of the process `self` (this one unless told).
  std::unique_ptr<MainWindow> make(ProcessIdentity self = current_process()) {
    return std::make_unique<MainWindow>(MainWindow::Services{
        settings, files, questions, {open_project, save_project}, {}, {folder, std::move(self), process_alive}});
  }
  // Shows a window, which offers recovery copies once painted.
  std::unique_ptr<MainWindow> start() {
    auto window = make();
    window->show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    for (int i = 0; i < 5; ++i) QCoreApplication::processEvents();
    return window;
  }
  void open(MainWindow& window) {
    files.choices = {project_path};
    window.actions().file_open->trigger();
    QCoreApplication::processEvents();
  }
  void edit(MainWindow& window, int count) {
    Project& p = window.project();
    for (int i = 0; i < count; ++i) {
      run_edit(p, [&] { add_point(p, i, -i, 0.5 * i); });
      QCoreApplication::processEvents();
    }
  }
  // A window of a process that then died, leaving one recovery copy.
  std::string crashed_copy() {
    auto window = make({kDeadPid, current_process().host});
    open(*window);
    edit(*window, kEditsPerAutosave);
    window->autosaver().wait_idle();
    return window->autosaver().copy_path();
  }

  TempDir dir;
  std::string project_path = dir.file("house.op2");
  std::string folder = dir.file("recovery");
  std::string saved_bytes;
  MemorySettingsStore settings;
  test_support::RecordingNotifier notifier;
  test_support::RecordingMessages messages;
  ScriptedFiles files;
  ScriptedQuestions questions;
};

TEST_F(RecoveryFlow, KilledEditingRunIsRecoveredAsAutosavedAndSaveWritesTheOriginal) {
  const std::string expected = dir.file("expected.op2");
  const std::string ready = dir.file("ready");
  QProcess helper;
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.insert("QT_QPA_PLATFORM", "offscreen");
  helper.setProcessEnvironment(environment);
  helper.start(PLENVISTA_RECOVERY_HELPER, {QString::fromStdString(folder), QString::fromStdString(project_path),
                                           QString::fromStdString(expected), QString::fromStdString(ready)});
  ASSERT_TRUE(helper.waitForStarted());
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(120);
  while (!std::filesystem::exists(ready) && helper.state() == QProcess::Running &&
         std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  ASSERT_TRUE(std::filesystem::exists(ready)) << helper.readAllStandardError().toStdString();
  const int helper_pid = static_cast<int>(helper.processId());
  ::kill(helper_pid, SIGKILL);
  ASSERT_TRUE(helper.waitForFinished());
  // The killed run left its lock and its copy behind; the project is as saved.
  EXPECT_EQ(parse_lock(file_text(lock_file_path(project_path))), (ProcessIdentity{helper_pid, current_process().host}));
  EXPECT_TRUE(file_text(project_path) == saved_bytes);
  ASSERT_EQ(files_in(folder).size(), 1u);

  questions.picks = {kRecover};
  auto window = start();
  ASSERT_EQ(questions.asked.size(), 1u);
  EXPECT_TRUE(questions.asked[0].text.contains(
      QRegularExpression("^Recover the unsaved changes of house\\.op2 from \\d\\d:\\d\\d\\?$")))
      << questions.asked[0].text.toStdString();
  EXPECT_EQ(questions.choice_labels[0], (QStringList{"Recover", "Discard", "Later"}));
  Project& project = window->project();
  EXPECT_EQ(project.path, project_path);
  EXPECT_TRUE(project.modified);
  EXPECT_EQ(project.model.points.count(), 1 + kEditsPerAutosave);
  EXPECT_EQ(window->windowTitle(), "house.op2 - Plenvista");
  // The dead run's lock was taken over.
  EXPECT_EQ(parse_lock(file_text(lock_file_path(project_path))), current_process());

  window->actions().file_save->trigger();
  EXPECT_FALSE(project.modified);
  // Byte for byte what Save wrote at the autosave (compared whole: no dump of binary bytes).
  EXPECT_TRUE(file_text(project_path) == file_text(expected));
  window->autosaver().wait_idle();
  EXPECT_TRUE(files_in(folder).empty());
  window->close();
  EXPECT_FALSE(std::filesystem::exists(lock_file_path(project_path)));
}

TEST_F(RecoveryFlow, LaterKeepsTheCopyAndDiscardDeletesIt) {
  const std::string copy = crashed_copy();
  ASSERT_FALSE(copy.empty());
  questions.picks = {kLater};
  {
    auto window = start();
    EXPECT_EQ(questions.asked.size(), 1u);
    EXPECT_FALSE(window->project().path.has_value());
    EXPECT_FALSE(window->project().modified);
  }
  EXPECT_TRUE(std::filesystem::exists(copy));
  // Closing the box is Later too.
  start();
  EXPECT_EQ(questions.asked.size(), 2u);
  EXPECT_TRUE(std::filesystem::exists(copy));

  questions.picks = {kDiscard};
  start();
  EXPECT_EQ(questions.asked.size(), 3u);
  EXPECT_FALSE(std::filesystem::exists(copy));
  EXPECT_TRUE(file_text(project_path) == saved_bytes);
  start();
  EXPECT_EQ(questions.asked.size(), 3u);
}

TEST_F(RecoveryFlow, CutShortCopyIsReportedAndKeptAside) {
  const std::string copy = crashed_copy();
  const std::string whole = file_text(copy);
  ASSERT_TRUE(write_file_atomically(copy, whole.substr(0, whole.size() / 2)) == WriteResult::Ok);
  auto window = start();
  EXPECT_TRUE(questions.asked.empty());
  ASSERT_EQ(questions.told.size(), 1u);
  EXPECT_TRUE(questions.told[0].text.startsWith("The recovery copy of house.op2-"))
      << questions.told[0].text.toStdString();
  EXPECT_TRUE(questions.told[0].text.contains("is damaged and cannot be recovered"));
  EXPECT_EQ(file_text(copy + ".damaged"), whole.substr(0, whole.size() / 2));
  EXPECT_FALSE(window->project().modified);
}

TEST_F(RecoveryFlow, UntitledProjectIsRecoveredUntitled) {
  {
    auto crashed = make({kDeadPid, current_process().host});
    ASSERT_TRUE(merge_control_points(crashed->project(), {{"gate post", {1, 2, 3}}}));
    edit(*crashed, kEditsPerAutosave);
    crashed->autosaver().wait_idle();
  }
  questions.picks = {kRecover};
  auto window = start();
  ASSERT_EQ(questions.asked.size(), 1u);
  EXPECT_TRUE(questions.asked[0].text.startsWith("Recover the unsaved changes of an untitled project from "));
  EXPECT_FALSE(window->project().path.has_value());
  EXPECT_TRUE(window->project().modified);
  EXPECT_EQ(window->project().model.points.count(), kEditsPerAutosave);
  EXPECT_NE(find_control_point(window->project().model, "gate post"), nullptr);
  // Recovered, the copy is this window's: a normal close removes it.
  window->autosaver().wait_idle();
  EXPECT_EQ(files_in(folder).size(), 1u);
  questions.answers = {QMessageBox::No};
  window->close();
  window->autosaver().wait_idle();
  EXPECT_TRUE(files_in(folder).empty());
}

// The minutes between copies are a preference of the Project dialog; 0
// turns autosave off at once, another number back on.
TEST_F(RecoveryFlow, AutosaveIntervalIsChosenInTheProjectDialog) {
  CameraModel lens = test_support::grid_camera(2, 2);
  ASSERT_TRUE(save_camera(dir.file("lens.cal"), lens, messages));
  auto window = start();
  open(*window);
  const auto choose = [&](const QString& minutes) {
    test_support::when_open<ProjectPropertiesDialog>([&](ProjectPropertiesDialog& dialog) {
      dialog.camera_field()->setText("lens.cal");
      EXPECT_EQ(dialog.autosave_minutes()->text(), QString::number(settings.read_int("AutosaveMinutes", -1)));
      test_support::type_into(dialog.autosave_minutes(), minutes);
      test_support::click_ok(dialog);
    });
    window->actions().project_properties->trigger();
  };
  choose("0");
  EXPECT_EQ(settings.read_int("AutosaveMinutes", -1), 0);
  edit(*window, kEditsPerAutosave);
  window->autosaver().wait_idle();
  EXPECT_TRUE(files_in(folder).empty());

  choose("99999");
  EXPECT_EQ(settings.read_int("AutosaveMinutes", -1), kMaxAutosaveMinutes);
  edit(*window, kEditsPerAutosave);
  window->autosaver().wait_idle();
  EXPECT_EQ(files_in(folder).size(), 1u);
}

TEST_F(RecoveryFlow, SecondInstanceIsWarnedAndReadOnlyCannotSaveOverTheFile) {
  // The first instance: alive as far as the second can tell.
  const ProcessIdentity first_process{static_cast<int>(QCoreApplication::applicationPid()) + 1, current_process().host};
  auto first = std::make_unique<MainWindow>(MainWindow::Services{
      settings, files, questions, {open_project, save_project}, {}, {folder, first_process, [](int) { return true; }}});
  open(*first);
  ASSERT_EQ(first->project().path, project_path);

  auto second = std::make_unique<MainWindow>(MainWindow::Services{
      settings, files, questions, {open_project, save_project}, {}, {folder, current_process(), [](int) {
                                                                       return true;
                                                                     }}});
  questions.picks = {1};  // Cancel
  open(*second);
  ASSERT_EQ(questions.asked.size(), 1u);
  EXPECT_TRUE(questions.asked[0].text.contains("house.op2 is already open in another Plenvista (process " +
                                               QString::number(first_process.pid)));
  EXPECT_EQ(questions.choice_labels[0], (QStringList{"Open Read-Only", "Cancel"}));
  EXPECT_FALSE(second->project().path.has_value());

  questions.picks = {0};  // Open Read-Only
  open(*second);
  EXPECT_EQ(second->project().path, project_path);
  EXPECT_TRUE(second->read_only());
  EXPECT_EQ(second->windowTitle(), "house.op2 [read-only] - Plenvista");
  edit(*second, 2);
  // Save asks for another name; the same name is refused with a message.
  files.choices = {project_path};
  second->actions().file_save->trigger();
  EXPECT_EQ(files.save_initials.back(), project_path);
  ASSERT_EQ(questions.told.size(), 1u);
  EXPECT_TRUE(questions.told[0].text.contains("cannot be saved over"));
  EXPECT_TRUE(file_text(project_path) == saved_bytes);
  EXPECT_TRUE(second->project().modified);
  EXPECT_EQ(parse_lock(file_text(lock_file_path(project_path))), first_process);

  // Another name is saved and locked, and the project is no longer read-only.
  const std::string copy_path = dir.file("house copy.op2");
  files.choices = {copy_path};
  second->actions().file_save->trigger();
  EXPECT_FALSE(second->read_only());
  EXPECT_FALSE(second->project().modified);
  EXPECT_EQ(parse_lock(file_text(lock_file_path(copy_path))), current_process());
  EXPECT_TRUE(file_text(project_path) == saved_bytes);
}

}  // namespace
}  // namespace plenvista
