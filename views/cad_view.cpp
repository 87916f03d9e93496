#include "views/cad_view.h"

#include <QPalette>

namespace plenvista {

CadView::CadView(CadViewState& state, QWidget* parent) : QWidget(parent), state_(state) {
  state_.bound_value = 2;
  setAutoFillBackground(true);
  QPalette p = palette();
  p.setColor(QPalette::Window, QColor(236, 236, 236));
  setPalette(p);
}

void CadView::set_current_axis(int axis) {
  if (axis < 0 || axis > 2) return;
  state_.current_axis = axis;
  update();
}

}  // namespace plenvista
