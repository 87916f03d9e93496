#pragma once

// Writes one export file and tells the user when it fails. The text goes,
// as the writer produces it, to a temporary file beside the target that
// replaces the target only when every byte was written, so a full disk never
// leaves a truncated file where a complete one is expected. The writer is
// not run when the file cannot be created.
//
// Failures, both with caption "Error": "Cannot Open Export File" when the
// file cannot be created; "Cannot write export file (<path>)" when writing,
// closing or renaming it fails (the old target, if any, is left as it was).

#include <functional>
#include <string>

#include "base/file_io.h"
#include "export/text_out.h"
#include "model/project.h"

namespace plenvista {

WriteResult write_export_file(Project& project, const std::string& path, const std::function<void(TextOut&)>& write);

}  // namespace plenvista
