#pragma once

// The scene behind the sample project, as built: a little house, its right
// half modelled and mirrored, photographed from four directions by an ideal
// pinhole camera (focal length 1000 px, 2272 x 1704, centre (1136, 852)).
// World units are mm, y up; the house stands on y = 0, its front wall on
// z = 0, and is symmetric about x = 300. The sample's tests compare what
// the program found with these values.

#include <array>

#include "base/vec3.h"
#include "model/camera_pose.h"
#include "photogrammetry/image_search.h"

namespace plenvista::sample {

// Walls 600 x 300 (x by z), 400 high, with a ridge 150 above the eaves:
// the eight wall corners, then the two ends of the ridge. These are the
// reference points marked in the photographs.
inline constexpr std::array<Vec3, 10> kHouseCorners = {{{0, 0, 0},
                                                        {600, 0, 0},
                                                        {600, 0, -300},
                                                        {0, 0, -300},
                                                        {0, 400, 0},
                                                        {600, 400, 0},
                                                        {600, 400, -300},
                                                        {0, 400, -300},
                                                        {0, 550, -150},
                                                        {600, 550, -150}}};

// The modelled points: the right half of the house (x from 300, where the
// two paint colours meet, to 600) and the right edge of the front door.
inline constexpr std::array<Vec3, 12> kModelPoints = {{{300, 0, 0},
                                                       {600, 0, 0},
                                                       {600, 0, -300},
                                                       {300, 0, -300},
                                                       {300, 400, 0},
                                                       {600, 400, 0},
                                                       {600, 400, -300},
                                                       {300, 400, -300},
                                                       {300, 550, -150},
                                                       {600, 550, -150},
                                                       {360, 0, 0},
                                                       {360, 220, 0}}};

struct Shot {
  const char* file;
  const char* description;
  Vec3 eye;  // the camera's optical centre
};

inline constexpr Vec3 kLookAt{300, 250, -150};

inline constexpr std::array<Shot, 4> kShots = {{{"front-left.jpg", "Front left", {-170, 610, 550}},
                                                {"front-right.jpg", "Front right", {800, 575, 590}},
                                                {"back-right.jpg", "Back right", {790, 630, -870}},
                                                {"back-left.jpg", "Back left", {-190, 590, -850}}}};

inline CameraPose true_pose(const Shot& shot) { return pose_looking_at(shot.eye, kLookAt, {0, 1, 0}); }

// The grid photograph: 20 x 14 cells of 50 mm taken from 500 mm, 100
// pixels a cell, the central cross at (1136, 852).
inline constexpr int kGridColumns = 20;
inline constexpr int kGridRows = 14;
inline constexpr double kGridCellMm = 50;
inline constexpr double kGridDistanceMm = 500;
inline constexpr double kGridPitchPx = 100;
inline constexpr Point2 kGridTopLeft{136, 152};

}  // namespace plenvista::sample
