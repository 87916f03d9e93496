#pragma once

// Finding a file (a photograph or the camera file) along a project's list of
// image directories.
//
// The list is separated by ';' and empty entries are skipped. An entry that
// starts with '/' or '\' or a drive letter ("C:") is absolute and used as it
// is (its backslashes read as '/'). Any other entry, usually "." or
// "..\..\camera", is walked from the project directory: ".." removes the last
// directory, "." is ignored, any other part is appended; '/' and '\' both
// separate parts. Built paths use '/' and end with it. With an empty project
// directory (an untitled project) relative entries start from the working
// directory.
//
// The first directory in which the file opens for reading wins; the file is
// closed at once. None when no entry holds it.

#include <optional>
#include <string>
#include <string_view>

namespace plenvista {

// The directory (ending with '/', or empty for the working directory) that
// one list entry names.
std::string directory_for_entry(std::string_view entry, std::string_view project_directory);

std::optional<std::string> find_file_along_directories(std::string_view directories, std::string_view project_directory,
                                                       std::string_view file_name);

// A file named with its folder (a path with '/' or '\\'; both separate)
// and what the directories make of it:
// - NotAFile: the path names no readable file (or has no folder part);
// - Reached: the directories find this very file by its bare name;
// - FolderMissing: they do not; `folder` is its folder's absolute path and
//   `entry` the list entry that reaches it: relative to the project
//   directory ("." , "photos", "../shoot") when the folder lies in it or at
//   most two levels above it, else the absolute path (an untitled project
//   always gets the absolute path).
struct FullPathReach {
  enum class State { NotAFile, Reached, FolderMissing };
  State state = State::NotAFile;
  std::string folder;
  std::string entry;
};
FullPathReach reach_full_path(std::string_view directories, std::string_view project_directory, std::string_view path);

// `directories` with `entry` added at its end, the list ending with ';'.
std::string with_directory(std::string_view directories, std::string_view entry);

}  // namespace plenvista
