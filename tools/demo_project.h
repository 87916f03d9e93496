#pragma once

// A small demonstration project written from scratch: a camera file of an
// ideal pinhole camera, two photographs of a little house rendered through
// that camera from two known poses (Windows BMP, 2272 x 1704), and the
// project file naming them, both photographs located, partnered with each
// other and marked with the eight reference points of the house's walls,
// the house's ten corners as model points and its faces. World units are
// mm, y up; the house stands on y = 0.

#include <string>

namespace plenvista {

// Writes camera.cal, front.bmp, side.bmp and house.op2 into `directory`
// (which must exist); the path of the project file, or empty on failure
// (the reason on stderr).
std::string write_demo_project(const std::string& directory);

}  // namespace plenvista
