#pragma once

// The user's preferences on QSettings: organisation "Tarnwick", application
// "Plenvista", a per-user file. Every call opens the settings, reads or
// writes one value and closes them again, so nothing is cached and two
// running programs see each other's writes. Texts are UTF-8.

#include <QString>

#include "base/settings_store.h"

namespace plenvista {

class QtSettingsStore : public SettingsStore {
 public:
  // The user's own store.
  QtSettingsStore();
  // A store in an INI file of its own (tests, portable installs).
  explicit QtSettingsStore(QString ini_file);

  int read_int(const std::string& name, int fallback) const override;
  std::optional<std::string> read_text(const std::string& name) const override;
  void write_int(const std::string& name, int value) override;
  void write_text(const std::string& name, const std::string& value) override;

 private:
  QString ini_file_;  // empty: the user's store
};

}  // namespace plenvista
