#pragma once

// The diagnostic dump: a plain-text report of every image's camera pose and
// of how well each of its reference points is reproduced by that pose, for
// judging a camera search outside the program. Lines end with CR LF and
// numbers are written the same in every locale.
//
// The error of a reference point is recomputed from the image's current
// pose, in pixels of a 2272 x 1704 photograph (raw pixels while the
// photograph's size is unknown).

#include <string>

#include "model/project.h"

namespace plenvista {

inline constexpr const char* kDiagnosticDumpFile = "PlenDebug.txt";

// The text of the dump.
std::string diagnostic_dump_text(const Project& project);

// Writes the dump to `path` (by default "PlenDebug.txt" in the working
// directory), replacing an earlier one. True on success; false with the message
// "Cannot Open PlenDebug File" (caption "Error") when it cannot be written.
bool write_diagnostic_dump(Project& project, const std::string& path = kDiagnosticDumpFile);

}  // namespace plenvista
