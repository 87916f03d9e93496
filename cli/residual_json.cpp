#include "cli/residual_json.h"

#include "cli/json_values.h"

namespace plenvista {

QJsonObject reference_residual_json(const ReferenceResidual& residual, const ProjectImage& image) {
  const ReferencePoint& point = *residual.point;
  return QJsonObject{
      {"id", point.id},
      {"world", json_array(point.world_position)},
      {"marked", json_array(Point2{point.image_position.x + image.centre_x, point.image_position.y + image.centre_y})},
      {"residual", json_array(residual.delta)},
      {"residual_px", residual.length},
      {"outlier", residual.outlier},
  };
}

void add_residuals_json(QJsonObject& object, const ProjectImage& image) {
  QJsonArray points;
  QJsonValue rms;
  if (image.pose_known) {
    const ImageResiduals residuals = image_residuals(image);
    for (const ReferenceResidual& r : residuals.points) points.append(reference_residual_json(r, image));
    if (!residuals.points.empty()) rms = residuals.rms;
  }
  object.insert("rms_px", rms);
  object.insert("residuals", points);
}

}  // namespace plenvista
