#include "persistence/project_lock.h"

#include <charconv>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "base/file_io.h"

namespace plenvista {

namespace {

constexpr std::size_t kLockMaxBytes = 4096;

std::optional<ProcessIdentity> read_lock(const std::string& path) {
  const ReadResult read = read_whole_file(path, kLockMaxBytes);
  if (!read.bytes) return std::nullopt;
  return parse_lock(std::string_view(reinterpret_cast<const char*>(read.bytes->data()), read.bytes->size()));
}

enum class CreateResult { Created, Exists, Failed };

// Creates the lock only when no file of that name exists ("x": exclusive).
CreateResult create_lock(const std::string& path, const ProcessIdentity& self) {
  std::FILE* file = std::fopen(path.c_str(), "wx");
  if (file == nullptr) {
    std::error_code ec;
    return std::filesystem::exists(path, ec) ? CreateResult::Exists : CreateResult::Failed;
  }
  const std::string text = format_lock(self);
  const bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
  if (std::fclose(file) != 0 || !written) {
    std::remove(path.c_str());
    return CreateResult::Failed;
  }
  return CreateResult::Created;
}

}  // namespace

std::string lock_file_path(const std::string& project_path) { return project_path + ".lock"; }

std::string format_lock(const ProcessIdentity& owner) { return std::to_string(owner.pid) + "\n" + owner.host + "\n"; }

std::string lock_owner_text(const std::optional<ProcessIdentity>& owner) {
  if (!owner) return {};
  std::string text = " (process ";
  text.append(std::to_string(owner->pid)).append(" on ").append(owner->host).append(")");
  return text;
}

std::optional<ProcessIdentity> parse_lock(std::string_view text) {
  const std::size_t first = text.find('\n');
  if (first == std::string_view::npos) return std::nullopt;
  ProcessIdentity owner;
  const std::string_view pid = text.substr(0, first);
  const auto [end, error] = std::from_chars(pid.data(), pid.data() + pid.size(), owner.pid);
  if (error != std::errc() || end != pid.data() + pid.size() || owner.pid <= 0) return std::nullopt;
  std::string_view host = text.substr(first + 1);
  if (const std::size_t second = host.find('\n'); second != std::string_view::npos) host = host.substr(0, second);
  if (host.empty()) return std::nullopt;
  owner.host = std::string(host);
  return owner;
}

bool lock_is_stale(const ProcessIdentity& owner, const ProcessIdentity& self, const ProcessAlive& alive) {
  return owner.host == self.host && owner.pid != self.pid && !alive(owner.pid);
}

LockAttempt acquire_project_lock(const std::string& project_path, const ProcessIdentity& self,
                                 const ProcessAlive& alive) {
  const std::string path = lock_file_path(project_path);
  // Two rounds: a stale lock removed in the first is recreated in the second.
  for (int round = 0; round < 2; ++round) {
    switch (create_lock(path, self)) {
      case CreateResult::Created:
        return {LockState::Acquired, std::nullopt};
      case CreateResult::Failed:
        return {LockState::CannotCreate, std::nullopt};
      case CreateResult::Exists:
        break;
    }
    const auto owner = read_lock(path);
    if (owner && *owner == self) return {LockState::Acquired, std::nullopt};
    if (!owner || !lock_is_stale(*owner, self, alive)) return {LockState::HeldByOther, owner};
    std::error_code ec;
    std::filesystem::remove(path, ec);
  }
  return {LockState::HeldByOther, read_lock(path)};
}

void release_project_lock(const std::string& project_path, const ProcessIdentity& self) {
  const std::string path = lock_file_path(project_path);
  if (read_lock(path) != self) return;
  std::error_code ec;
  std::filesystem::remove(path, ec);
}

}  // namespace plenvista
