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

// What every list import starts with: the project opened into `session`
// and the list file's text; none when either fails (told: "Cannot read
// ..." for the list).
std::optional<std::string> open_with_list(CliSession& session, const std::string& project, const std::string& list);

// Tells every bad line: as errors when they stop the import, else as
// warnings. Whether the import goes on.
bool accept_problems(CliSession& session, const std::vector<LineProblem>& problems, bool skip, const std::string& file);

QJsonArray problems_json(const std::vector<LineProblem>& problems);

// Writes `text` atomically; false with "Cannot write ..." told.
bool write_output(CliSession& session, const std::string& path, const std::string& text);

}  // namespace plenvista
