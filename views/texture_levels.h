#pragma once

// The levels of detail of a texture photograph, made on the CPU: a
// software renderer makes them far more slowly, compiling its own shaders
// for it first. Level 0 is the photograph in RGBA8888 (alpha 255), each
// next level half the size of the one before (rounded down, at least 1
// pixel a side), each pixel the mean of the 2 x 2 pixels it covers (an odd
// last row or column is left out), down to 1 x 1. A null photograph gives
// no levels.

#include <QImage>
#include <vector>

namespace plenvista {

std::vector<QImage> texture_levels(const QImage& photograph);

}  // namespace plenvista
