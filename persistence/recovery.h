#pragma once

// Recovery copies: what autosave writes while a project is modified, so
// that the changes survive the machine or the program dying.
//
// A copy lives in the recovery folder (the user's data location, never
// beside the project) as "<file name>-<16 hex digits>.op2r" for a project
// with a path (the digits hash the whole path, so each project has one
// copy and a later save of the same project removes it) and as
// "untitled-<process id>-<start time in ms>.op2r" for an untitled one. It
// holds a header and then exactly the bytes Save would write:
//
//   text "PLENREC", int32 format version 2, text project path (absent for
//   an untitled project), double time written (ms since 1970, UTC), int32
//   owner process id, text owner host, text control points (what Save
//   writes beside the project, also when the list is empty), int32 length
//   of the project bytes, the project bytes.
//
// (texts and numbers as in the project file). A version 1 copy has no
// control points text; its project takes them from the file beside it. A copy is offered at start-up
// when its owner is not running on this host and it is newer than its
// project file (or that file is gone, or the project was untitled). A copy
// whose header is unreadable or whose length does not match is damaged; it
// is moved aside ("<name>.damaged"), never deleted.

#include <algorithm>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "model/project.h"
#include "persistence/project_lock.h"

namespace plenvista {

inline constexpr const char* kRecoverySuffix = ".op2r";
inline constexpr const char* kDamagedSuffix = ".damaged";
// Minutes between autosaves unless the "AutosaveMinutes" preference says
// otherwise; 0 turns autosave off, and a day is the longest interval.
inline constexpr int kDefaultAutosaveMinutes = 2;
inline constexpr int kMaxAutosaveMinutes = 24 * 60;
inline constexpr int kEditsPerAutosave = 50;

struct RecoveryHeader {
  std::optional<std::string> project_path;
  double written_ms = 0.0;
  ProcessIdentity owner;
};

// The file name (no folder) of the copy of a project at `project_path`, or
// of an untitled project of the process started at `started_ms`.
std::string recovery_file_name(const std::optional<std::string>& project_path, const ProcessIdentity& self,
                               std::int64_t started_ms);

std::string encode_recovery_header(const RecoveryHeader& header, std::string_view control_points,
                                   std::size_t project_bytes);

// The header, the control points text (absent in a version 1 copy) and
// where the project bytes start; absent when the header is unreadable or
// the project bytes are not all there.
struct DecodedRecovery {
  RecoveryHeader header;
  std::optional<std::string> control_points;
  std::span<const std::uint8_t> project_bytes;
};
std::optional<DecodedRecovery> decode_recovery(std::span<const std::uint8_t> bytes);

// Whether a copy written at `written_ms` holds changes its project file
// (last written at `project_ms`, absent when there is none) lacks.
bool recovery_is_newer(double written_ms, std::optional<double> project_ms);

// The GUI thread's part of an autosave: the header and project bytes of the
// copy, ready for a writer.
struct RecoveryCopy {
  std::string path;
  std::string header;
  std::string project_bytes;
};
RecoveryCopy prepare_recovery_copy(const Project& project, const std::string& path, const ProcessIdentity& self,
                                   double now_ms);

// When autosave writes: after every kEditsPerAutosave edits and, with a
// non-zero interval, at each timer tick while something changed since the
// last copy. Nothing is due with the interval 0 (autosave off).
class AutosaveSchedule {
 public:
  explicit AutosaveSchedule(int interval_minutes) { set_interval(interval_minutes); }
  // Minutes outside 0 to kMaxAutosaveMinutes are taken as the nearest end;
  // what is pending stays pending.
  void set_interval(int minutes) { minutes_ = std::clamp(minutes, 0, kMaxAutosaveMinutes); }
  bool enabled() const { return minutes_ > 0; }
  int interval_ms() const { return minutes_ * 60 * 1000; }
  // An edit was made; true when it calls for a copy now.
  bool edit_made();
  // The timer fired: whether a copy is due.
  bool timer_due() const { return enabled() && pending_; }
  // A copy was written, or the project was saved or closed.
  void settled();

 private:
  int minutes_ = 0;
  int edits_ = 0;
  bool pending_ = false;
};

// A copy found at start-up.
struct RecoveryCandidate {
  std::string path;                      // of the copy
  std::optional<RecoveryHeader> header;  // absent when damaged
};

// The copies in `folder` to offer or to report as damaged, oldest first.
// Copies of live processes on this host (other running instances), of
// this process, and copies not newer than their project are left out.
std::vector<RecoveryCandidate> find_recovery_copies(const std::string& folder, const ProcessIdentity& self,
                                                    const ProcessAlive& alive);

// Renames a damaged copy to "<path>.damaged" (numbered when taken); the
// new path, or absent when the rename failed.
std::optional<std::string> move_aside(const std::string& path);

// Milliseconds since 1970 of a file's last write; absent when it has none.
std::optional<double> file_written_ms(const std::string& path);

}  // namespace plenvista
