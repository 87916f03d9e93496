#include "views/centred_message.h"

#include <QImage>
#include <QPainter>

namespace plenvista {

void draw_centred_message(QImage& frame, const QString& text) {
  QPainter painter(&frame);
  painter.setPen(QColor(220, 220, 220));
  const int margin = std::min(frame.width(), frame.height()) / 10;
  painter.drawText(frame.rect().adjusted(margin, margin, -margin, -margin), Qt::AlignCenter | Qt::TextWordWrap, text);
}

}  // namespace plenvista
