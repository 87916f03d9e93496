#pragma once

// ImageListPanel: the upper tab control on the left of the main window, with
// the pages "Images" and "CAD". Choosing a page sets the project's CAD page
// flag (1 while "CAD" is shown) and posts DisplayChanged, so that the main
// window shows the image view or the tabbed CAD view. The pages are empty
// until the image list and the axis choice are added to them.

#include <QTabWidget>

namespace plenvista {

struct Project;

class ImageListPanel : public QTabWidget {
 public:
  ImageListPanel(Project& project, QWidget* parent);

  QWidget* images_page() const { return images_page_; }
  QWidget* cad_page() const { return cad_page_; }
  bool cad_page_shown() const { return currentIndex() == 1; }

 private:
  Project& project_;
  QWidget* images_page_;
  QWidget* cad_page_;
};

}  // namespace plenvista
