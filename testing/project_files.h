#pragma once

// A fixture for tests of the files a project writes and reads: a temporary
// directory, recording doubles for the project's settings, notifications
// and messages, and photographs added by name with their centre (pixels).

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "base/file_io.h"
#include "model/image_management.h"
#include "testing/recorders.h"
#include "testing/temp_dir.h"

namespace plenvista::test_support {

struct ProjectFiles : ::testing::Test {
  TempDir temp;
  MemorySettingsStore store;
  RecordingNotifier notifier;
  RecordingMessages messages;

  static ProjectImage* add(Project& project, const std::string& name, double centre_x, double centre_y) {
    auto image = std::make_unique<ProjectImage>();
    image->file_name = name;
    ProjectImage* added = add_image(project, std::move(image));
    added->centre_x = centre_x;
    added->centre_y = centre_y;
    return added;
  }
  std::string file(const std::string& name) const { return (temp.path / name).string(); }
  // The whole file, or an empty text when it cannot be read.
  static std::string read(const std::string& path) {
    const ReadResult r = read_whole_file(path);
    return r.bytes ? std::string(r.bytes->begin(), r.bytes->end()) : std::string();
  }
};

}  // namespace plenvista::test_support
