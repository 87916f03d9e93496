#pragma once

// A subcommand that declares its own options: the declaring function adds
// the subcommand and its options to the tool's parser and returns it with
// the function that runs it once the arguments have been parsed into it.
// The options live as long as `run`.

#include <functional>

#include <CLI/CLI.hpp>

#include "cli/cli_session.h"

namespace plenvista {

struct DeclaredCommand {
  CLI::App* command = nullptr;
  std::function<int(CliIo&)> run;
};

// grid-sheet: the printable calibration grid as PDF or SVG.
DeclaredCommand declare_grid_sheet(CLI::App& app);
// measure: distances, angles and areas of the model.
DeclaredCommand declare_measure(CLI::App& app);

}  // namespace plenvista
