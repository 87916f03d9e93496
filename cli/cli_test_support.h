#pragma once

// Helpers of the command-line tool's end-to-end tests: running the built
// plenvista-cli in a temporary directory and opening the projects it wrote.

#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <sys/wait.h>

#include "base/file_io.h"
#include "base/settings_store.h"
#include "model/project.h"
#include "persistence/project_file.h"
#include "photogrammetry/camera_file.h"
#include "testing/bmp_file.h"
#include "testing/cameras.h"
#include "testing/recorders.h"
#include "testing/temp_dir.h"

namespace plenvista::test_support {

struct CliRun {
  int status = -1;
  std::string out;
  std::string err;
};

// The object of a --json document; a document that does not parse fails the test.
inline QJsonObject parse_json(const std::string& text) {
  QJsonParseError error;
  const QJsonDocument document = QJsonDocument::fromJson(QByteArray::fromStdString(text), &error);
  EXPECT_EQ(error.error, QJsonParseError::NoError) << text;
  EXPECT_TRUE(document.isObject()) << text;
  return document.object();
}

inline std::string read_text(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// Runs plenvista-cli with `arguments` (shell words) in `dir`, with a
// preferences directory of its own so the user's settings play no part.
inline CliRun run_cli(const TempDir& dir, const std::string& arguments) {
  const std::string command = "cd '" + dir.path.string() + "' && XDG_CONFIG_HOME='" + dir.path.string() +
                              "/config' '" PLENVISTA_CLI_PATH "' " + arguments + " >cli.out 2>cli.err";
  const int raw = std::system(command.c_str());
  CliRun run;
  run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  run.out = read_text(dir.path / "cli.out");
  run.err = read_text(dir.path / "cli.err");
  return run;
}

// A project opened in-process, as the tool left it.
struct OpenedProject {
  MemorySettingsStore settings;
  RecordingNotifier notifier;
  RecordingMessages messages;
  Project project{settings, notifier, messages};

  explicit OpenedProject(const std::string& path) {
    project.path = path;
    EXPECT_EQ(open_project(project), OpenResult::Opened) << path;
  }
};

// A directory with a camera (native size 64 x 48) in cameras/ and two
// photographs in photos/: front.bmp of the native size and small.bmp of 32 x 24.
struct Workspace {
  TempDir dir;
  Workspace() {
    CameraModel camera = grid_camera(8, 12);
    camera.native_width = 64;
    camera.native_height = 48;
    std::filesystem::create_directories(dir.path / "cameras");
    RecordingMessages messages;
    EXPECT_TRUE(save_camera(dir.dir("cameras") + "cam.cal", camera, messages));
    dir.write("photos/front.bmp", bmp_bytes(RgbImage(64, 48, {200, 10, 10})));
    dir.write("photos/small.bmp", bmp_bytes(RgbImage(32, 24, {10, 200, 10})));
  }
  std::string path(const std::string& relative) const { return (dir.path / relative).string(); }
  CliRun run(const std::string& arguments) const { return run_cli(dir, arguments); }
  std::string bytes(const std::string& relative) const { return read_text(dir.path / relative); }

  // A project with the camera and one native-size image (id 2).
  void make_project() const {
    ASSERT_EQ(run("new p.op2 --camera cam.cal --dirs '.;cameras;photos'").status, 0);
    ASSERT_EQ(run("add-image p.op2 --file front.bmp --description Front").status, 0);
  }
};

}  // namespace plenvista::test_support
