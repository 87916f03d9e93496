#include "shell/panels/image_list_panel.h"

#include "model/project.h"

namespace plenvista {

ImageListPanel::ImageListPanel(Project& project, QWidget* parent)
    : QTabWidget(parent), project_(project), images_page_(new QWidget), cad_page_(new QWidget) {
  setObjectName(QStringLiteral("CPictureTabCtrl"));
  addTab(images_page_, QStringLiteral("Images"));
  addTab(cad_page_, QStringLiteral("CAD"));
  connect(this, &QTabWidget::currentChanged, this, [this](int index) {
    project_.cad_page_shown = index == 1 ? 1 : 0;
    project_.post(Notification::DisplayChanged);
  });
}

}  // namespace plenvista
