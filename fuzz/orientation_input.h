#pragma once

// The byte layout of the orientation fuzz input, read by the target and
// written by make_seeds. Little-endian, no padding; a value past the end of
// the input reads as 0.
//
// A photograph count byte (2 + value % 5), a datum byte (bit 0 axes, bit 1
// one distance, bit 2 surveyed points), then: with axes three label bytes;
// with a distance two label bytes and its length in mm (u16); with surveyed
// points a count byte (value % 6) and per point a label byte and X, Y, Z
// (i16 mm). The rest are marks of six bytes each, at most kMaxMarks: the
// photograph (byte, % count), the label (byte, % kLabels, named "P<n>") and
// x, y (i16, quarter pixels from the photograph's centre).

#include <algorithm>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "fuzz/scene_inputs.h"
#include "photogrammetry/orientation.h"

namespace plenvista::fuzzing {

inline constexpr int kLabels = 24;
inline constexpr std::size_t kMaxMarks = 256;

inline std::string fuzz_label(std::uint8_t value) { return "P" + std::to_string(value % kLabels); }

// The photographs are numbered 1.. and centred on the camera's centre.
inline OrientationInput read_orientation_input(std::span<const std::uint8_t> bytes, const CameraModel& camera) {
  InputReader in(bytes);
  OrientationInput input;
  input.camera = camera;
  const int photographs = 2 + in.take<std::uint8_t>() % 5;
  for (int k = 1; k <= photographs; ++k) {
    OrientationPhotograph photo;
    photo.id = k;
    photo.centre_x = camera.centre_x;
    photo.centre_y = camera.centre_y;
    photo.pixel_width = camera.native_width;
    photo.pixel_height = camera.native_height;
    input.photographs.push_back(photo);
  }
  const auto datum = in.take<std::uint8_t>();
  if (datum & 1) {
    const std::string origin = fuzz_label(in.take<std::uint8_t>());
    const std::string x_point = fuzz_label(in.take<std::uint8_t>());
    input.axes = DatumAxes{origin, x_point, fuzz_label(in.take<std::uint8_t>())};
  }
  if (datum & 2) {
    const std::string from = fuzz_label(in.take<std::uint8_t>());
    const std::string to = fuzz_label(in.take<std::uint8_t>());
    input.distances.push_back({from, to, static_cast<double>(in.take<std::uint16_t>())});
  }
  if (datum & 4) {
    const int count = in.take<std::uint8_t>() % 6;
    for (int k = 0; k < count; ++k) {
      const std::string label = fuzz_label(in.take<std::uint8_t>());
      const double x = in.take<std::int16_t>();
      const double y = in.take<std::int16_t>();
      input.surveyed.push_back({label, {x, y, static_cast<double>(in.take<std::int16_t>())}});
    }
  }
  while (!in.rest().empty() && input.marks.size() < kMaxMarks) {
    const int photograph = 1 + in.take<std::uint8_t>() % photographs;
    const std::string label = fuzz_label(in.take<std::uint8_t>());
    const double x = in.take<std::int16_t>() / 4.0;
    input.marks.push_back({photograph, label, {x, in.take<std::int16_t>() / 4.0}});
  }
  // Small bounds keep each input's run short.
  input.settings.max_adjustment_iterations = 30;
  input.settings.ransac_iterations = 50;
  return input;
}

// Marks of a scene without datum, for seeds; the labels must be "P<n>"
// with n below kLabels and the photographs numbered 1 to 6.
inline std::string write_orientation_input(const OrientationInput& input) {
  std::string out;
  put(out, static_cast<std::uint8_t>(input.photographs.size() - 2));
  const bool distance = !input.distances.empty();
  put(out, static_cast<std::uint8_t>((input.axes ? 1 : 0) | (distance ? 2 : 0)));
  const auto label_byte = [](const std::string& label) {
    return static_cast<std::uint8_t>(std::stoi(label.substr(1)));
  };
  if (input.axes)
    for (const std::string* l : {&input.axes->origin, &input.axes->x_point, &input.axes->plane_point})
      put(out, label_byte(*l));
  if (distance) {
    put(out, label_byte(input.distances[0].from));
    put(out, label_byte(input.distances[0].to));
    put(out, static_cast<std::uint16_t>(input.distances[0].length));
  }
  for (const OrientationMark& m : input.marks) {
    put(out, static_cast<std::uint8_t>(m.photograph_id - 1));
    put(out, label_byte(m.label));
    put(out, static_cast<std::int16_t>(std::clamp(m.position.x * 4, -32768.0, 32767.0)));
    put(out, static_cast<std::int16_t>(std::clamp(m.position.y * 4, -32768.0, 32767.0)));
  }
  return out;
}

}  // namespace plenvista::fuzzing
