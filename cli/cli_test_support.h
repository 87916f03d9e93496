#pragma once

// Helpers of the command-line tool's end-to-end tests: running the built
// plenvista-cli in a temporary directory, writing BMP photographs, and
// opening the projects it wrote.

#include <gtest/gtest.h>

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
#include "photogrammetry/pixel_source.h"
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

// A 24-bit bottom-up BMP file of the picture.
inline std::string bmp_bytes(const RgbImage& picture) {
  const int width = picture.width();
  const int height = picture.height();
  const int row_bytes = (width * 3 + 3) / 4 * 4;
  const int pixel_bytes = row_bytes * height;
  std::string out;
  const auto u16 = [&](int v) {
    out += static_cast<char>(v & 0xFF);
    out += static_cast<char>((v >> 8) & 0xFF);
  };
  const auto u32 = [&](int v) {
    u16(v & 0xFFFF);
    u16((v >> 16) & 0xFFFF);
  };
  out += "BM";
  u32(54 + pixel_bytes);
  u32(0);
  u32(54);
  u32(40);
  u32(width);
  u32(height);
  u16(1);
  u16(24);
  u32(0);
  u32(pixel_bytes);
  u32(2835);
  u32(2835);
  u32(0);
  u32(0);
  for (int y = height - 1; y >= 0; --y) {
    for (int x = 0; x < width; ++x) {
      const Rgb p = picture.pixel(x, y);
      out += static_cast<char>(p.b);
      out += static_cast<char>(p.g);
      out += static_cast<char>(p.r);
    }
    out.append(static_cast<std::size_t>(row_bytes - width * 3), '\0');
  }
  return out;
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

}  // namespace plenvista::test_support
