#pragma once

// A fresh directory under the system's temporary directory (TMPDIR), named
// after the running test and removed with everything in it when the object
// goes, unless PLENVISTA_KEEP_TEST_FILES is set: then the files stay for
// inspection.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

namespace plenvista::test_support {

struct TempDir {
  std::filesystem::path path;

  TempDir() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    path = std::filesystem::temp_directory_path() /
           ("plenvista_" + std::string(info->test_suite_name()) + "_" + info->name() + "_" +
            std::to_string(::testing::UnitTest::GetInstance()->random_seed()));
    std::filesystem::remove_all(path);
    std::filesystem::create_directories(path);
  }
  ~TempDir() {
    if (std::getenv("PLENVISTA_KEEP_TEST_FILES")) return;
    std::error_code ec;
    std::filesystem::remove_all(path, ec);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  // Writes a file (creating its directories) and returns its path.
  std::string write(const std::string& relative, std::string_view bytes) const {
    const std::filesystem::path file = path / relative;
    std::filesystem::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return file.string();
  }
  // The path of a file in the directory.
  std::string file(const std::string& relative) const { return (path / relative).string(); }
  std::string dir(const std::string& relative) const { return (path / relative).string() + "/"; }
};

}  // namespace plenvista::test_support
