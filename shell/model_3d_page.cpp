#include "shell/model_3d_page.h"

#include <QListWidget>

#include "shell/panels/image_list_panel.h"
#include "views/model_3d_view.h"

namespace plenvista {

ViewPage shown_page(const ImageListPanel& panel) {
  if (panel.cad_page_shown()) return ViewPage::Cad;
  if (panel.model_3d_page_shown()) return ViewPage::Model3d;
  return ViewPage::Images;
}

Model3dView* make_model_3d_view(Project& project, ImageListPanel& panel) {
  auto* view = new Model3dView(project, nullptr);
  view->set_image_chooser([&project, &panel](ProjectImage& image) {
    const int row = project.images().images.index_of(&image);
    if (row >= 0) panel.list()->setCurrentRow(row);
  });
  return view;
}

}  // namespace plenvista
