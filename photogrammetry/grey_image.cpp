#include "photogrammetry/grey_image.h"

namespace plenvista {

GreyImage grey_image(const RgbImage& photograph) {
  GreyImage grey;
  grey.width = photograph.width();
  grey.height = photograph.height();
  grey.pixels.resize(static_cast<std::size_t>(grey.width) * static_cast<std::size_t>(grey.height));
  std::uint8_t* out = grey.pixels.data();
  for (int y = 0; y < grey.height; ++y) {
    const std::uint8_t* in = photograph.row(y);
    for (int x = 0; x < grey.width; ++x, in += 3)
      *out++ = static_cast<std::uint8_t>((77 * in[0] + 150 * in[1] + 29 * in[2] + 128) >> 8);
  }
  return grey;
}

}  // namespace plenvista
