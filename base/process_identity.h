#pragma once

// A running program as lock files and recovery copies name it: its process
// id and the name of the host it runs on.

#include <functional>
#include <string>

namespace plenvista {

struct ProcessIdentity {
  int pid = 0;
  std::string host;
  bool operator==(const ProcessIdentity&) const = default;
};

// Whether a process of this host with that id is running.
using ProcessAlive = std::function<bool(int pid)>;

}  // namespace plenvista
