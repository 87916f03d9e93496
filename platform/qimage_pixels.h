#pragma once

// Photographs through QImage: a Windows BMP file decoded into the packed
// RGB buffer the grid calibration reads, or into a 32-bit QImage
// (Format_RGB32) that views stretch onto the screen. The file is always decoded as BMP,
// whatever its name or content says; any other format, a damaged file
// (headers that disagree with the file, pixel data cut short) or one that
// cannot be read gives none. Paths are UTF-8.

#include <QImage>
#include <optional>
#include <string>

#include "photogrammetry/pixel_source.h"

namespace plenvista {

std::optional<RgbImage> load_bmp_pixels(const std::string& path);
std::optional<QImage> load_bmp_image(const std::string& path);

}  // namespace plenvista
