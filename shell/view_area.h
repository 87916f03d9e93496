#pragma once

// ViewArea: the main window's central widget, holding its views (the image
// view, the tabbed, upper and lower CAD views and the 3D view). In the
// tabbed display one view fills the area: the image view while the image
// list shows its "Images" page, the tabbed CAD view while it shows "CAD",
// the 3D view while it shows "3D". The mixed display splits the area: the
// image view on the left, the upper and lower CAD views on the right, in
// splitters the user can drag; entering the mixed display gives the image
// view 60 % of the width and the CAD views half of the height each.
// Resizing keeps the proportions. The 3D display shows the 3D view alone,
// whatever the page.
//
// The 3D view is made when it is first shown: an OpenGL widget turns its
// whole window to OpenGL composition, which a session that never asks for
// it is spared. Where this system's OpenGL cannot carry the view (too old,
// none at all, or refusing its shaders), the 3D page shows a message saying
// so in its place, and the rest of the window works on.

#include <QWidget>
#include <array>
#include <functional>

class QSplitter;

namespace plenvista {

class CadView;
class ImageView;
class Model3dView;

enum class DisplayMode { Tabbed, Mixed, Model3d };
// The image list's pages.
enum class ViewPage { Images, Cad, Model3d };

class ViewArea : public QWidget {
 public:
  // Takes the views as its children. `cad_views`: the tabbed, the upper
  // and the lower CAD view; `make_3d_view` makes the 3D view when it is first needed.
  ViewArea(ImageView* image_view, const std::array<CadView*, 3>& cad_views, std::function<Model3dView*()> make_3d_view,
           QWidget* parent);

  // Shows the views of `mode`; `page`, the image list's page, matters in
  // the tabbed display only.
  void show_display(DisplayMode mode, ViewPage page);
  DisplayMode display_mode() const { return mode_; }
  // The 3D view, or null until it was first shown or where OpenGL cannot
  // carry it.
  Model3dView* model_3d_view() const { return model_3d_; }

 private:
  void make_3d_page();
  void show_3d_message(const QString& text);

  ImageView* image_view_;
  std::array<CadView*, 3> cad_views_;
  std::function<Model3dView*()> make_3d_view_;
  Model3dView* model_3d_ = nullptr;
  QWidget* model_3d_page_ = nullptr;  // the 3D view or the message in its place
  QSplitter* mixed_ = nullptr;        // the image view | the right column
  QSplitter* right_ = nullptr;        // the upper / the lower CAD view
  DisplayMode mode_ = DisplayMode::Tabbed;
};

}  // namespace plenvista
