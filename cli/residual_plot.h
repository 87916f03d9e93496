#pragma once

// A picture of a located photograph's residuals for the report command: the
// photograph dimmed to a third of its brightness (a dark grey frame of the
// camera's size when the photograph cannot be read), and for every
// reference point a ring at its mark and a line from the mark towards its
// projected position, `scale` times the residual's length, coloured by
// grade (green small, yellow medium, red large); outliers get a red cross.
// Drawn with Qt's painter on an image, so no display is needed.

#include <QImage>
#include <string>

#include "model/image_records.h"

namespace plenvista {

// The picture; the size of the photograph (or of the camera's native
// frame). `photograph` may be null.
QImage residual_plot(const ProjectImage& image, const QImage& photograph, double scale);

}  // namespace plenvista
