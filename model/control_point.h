#pragma once

// A control point: a named position of known world coordinates (model
// units), measured outside the program (a total station, a drawing). The
// project keeps a list of them; reference points made from one name it by
// id and follow it when its coordinates are edited. Labels are unique
// within a project (compared exactly).

#include <string>

#include "base/vec3.h"

namespace plenvista {

struct ControlPoint {
  int id = 0;
  std::string label;
  Vec3 position;
};

}  // namespace plenvista
