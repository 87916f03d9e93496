#pragma once

// plenvista-cli find-ties: tie points found automatically between the
// project's photographs (photogrammetry/tie_finder.h) and stored as
// automatic ties "auto-N" (model/auto_ties.h); the project is saved. The
// report gives, per pair of photographs, their features, the candidate and
// the verified matches, and the tracks made. Photographs that cannot be read
// are named in warnings and take no part; fewer than two photographs, an
// unknown id or a project without a camera grid is an error that leaves the
// file as it was.

#include <string>
#include <vector>

#include <CLI/CLI.hpp>

#include "cli/cli_command.h"
#include "cli/cli_session.h"

namespace plenvista {

struct FindTiesOptions {
  std::string project;
  std::vector<int> images;  // ids; empty: every photograph
  bool guided = false;
  bool replace = false;  // the automatic ties found before deleted first
  bool json = false;
};
int run_find_ties(CliIo& io, const FindTiesOptions& options);
void declare_find_ties(CLI::App& app, CommandCall& chosen);

}  // namespace plenvista
