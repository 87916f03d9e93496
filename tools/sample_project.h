#pragma once

// The sample project, made from scratch by the program's own code: a
// photograph of a ruled grid (PNG) calibrated into camera.cal through the
// grid calibration, four photographs of a little house (JPEG, rendered
// through an ideal pinhole camera from the poses in testing/sample_scene.h),
// and house.op2: the photographs located by the camera search from the
// house corners marked in them, partnered in pairs, the right half of the
// house modelled as twelve points in two layers and eleven faces in four
// materials (three of them textured from the photographs), mirrored about
// x = 300. World units are mm, y up.

#include <string>

namespace plenvista {

// Writes grid.png, camera.cal, the four photographs and house.op2 into
// `directory` (which must exist); the path of the project file, or empty
// on failure (the reason on stderr).
std::string write_sample_project(const std::string& directory);

}  // namespace plenvista
