#include "model/find_file.h"

#include <filesystem>
#include <system_error>
#include <vector>

#include "base/file_io.h"

namespace plenvista {

namespace {

bool is_separator(char c) { return c == '/' || c == '\\'; }

bool is_absolute(std::string_view entry) {
  return (!entry.empty() && is_separator(entry[0])) || (entry.size() >= 2 && entry[1] == ':');
}

std::string with_forward_slashes(std::string_view text) {
  std::string out(text);
  for (char& c : out)
    if (c == '\\') c = '/';
  return out;
}

// A path split into its root ("/", "C:/" or none) and its directory names.
struct WalkedPath {
  std::string root;
  std::vector<std::string> parts;

  explicit WalkedPath(std::string_view directory) : root(root_of(directory)) {
    walk(directory.substr(root.empty() ? 0 : root.size() - 1), /*interpret_dots=*/false);
  }

  static std::string root_of(std::string_view directory) {
    if (!directory.empty() && is_separator(directory[0])) return std::string(1, '/');
    if (directory.size() >= 2 && directory[1] == ':') return std::string(directory.substr(0, 2)) + '/';
    return {};
  }

  void walk(std::string_view text, bool interpret_dots) {
    std::size_t begin = 0;
    while (begin <= text.size()) {
      std::size_t end = begin;
      while (end < text.size() && !is_separator(text[end])) ++end;
      const std::string_view part = text.substr(begin, end - begin);
      begin = end + 1;
      if (part.empty() || (interpret_dots && part == ".")) continue;
      if (interpret_dots && part == "..")
        up();
      else
        parts.emplace_back(part);
    }
  }

  // Above a root there is nothing; above a relative start there is "..".
  void up() {
    if (!parts.empty() && parts.back() != "..")
      parts.pop_back();
    else if (root.empty())
      parts.emplace_back("..");
  }

  std::string text() const {
    std::string out = root;
    for (const std::string& part : parts) out += part + "/";
    return out;
  }
};

}  // namespace

std::string directory_for_entry(std::string_view entry, std::string_view project_directory) {
  if (is_absolute(entry)) {
    std::string directory = with_forward_slashes(entry);
    if (directory.back() != '/') directory.push_back('/');
    return directory;
  }
  WalkedPath path(project_directory);
  path.walk(entry, /*interpret_dots=*/true);
  return path.text();
}

std::optional<std::string> find_file_along_directories(std::string_view directories, std::string_view project_directory,
                                                       std::string_view file_name) {
  std::size_t begin = 0;
  while (begin <= directories.size()) {
    std::size_t end = directories.find(';', begin);
    if (end == std::string_view::npos) end = directories.size();
    const std::string_view entry = directories.substr(begin, end - begin);
    if (!entry.empty()) {
      std::string candidate = directory_for_entry(entry, project_directory);
      candidate += file_name;
      if (file_is_readable(candidate)) return candidate;
    }
    begin = end + 1;
  }
  return std::nullopt;
}

FullPathReach reach_full_path(std::string_view directories, std::string_view project_directory, std::string_view path) {
  namespace fs = std::filesystem;
  FullPathReach reach;
  const std::string forward = with_forward_slashes(path);
  const std::size_t slash = forward.rfind('/');
  std::error_code ec;
  if (slash == std::string::npos || !fs::is_regular_file(forward, ec) || !file_is_readable(forward)) return reach;
  const std::string name = forward.substr(slash + 1);
  if (const auto found = find_file_along_directories(directories, project_directory, name)) {
    if (fs::equivalent(*found, forward, ec) && !ec) {
      reach.state = FullPathReach::State::Reached;
      return reach;
    }
  }
  reach.state = FullPathReach::State::FolderMissing;
  const fs::path folder = fs::absolute(fs::path(forward).parent_path(), ec).lexically_normal();
  reach.folder = folder.generic_string();
  if (!reach.folder.empty() && reach.folder.size() > 1 && reach.folder.back() == '/') reach.folder.pop_back();
  reach.entry = reach.folder;
  if (!project_directory.empty()) {
    const fs::path base = fs::absolute(fs::path(with_forward_slashes(project_directory)), ec).lexically_normal();
    const fs::path relative = folder.lexically_relative(base);
    int ups = 0;
    for (const fs::path& part : relative)
      if (part == "..") ++ups;
    if (!relative.empty() && ups <= 2) {
      reach.entry = relative.generic_string();
      if (reach.entry.size() > 1 && reach.entry.back() == '/') reach.entry.pop_back();
    }
  }
  return reach;
}

std::string with_directory(std::string_view directories, std::string_view entry) {
  std::string list(directories);
  if (!list.empty() && list.back() != ';') list += ';';
  list += entry;
  list += ';';
  return list;
}

}  // namespace plenvista
