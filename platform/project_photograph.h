#pragma once

// A project photograph's pixels for the work that reads them on its own
// threads (finding tie points): from where the photograph was found, through
// the program's one photograph reader. Fits PhotographRead.

#include <optional>
#include <string>

#include "model/image_records.h"
#include "photogrammetry/pixel_source.h"

namespace plenvista {

// The decoded photograph, or none and in `error` why: "Image 3 (front.jpg)
// was not found" or the reader's message naming the file.
std::optional<RgbImage> read_project_photograph(const ProjectImage& image, std::string& error);

}  // namespace plenvista
