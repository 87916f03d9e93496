#pragma once

// The recent projects of File > Recent Projects: the last eight project
// files opened or saved, newest first, as absolute paths in the settings
// ("RecentProject1" to "RecentProject8"; an empty or absent value ends the
// list). Opening a project already listed moves it to the front.
//
// RecentProjectsMenu shows them, numbered, and calls `open` with the path
// chosen; it is disabled while the list is empty. The window refreshes it
// after each change of the list.

#include <QMenu>
#include <functional>
#include <string>
#include <vector>

#include "base/settings_store.h"

namespace plenvista {

inline constexpr int kRecentProjectsKept = 8;

std::vector<std::string> recent_projects(const SettingsStore& settings);
// Puts `path` at the front, dropping an older entry of it and the ninth.
void add_recent_project(SettingsStore& settings, const std::string& path);
void remove_recent_project(SettingsStore& settings, const std::string& path);

class RecentProjectsMenu : public QMenu {
 public:
  RecentProjectsMenu(const SettingsStore& settings, std::function<void(const std::string&)> open, QWidget* parent);
  // Rebuilds the entries from the settings.
  void refresh();

 private:
  const SettingsStore& settings_;
  std::function<void(const std::string&)> open_;
};

}  // namespace plenvista
