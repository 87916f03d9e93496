#pragma once

// A message drawn in the middle of a view that has nothing else to show
// (no photograph, no partner): light grey text on the frame, wrapped at
// word boundaries to the frame's width less a margin, each line centred.

#include <QString>

class QImage;

namespace plenvista {

void draw_centred_message(QImage& frame, const QString& text);

}  // namespace plenvista
