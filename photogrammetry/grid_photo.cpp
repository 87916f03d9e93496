#include "photogrammetry/grid_photo.h"

#include <utility>

namespace plenvista {

void set_grid_photograph(GridPhoto& photo, CameraModel& camera, std::unique_ptr<PixelSource> photograph) {
  photo.photograph = std::move(photograph);
  photo.width = photo.photograph ? photo.photograph->width() : 0;
  photo.height = photo.photograph ? photo.photograph->height() : 0;
  if (photo.width <= 0 || photo.height <= 0) photo.width = photo.height = 0;
  photo.grey.assign(static_cast<std::size_t>(photo.width) * static_cast<std::size_t>(photo.height), -1);
  if (photo.photograph) {
    camera.native_width = photo.width;
    camera.native_height = photo.height;
  }
}

}  // namespace plenvista
