#include "views/image_view.h"

#include <QPalette>

namespace plenvista {

ImageView::ImageView(Project& project, QWidget* parent) : QWidget(parent), project_(project) {
  setObjectName("ImageView");
  setAutoFillBackground(true);
  QPalette p = palette();
  p.setColor(QPalette::Window, QColor(32, 32, 32));
  setPalette(p);
}

}  // namespace plenvista
