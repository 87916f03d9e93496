#pragma once

// This process as the lock files and recovery copies name it, whether
// another process of this host is alive, and where recovery copies live.

#include <string>

#include "base/process_identity.h"

namespace plenvista {

// The process id and the host name.
ProcessIdentity current_process();
// True while a process with that id exists (also one of another user).
bool process_alive(int pid);
// "recovery" in the user's application data folder ("Tarnwick/Plenvista"
// under the data location); empty when there is no such location.
std::string recovery_folder();

}  // namespace plenvista
