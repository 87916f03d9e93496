#pragma once

// SettingsStore: per-user preferences that outlive a project (window
// placement, last project, defaults for new projects). A flat set of named
// values, each a 32-bit integer or a text. Implementations hold no cached
// values: every call reads or writes one value. A store that cannot be read
// returns the caller's default (integers) or nothing (texts); failed writes
// are silent.

#include <map>
#include <optional>
#include <string>

namespace plenvista {

class SettingsStore {
 public:
  virtual ~SettingsStore() = default;
  virtual int read_int(const std::string& name, int fallback) const = 0;
  virtual std::optional<std::string> read_text(const std::string& name) const = 0;
  virtual void write_int(const std::string& name, int value) = 0;
  virtual void write_text(const std::string& name, const std::string& value) = 0;
};

// A store in memory, for tests and for tools that must not touch the user's
// preferences.
class MemorySettingsStore : public SettingsStore {
 public:
  int read_int(const std::string& name, int fallback) const override {
    const auto it = ints_.find(name);
    return it == ints_.end() ? fallback : it->second;
  }
  std::optional<std::string> read_text(const std::string& name) const override {
    const auto it = texts_.find(name);
    if (it == texts_.end()) return std::nullopt;
    return it->second;
  }
  void write_int(const std::string& name, int value) override { ints_[name] = value; }
  void write_text(const std::string& name, const std::string& value) override { texts_[name] = value; }

 private:
  std::map<std::string, int> ints_;
  std::map<std::string, std::string> texts_;
};

}  // namespace plenvista
