#pragma once

// The sample project built into the program: a little house photographed
// from four sides with its grid photograph, camera file and project file
// (made by tools/make_sample.cpp, kept in sample/ of the source tree).
// Users open a writable copy, never the built-in files: each copy starts
// afresh, replacing the sample's files in the target directory (other
// files there are left alone).

#include <optional>
#include <string>

namespace plenvista {

class SettingsStore;

// Where the program copies the sample: "sample" in the user's data
// directory (~/.local/share/Tarnwick/Plenvista/sample).
std::string default_sample_directory();

// Copies every file of the sample into `directory` (made if missing),
// writable by the user. The path of the copied project file, or none when
// the directory cannot be made or a file cannot be written.
std::optional<std::string> copy_sample_project(const std::string& directory);

// A first start: the settings name no last project.
bool is_first_start(const SettingsStore& settings);

}  // namespace plenvista
