#pragma once

// plenvista-cli snap PHOTOGRAPH X Y [--radius PX] [--json]: the feature
// under a rough position in a photograph (photogrammetry/mark_snap.h).
// X and Y are pixels from the photograph's top-left corner; --radius
// (photograph pixels, 1..64, default 8) is how far the feature may lie.
// Prints the refined position, the kind ("target", "corner" or "none"),
// how far it moved and how sure the fit is; with --json one document with
// `x`, `y`, `kind`, `moved_px` and `confidence`. A position with no feature
// under it is printed unchanged with kind "none" (success); an unreadable
// photograph or a position outside it fails with a message.

#include <functional>
#include <optional>

#include <CLI/CLI.hpp>

#include "cli/cli_session.h"

namespace plenvista {

// Declares the command on `app`; the returned function runs it when it was
// the one parsed, and gives none otherwise.
std::function<std::optional<int>(CliIo&)> add_snap_command(CLI::App& app);

}  // namespace plenvista
