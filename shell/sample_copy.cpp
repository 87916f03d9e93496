#include "shell/sample_copy.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>

#include "base/settings_store.h"

namespace plenvista {

namespace {
const QString kBuiltIn = QStringLiteral(":/sample");
}

std::string default_sample_directory() {
  return QDir(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation)).filePath("sample").toStdString();
}

std::optional<std::string> copy_sample_project(const std::string& directory) {
  const QDir target(QString::fromStdString(directory));
  if (!target.mkpath(QStringLiteral("."))) return std::nullopt;
  for (const QString& name : QDir(kBuiltIn).entryList(QDir::Files)) {
    const QString copy = target.filePath(name);
    if (QFile::exists(copy)) {
      QFile::setPermissions(copy, QFile::ReadOwner | QFile::WriteOwner);
      if (!QFile::remove(copy)) return std::nullopt;
    }
    // Files copied out of the program's resources are read-only.
    if (!QFile::copy(kBuiltIn + QLatin1Char('/') + name, copy) ||
        !QFile::setPermissions(copy, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther))
      return std::nullopt;
  }
  const QString project = target.filePath(QStringLiteral("house.op2"));
  if (!QFile::exists(project)) return std::nullopt;
  return project.toStdString();
}

bool is_first_start(const SettingsStore& settings) {
  const auto last = settings.read_text("LastProject");
  return !last || last->empty();
}

}  // namespace plenvista
