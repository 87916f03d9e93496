#include "platform/qt_settings_store.h"

#include <QSettings>
#include <memory>

namespace plenvista {

namespace {

std::unique_ptr<QSettings> open_settings(const QString& ini_file) {
  if (ini_file.isEmpty()) return std::make_unique<QSettings>(QStringLiteral("Tarnwick"), QStringLiteral("Plenvista"));
  return std::make_unique<QSettings>(ini_file, QSettings::IniFormat);
}

QString key(const std::string& name) { return QString::fromStdString(name); }

}  // namespace

QtSettingsStore::QtSettingsStore() = default;
QtSettingsStore::QtSettingsStore(QString ini_file) : ini_file_(std::move(ini_file)) {}

int QtSettingsStore::read_int(const std::string& name, int fallback) const {
  const QVariant value = open_settings(ini_file_)->value(key(name));
  bool ok = false;
  const int result = value.toInt(&ok);
  return value.isValid() && ok ? result : fallback;
}

std::optional<std::string> QtSettingsStore::read_text(const std::string& name) const {
  const QVariant value = open_settings(ini_file_)->value(key(name));
  if (!value.isValid()) return std::nullopt;
  return value.toString().toStdString();
}

void QtSettingsStore::write_int(const std::string& name, int value) {
  open_settings(ini_file_)->setValue(key(name), value);
}

void QtSettingsStore::write_text(const std::string& name, const std::string& value) {
  open_settings(ini_file_)->setValue(key(name), QString::fromStdString(value));
}

}  // namespace plenvista
