#pragma once

// What the list imports and exports of the command-line tool share: reading
// a list file, telling its bad lines (by number), and writing an output.
// Paths are relative to the working directory.

#include <optional>
#include <string>
#include <vector>

#include "cli/cli_session.h"
#include "cli/json_values.h"
#include "model/control_points.h"

namespace plenvista {

// The file's text; none with "Cannot read ..." told.
std::optional<std::string> read_list(CliSession& session, const std::string& path);

// Tells every bad line: as errors when they stop the import, else as
// warnings. Whether the import goes on.
bool accept_problems(CliSession& session, const std::vector<LineProblem>& problems, bool skip, const std::string& file);

QJsonArray problems_json(const std::vector<LineProblem>& problems);

// Writes `text` atomically; false with "Cannot write ..." told.
bool write_output(CliSession& session, const std::string& path, const std::string& text);

}  // namespace plenvista
