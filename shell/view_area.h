#pragma once

// ViewArea: the main window's central widget, holding its four views (the
// image view and the tabbed, upper and lower CAD views). In the tabbed
// display one view fills the area: the image view while the image list
// shows its "Images" page, the tabbed CAD view while it shows "CAD". The
// mixed display splits the area: the image view on the left, the upper and
// lower CAD views on the right, in splitters the user can drag; entering
// the mixed display gives the image view 60 % of the width and the CAD
// views half of the height each. Resizing keeps the proportions.

#include <QWidget>
#include <array>

class QSplitter;

namespace plenvista {

class CadView;
class ImageView;

enum class DisplayMode { Tabbed, Mixed };

class ViewArea : public QWidget {
 public:
  // Takes the views as its children. `cad_views`: the tabbed, the upper
  // and the lower CAD view.
  ViewArea(ImageView* image_view, const std::array<CadView*, 3>& cad_views, QWidget* parent);

  // Shows the views of `mode`; `images_page`: the image list shows its
  // "Images" page (else "CAD"), which matters in the tabbed display only.
  void show_display(DisplayMode mode, bool images_page);
  DisplayMode display_mode() const { return mode_; }

 private:
  ImageView* image_view_;
  std::array<CadView*, 3> cad_views_;
  QSplitter* mixed_ = nullptr;  // the image view | the right column
  QSplitter* right_ = nullptr;  // the upper / the lower CAD view
  DisplayMode mode_ = DisplayMode::Tabbed;
};

}  // namespace plenvista
