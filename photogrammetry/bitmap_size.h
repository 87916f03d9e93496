#pragma once

// The pixel size of a photograph (a BMP file) read from its headers, and the
// test whether a photograph has the camera's native size.
//
// read_bitmap_size reads only the file header and the start of the info
// header. It gives none, and reads nothing more, for a file that cannot be
// opened, is not a BMP ("BM"), is cut short, or whose headers are absurd: an
// info header size other than 12 (16-bit sizes) or 16..124 (32-bit sizes),
// pixel data said to start inside the headers or beyond the end of the file,
// a width that is not positive or a height of 0. A negative height marks a
// bitmap stored top-down: the size given is its magnitude.

#include <optional>
#include <string>

#include "model/image_records.h"
#include "model/project.h"

namespace plenvista {

struct BitmapSize {
  int width = 0;
  int height = 0;
  friend bool operator==(const BitmapSize&, const BitmapSize&) = default;
};

std::optional<BitmapSize> read_bitmap_size(const std::string& path);

// How matches_native_size reads a photograph's size: read_bitmap_size until
// the program installs its reader of every photograph format; null puts
// read_bitmap_size back.
using PhotographSizeReader = std::optional<BitmapSize> (*)(const std::string& path);
void set_photograph_size_reader(PhotographSizeReader reader);

// Finds the image's file along the project's image directories and, when
// its size can be read (through the installed reader), stores it in `pixel_width` and `pixel_height`
// (otherwise they keep what they held). Whether they equal the camera's
// native size (the image's camera, else the project's).
bool matches_native_size(const Project& project, ProjectImage& image);

}  // namespace plenvista
