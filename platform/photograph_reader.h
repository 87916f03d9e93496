#pragma once

// The one reader of photographs for the whole program, on Qt's image
// readers: Windows BMP, JPEG, PNG and TIFF.
//
// The format is recognised from the file's first bytes. A file whose name
// ends with the extension of another of the four formats (a PNG named
// ".jpg") is refused as mislabelled; any other name is read as what its
// content is. BMP sizes come from read_bitmap_size, with its header rules
// and refusals, and BMP pixel data must lie wholly inside the file.
//
// Pixels are read in their stored orientation (x right, y down from the
// top-left stored pixel; an orientation tag is ignored, because the camera's
// grid table is in sensor pixels) and reduced to 8-bit RGB; alpha is dropped.
//
// Reading the size reads only the headers. Decoding refuses, before any
// pixel is decoded, a photograph of more than kMaxPhotographPixels, and
// refuses a file cut short (JPEG without its end marker, PNG without its
// closing chunk, BMP pixel data past the end) or damaged, rather than give
// a half-drawn picture. Every refusal gives a message naming the file:
// "Cannot read the photograph <path>: <reason>". Paths are UTF-8.

#include <QImage>
#include <cstdint>
#include <optional>
#include <string>

#include "export/glb_export.h"
#include "photogrammetry/bitmap_size.h"
#include "photogrammetry/pixel_source.h"

namespace plenvista {

// 100 megapixels: more than any camera of the day makes, and at four bytes
// a pixel still within what the program can hold.
inline constexpr std::int64_t kMaxPhotographPixels = 100'000'000;

// The file filter of every photograph chooser: all formats first, then each
// format, then every file.
inline constexpr const char* kPhotographFileFilter =
    "Images (*.bmp *.jpg *.jpeg *.png *.tif *.tiff);;"
    "BMP Files (*.bmp);;"
    "JPEG Files (*.jpg *.jpeg);;"
    "PNG Files (*.png);;"
    "TIFF Files (*.tif *.tiff);;"
    "All Files (*.*)";

// The pixel size from the headers. On failure gives none and, when `error`
// is given, the message.
std::optional<BitmapSize> read_photograph_size(const std::string& path, std::string* error = nullptr);

// The message decoding would refuse the photograph with, judged from its
// headers alone: the file cannot be opened, is not one of the four formats,
// has damaged headers or is over kMaxPhotographPixels. None when the
// headers read within the limit.
std::optional<std::string> photograph_refusal(const std::string& path);

// The decoded photograph for the core (grid calibration).
std::optional<RgbImage> read_photograph_pixels(const std::string& path, std::string* error = nullptr);

// The whole decoded photograph as Format_RGB32 (JPEG decodes straight into
// it), or a null image on failure.
QImage read_photograph_image(const std::string& path, std::string* error = nullptr);

// A photograph decoded for drawing. `pixels` (Format_RGB32) holds it at
// 1/`reduction` of its size each way: its pixel (i, j) shows the block of
// reduction x reduction photograph pixels from (i * reduction, j *
// reduction). `width` and `height` are the photograph's own size in pixels.
struct DrawnPhotograph {
  QImage pixels;
  int reduction = 1;
  int width = 0;
  int height = 0;
};

// Decodes for drawing at 1/`reduction` (1, 2, 4 or 8) of the photograph's
// size, or finer: a JPEG decoder scales its 8 x 8 blocks while decoding,
// at a fraction of the cost of the full picture, so a JPEG is reduced by
// the largest power of two up to `reduction` that divides both its width
// and its height; other formats decode whole. The same refusals as
// read_photograph_image; a null `pixels` on failure. `recycled`, a picture
// no longer needed, lends its memory when its size and format fit (the
// photographs of one camera all do), which spares the system from handing
// out and clearing tens of megabytes of fresh memory for every photograph.
DrawnPhotograph read_photograph_for_drawing(const std::string& path, int reduction, std::string* error = nullptr,
                                            QImage recycled = {});

// A texture photograph for the glTF export: JPEG and PNG files as they are
// (their headers checked), BMP and TIFF decoded and encoded as PNG.
std::optional<EmbeddedImage> embeddable_photograph(const std::string& path, std::string& error);

// Makes the core read photographs through this reader: matches_native_size
// (the size check of added images, texture mapping) through
// read_photograph_size and the glTF export through embeddable_photograph.
// Called once at start by the GUI and the command-line tool.
void install_photograph_readers();

}  // namespace plenvista
