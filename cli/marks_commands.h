#pragma once

// Marks lists in and out, and model points at tie points
// (persistence/exchange_text.h for the list's format). Callable without the
// argument parser like the commands of cli/commands.h; the declare_
// functions add each to the parser.

#include <optional>
#include <string>
#include <vector>

#include <CLI/CLI.hpp>

#include "cli/cli_command.h"
#include "cli/cli_session.h"
#include "photogrammetry/mark_snap.h"

namespace plenvista {

// A file with lines that cannot be used imports nothing and names each
// line, unless `skip_bad_lines`.
// With `snap`, each mark is first moved onto the round target or corner
// within `snap_radius` photograph pixels of it (photogrammetry/mark_snap.h);
// marks of a photograph that cannot be read stay as listed (warned).
struct ImportMarksOptions {
  std::string project;
  std::string file;
  bool skip_bad_lines = false;
  bool snap = false;
  double snap_radius = kSnapRadius;
  bool json = false;
};
int run_import_marks(CliIo& io, const ImportMarksOptions& options);
void declare_import_marks(CLI::App& app, CommandCall& chosen);

struct ExportMarksOptions {
  std::string project;
  std::string output;
  bool json = false;
};
int run_export_marks(CliIo& io, const ExportMarksOptions& options);
void declare_export_marks(CLI::App& app, CommandCall& chosen);

// A model point at every placed tie point, or at those labelled, on the
// named layer (default: the current one), as one undoable action. A tie
// point with a model point at exactly its coordinates already is skipped.
struct MakePointsOptions {
  std::string project;
  std::vector<std::string> labels;  // none: every placed tie point
  std::optional<std::string> layer;
};
int run_make_points(CliIo& io, const MakePointsOptions& options);
void declare_make_points(CLI::App& app, CommandCall& chosen);

}  // namespace plenvista
