#pragma once

// The record lists one export walks, in the order they are written: the
// model's points, texture coordinates and faces, each followed by its mirror
// list when "Use Mirror" is on. Also the colour conversion both material
// writers share. No failure cases.

#include <cstdint>
#include <vector>

#include "export/number_format.h"
#include "model/export_settings.h"
#include "model/model_data.h"

namespace plenvista {

struct ExportLists {
  std::vector<ModelPoint*> points;
  std::vector<TextureCoord*> texture_coords;
  std::vector<ModelFace*> faces;
  std::vector<Material*> materials;  // the model's, numbered from 0 in both formats
};

ExportLists collect_export_lists(const ModelData& model, const ExportSettings& settings);

// A colour byte as written in a material: byte / 256 rounded to single
// precision (255 gives 0.99609375, written 0.996094).
inline double colour_fraction(std::uint8_t byte) { return static_cast<float>(byte * 0.00390625); }

// Room for one line of up to three numbers and a few integers.
inline constexpr std::size_t kLineChars = 3 * kFixed6MaxChars + 64;

}  // namespace plenvista
