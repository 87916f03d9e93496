#pragma once

// plenvista-cli orient: the photographs oriented from the marks of tie and
// control points (photogrammetry/orientation.h), the result stored in the
// project. Distances are model units (mm); labels name control or tie
// points. A failed orientation tells why, exits 1 and leaves the file as it
// was; photographs with too few marks are listed and keep their poses.
// Automatic tie points ("auto-N") take part unless left out (the report
// then says how many of their marks were); afterwards those with large
// residuals are removed and listed.

#include <optional>
#include <string>
#include <vector>

#include <CLI/CLI.hpp>

#include "cli/cli_command.h"
#include "cli/cli_session.h"
#include "photogrammetry/orientation.h"

namespace plenvista {

struct OrientOptions {
  std::string project;
  std::vector<DatumDistance> distances;
  std::optional<DatumAxes> axes;
  bool without_auto = false;  // leave automatic tie points out
  bool json = false;
};
int run_orient(CliIo& io, const OrientOptions& options);
void declare_orient(CLI::App& app, CommandCall& chosen);

}  // namespace plenvista
