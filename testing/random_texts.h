#pragma once

// Random stored texts for the file round-trip tests: absent, empty or a few
// bytes (ASCII, UTF-8 sequences, spaces), never a zero byte, which a file
// text cannot hold, nor a path separator, which version-1 file names lose.

#include <random>
#include <string>

#include "base/text.h"

namespace plenvista::test_support {

inline StoredText random_stored_text(std::mt19937& random) {
  switch (std::uniform_int_distribution<int>(0, 3)(random)) {
    case 0:
      return std::nullopt;
    case 1:
      return std::string();
    default:
      break;
  }
  static constexpr const char* kPieces[] = {"a", "Z", " ", "7", ".", ";", "é", "\xe2\x82\xac", "\x7f", "bmp"};
  std::string text;
  const int pieces = std::uniform_int_distribution<int>(1, 12)(random);
  for (int i = 0; i < pieces; ++i) text += kPieces[std::uniform_int_distribution<std::size_t>(0, 9)(random)];
  return text;
}

}  // namespace plenvista::test_support
