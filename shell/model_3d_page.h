#pragma once

// The main window's ties to the 3D view: which page of the image list is
// shown, and the 3D view made for the view area, whose double click on a
// camera chooses that photograph's line in the image list (as a click on
// the line does: the photograph becomes current, or the current one's
// partner in partner mode).

#include "shell/view_area.h"

namespace plenvista {

class ImageListPanel;
class Model3dView;
struct Project;

ViewPage shown_page(const ImageListPanel& panel);

// The view is made without a parent; the view area takes it.
Model3dView* make_model_3d_view(Project& project, ImageListPanel& panel);

}  // namespace plenvista
