#include "shell/recent_projects.h"

#include <QAction>
#include <algorithm>

namespace plenvista {

namespace {

std::string key(int index) { return "RecentProject" + std::to_string(index + 1); }

void write(SettingsStore& settings, const std::vector<std::string>& paths) {
  for (int i = 0; i < kRecentProjectsKept; ++i)
    settings.write_text(key(i), i < static_cast<int>(paths.size()) ? paths[static_cast<std::size_t>(i)] : "");
}

}  // namespace

std::vector<std::string> recent_projects(const SettingsStore& settings) {
  std::vector<std::string> paths;
  for (int i = 0; i < kRecentProjectsKept; ++i) {
    const std::optional<std::string> path = settings.read_text(key(i));
    if (!path || path->empty()) break;
    paths.push_back(*path);
  }
  return paths;
}

void add_recent_project(SettingsStore& settings, const std::string& path) {
  std::vector<std::string> paths = recent_projects(settings);
  std::erase(paths, path);
  paths.insert(paths.begin(), path);
  if (paths.size() > kRecentProjectsKept) paths.resize(kRecentProjectsKept);
  write(settings, paths);
}

void remove_recent_project(SettingsStore& settings, const std::string& path) {
  std::vector<std::string> paths = recent_projects(settings);
  std::erase(paths, path);
  write(settings, paths);
}

RecentProjectsMenu::RecentProjectsMenu(const SettingsStore& settings, std::function<void(const std::string&)> open,
                                       QWidget* parent)
    : QMenu(QStringLiteral("Recent &Projects"), parent), settings_(settings), open_(std::move(open)) {
  refresh();
}

void RecentProjectsMenu::refresh() {
  clear();
  const std::vector<std::string> paths = recent_projects(settings_);
  for (std::size_t i = 0; i < paths.size(); ++i) {
    // "&1" to "&8": the digit chooses the entry from the keyboard.
    QAction* entry = addAction(
        QStringLiteral("&%1 %2").arg(i + 1).arg(QString::fromStdString(paths[i]).replace('&', QStringLiteral("&&"))));
    connect(entry, &QAction::triggered, this, [this, path = paths[i]] { open_(path); });
  }
  menuAction()->setEnabled(!paths.empty());
}

}  // namespace plenvista
