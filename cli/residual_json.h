#pragma once

// The residuals of a photograph's reference points as --json values: per
// point its id, world position, marked position (photograph pixels), the
// residual (projected minus marked, photograph pixels) with its length and
// the outlier flag; per image the RMS of the lengths. An image that is not
// located has no residuals (an empty list and an RMS of null).

#include <QJsonArray>
#include <QJsonObject>

#include "model/image_records.h"
#include "photogrammetry/residuals.h"

namespace plenvista {

QJsonObject reference_residual_json(const ReferenceResidual& residual, const ProjectImage& image);

// {"rms_px": ..., "residuals": [...]}, merged into an image's object.
void add_residuals_json(QJsonObject& object, const ProjectImage& image);

}  // namespace plenvista
