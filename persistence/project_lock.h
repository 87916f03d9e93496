#pragma once

// The lock file that marks a project open in one running Plenvista: a text
// file beside the project, named after it with ".lock" appended
// ("house.op2.lock"), holding the owner's process id and host name, one a
// line ("4711\nworkshop\n").
//
// acquire_project_lock creates the lock exclusively. A lock of this very
// process is ours again. A lock whose owner runs on this host but is no
// longer alive is stale and taken over; a lock of a live process, of
// another host (whose processes cannot be checked) or with unreadable
// content belongs to someone else. A lock that cannot be created at all (a
// folder without write access, a path that does not exist) is reported as
// such: a project there cannot be saved over by anyone.
//
// release_project_lock removes the lock only while it is still this
// process's own.

#include <optional>
#include <string>
#include <string_view>

#include "base/process_identity.h"

namespace plenvista {

std::string lock_file_path(const std::string& project_path);
std::string format_lock(const ProcessIdentity& owner);
// " (process 4711 on workshop)" for a known owner of a lock, else nothing:
// what messages about a held project say of its owner.
std::string lock_owner_text(const std::optional<ProcessIdentity>& owner);
// Absent for text that is not a positive process id and a host line.
std::optional<ProcessIdentity> parse_lock(std::string_view text);
// Whether a lock of `owner` may be taken over by `self`.
bool lock_is_stale(const ProcessIdentity& owner, const ProcessIdentity& self, const ProcessAlive& alive);

enum class LockState {
  Acquired,      // ours: created, taken over from a dead process, or held already
  HeldByOther,   // a live process (or an unknown owner) holds it
  CannotCreate,  // no lock can be made beside the project
};

struct LockAttempt {
  LockState state = LockState::CannotCreate;
  std::optional<ProcessIdentity> owner;  // with HeldByOther, when readable
};

LockAttempt acquire_project_lock(const std::string& project_path, const ProcessIdentity& self,
                                 const ProcessAlive& alive);
void release_project_lock(const std::string& project_path, const ProcessIdentity& self);

}  // namespace plenvista
