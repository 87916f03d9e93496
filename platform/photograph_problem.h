#pragma once

// Why a project's photograph shows no picture, in the words the image view
// and the command-line tool share: its file is not found along the
// project's directories, or the photograph reader refuses it (cannot be
// opened, not a photograph, damaged headers, over the size limit; the
// reader's own "Cannot read the photograph <path>: <reason>").

#include <optional>
#include <string>
#include <string_view>

#include "model/image_records.h"

namespace plenvista {

// "The photograph <name> is not in any of the project's directories".
std::string not_in_directories_message(std::string_view file_name);

// None when the photograph was found and its headers read within the size
// limit; a decoding may still find its pixel data damaged.
std::optional<std::string> photograph_problem(const ProjectImage& image);

// The warning on adding a photograph the reader refuses (it is added all
// the same): the refusal and what follows from it.
std::string added_anyway_warning(std::string_view refusal);

}  // namespace plenvista
