#include "persistence/recovery.h"

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <system_error>

#include "base/binary_io.h"
#include "base/file_io.h"
#include "base/text.h"
#include "persistence/control_points_file.h"
#include "persistence/project_file.h"

namespace plenvista {

namespace {

constexpr const char* kMagic = "PLENREC";
constexpr std::int32_t kFormatVersion = 2;

std::uint64_t fnv1a(std::string_view text) {
  std::uint64_t hash = 0xcbf29ce484222325ULL;
  for (const char c : text) {
    hash ^= static_cast<unsigned char>(c);
    hash *= 0x100000001b3ULL;
  }
  return hash;
}

std::string hex16(std::uint64_t value) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string out(16, '0');
  for (int i = 15; i >= 0; --i, value >>= 4) out[static_cast<std::size_t>(i)] = kDigits[value & 0xF];
  return out;
}

}  // namespace

std::string recovery_file_name(const std::optional<std::string>& project_path, const ProcessIdentity& self,
                               std::int64_t started_ms) {
  if (!project_path) return "untitled-" + std::to_string(self.pid) + "-" + std::to_string(started_ms) + kRecoverySuffix;
  const std::size_t sep = last_separator(*project_path);
  const std::string name = sep == std::string::npos ? *project_path : project_path->substr(sep + 1);
  return name + "-" + hex16(fnv1a(*project_path)) + kRecoverySuffix;
}

std::string encode_recovery_header(const RecoveryHeader& header, std::string_view control_points,
                                   std::size_t project_bytes) {
  ByteWriter w;
  w.text(std::string_view(kMagic));
  w.i32(kFormatVersion);
  w.text(header.project_path);
  w.f64(header.written_ms);
  w.i32(header.owner.pid);
  w.text(std::string_view(header.owner.host));
  w.text(control_points);
  w.i32(static_cast<std::int32_t>(project_bytes));
  return std::move(w.data());
}

std::optional<DecodedRecovery> decode_recovery(std::span<const std::uint8_t> bytes) {
  ByteReader r(bytes);
  std::optional<std::string> magic;
  std::int32_t version = 0;
  DecodedRecovery out;
  std::optional<std::string> host;
  std::int32_t length = 0;
  r.read_text(magic);
  r.read_i32(version);
  r.read_text(out.header.project_path);
  r.read_f64(out.header.written_ms);
  r.read_i32(out.header.owner.pid);
  r.read_text(host);
  if (version == kFormatVersion) {
    r.read_text(out.control_points);
    if (!out.control_points) out.control_points.emplace();
  }
  r.read_i32(length);
  if (!r.ok() || magic != kMagic || version < 1 || version > kFormatVersion || !host || length < 0 ||
      static_cast<std::size_t>(length) != r.remaining())
    return std::nullopt;
  out.header.owner.host = *host;
  out.project_bytes = bytes.subspan(r.position());
  return out;
}

bool recovery_is_newer(double written_ms, std::optional<double> project_ms) {
  return !project_ms || written_ms > *project_ms;
}

RecoveryCopy prepare_recovery_copy(const Project& project, const std::string& path, const ProcessIdentity& self,
                                   double now_ms) {
  RecoveryCopy copy;
  copy.path = path;
  copy.project_bytes = encode_project(project);
  copy.header = encode_recovery_header(
      {project.path, now_ms, self}, encode_control_points(project.model, project.images()), copy.project_bytes.size());
  return copy;
}

bool AutosaveSchedule::edit_made() {
  if (!enabled()) return false;
  pending_ = true;
  return ++edits_ >= kEditsPerAutosave;
}

void AutosaveSchedule::settled() {
  edits_ = 0;
  pending_ = false;
}

std::vector<RecoveryCandidate> find_recovery_copies(const std::string& folder, const ProcessIdentity& self,
                                                    const ProcessAlive& alive) {
  std::vector<std::pair<double, RecoveryCandidate>> found;
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator(folder, ec)) {
    const std::string path = entry.path().string();
    if (!entry.is_regular_file(ec) || !path.ends_with(kRecoverySuffix)) continue;
    const ReadResult read = read_whole_file(path);
    if (!read.bytes) continue;
    const auto decoded = decode_recovery(*read.bytes);
    if (!decoded) {
      found.push_back({file_written_ms(path).value_or(0.0), {path, std::nullopt}});
      continue;
    }
    const RecoveryHeader& header = decoded->header;
    const bool owner_running = header.owner == self || (header.owner.host == self.host && alive(header.owner.pid));
    if (owner_running) continue;
    if (header.project_path && !recovery_is_newer(header.written_ms, file_written_ms(*header.project_path))) continue;
    found.push_back({header.written_ms, {path, header}});
  }
  std::stable_sort(found.begin(), found.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
  std::vector<RecoveryCandidate> out;
  for (auto& [time, candidate] : found) out.push_back(std::move(candidate));
  return out;
}

std::optional<std::string> move_aside(const std::string& path) {
  std::error_code ec;
  for (int n = 0; n < 1000; ++n) {
    std::string target = path;
    if (n > 0) target.append(".").append(std::to_string(n));
    target.append(kDamagedSuffix);
    if (std::filesystem::exists(target, ec)) continue;
    std::filesystem::rename(path, target, ec);
    if (ec) return std::nullopt;
    return target;
  }
  return std::nullopt;
}

std::optional<double> file_written_ms(const std::string& path) {
  std::error_code ec;
  const auto time = std::filesystem::last_write_time(path, ec);
  if (ec) return std::nullopt;
  const auto since_epoch = std::chrono::file_clock::to_sys(time).time_since_epoch();
  return std::chrono::duration<double, std::milli>(since_epoch).count();
}

}  // namespace plenvista
