#include "views/mark_snapper.h"

#include "platform/photograph_reader.h"

namespace plenvista {

Point2 MarkSnapper::mark_at(const Project& project, const ProjectImage& image, Point2 clicked, bool raw) {
  const bool makes_mark = project.images().calibration_mode ||
                          (project.select_mode == SelectMode::Create && project.point_mode == PointMode::Points);
  if (raw || !makes_mark) return clicked;
  const PixelSource* pixels = pixels_for(image);
  if (pixels == nullptr) return clicked;
  return snap_mark(*pixels, clicked, snap_radius_for_zoom(image.view.zoom)).position;
}

const PixelSource* MarkSnapper::pixels_for(const ProjectImage& image) {
  if (!image.resolved_path) return nullptr;
  if (image.id != image_id_ || *image.resolved_path != path_ || !pixels_) {
    image_id_ = image.id;
    path_ = *image.resolved_path;
    pixels_ = read_photograph_pixels(path_);
  }
  return pixels_ ? &*pixels_ : nullptr;
}

}  // namespace plenvista
