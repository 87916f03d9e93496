#pragma once

// Colours are 32-bit values with red in the low byte, then green, then blue.
// Pens are plain values; the GUI makes its drawing pens from them.

#include <cstdint>

namespace plenvista {

using Colour = std::uint32_t;

constexpr std::uint8_t red_of(Colour c) { return static_cast<std::uint8_t>(c & 0xFFu); }
constexpr std::uint8_t green_of(Colour c) { return static_cast<std::uint8_t>((c >> 8) & 0xFFu); }
constexpr std::uint8_t blue_of(Colour c) { return static_cast<std::uint8_t>((c >> 16) & 0xFFu); }
constexpr Colour make_colour(std::uint8_t r, std::uint8_t g, std::uint8_t b) {
  return static_cast<Colour>(r) | (static_cast<Colour>(g) << 8) | (static_cast<Colour>(b) << 16);
}

struct Pen {
  Colour colour = 0;
  int width = 1;  // pixels
  friend bool operator==(const Pen&, const Pen&) = default;
};

}  // namespace plenvista
