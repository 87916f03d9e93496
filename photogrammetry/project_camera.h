#pragma once

// Setting the project's camera file by name.

#include <string>

#include "model/project.h"

namespace plenvista {

// Stores the name as the project's camera file name and finds it along the
// image directories from the project directory; the camera file path becomes
// the path found, or none. When it is found and loads, the image set's camera
// holds it, every image gets the camera and its centre, and the result is true.
// Otherwise the result is false and the camera is unchanged. Shows no message:
// the caller says what went wrong.
bool set_camera_file(Project& project, const std::string& name);

}  // namespace plenvista
