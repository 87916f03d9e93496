#include "shell/view_area.h"

#include <QLabel>
#include <QSplitter>
#include <QTimer>
#include <QVBoxLayout>

#include "views/cad_view.h"
#include "views/image_view.h"
#include "views/model_3d_view.h"
#include "views/opengl_check.h"

namespace plenvista {

namespace {

// The mixed display's first split: image view : CAD views, upper : lower.
constexpr int kImageShare = 60;
constexpr int kCadShare = 40;
// Room around the views, in pixels.
constexpr int kMargin = 6;

}  // namespace

ViewArea::ViewArea(ImageView* image_view, const std::array<CadView*, 3>& cad_views,
                   std::function<Model3dView*()> make_3d_view, QWidget* parent)
    : QWidget(parent), image_view_(image_view), cad_views_(cad_views), make_3d_view_(std::move(make_3d_view)) {
  setContentsMargins(kMargin, kMargin, kMargin, kMargin);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  mixed_ = new QSplitter(Qt::Horizontal, this);
  mixed_->setChildrenCollapsible(false);
  right_ = new QSplitter(Qt::Vertical, mixed_);
  right_->setChildrenCollapsible(false);
  mixed_->addWidget(image_view_);
  mixed_->addWidget(right_);
  right_->addWidget(cad_views_[1]);
  right_->addWidget(cad_views_[2]);
  layout->addWidget(mixed_);
  layout->addWidget(cad_views_[0]);
  show_display(DisplayMode::Tabbed, ViewPage::Images);
}

void ViewArea::show_display(DisplayMode mode, ViewPage page) {
  const bool mixed = mode == DisplayMode::Mixed;
  const bool model_3d = mode == DisplayMode::Model3d || (mode == DisplayMode::Tabbed && page == ViewPage::Model3d);
  if (model_3d && model_3d_page_ == nullptr) make_3d_page();
  if (mixed && mode_ != DisplayMode::Mixed) {
    // Sizes are weights: the splitter shares out what room it has.
    mixed_->setSizes({kImageShare, kCadShare});
    right_->setSizes({1, 1});
  }
  mode_ = mode;
  const bool image_shown = mixed || (!model_3d && page == ViewPage::Images);
  image_view_->setVisible(image_shown);
  cad_views_[0]->setVisible(!image_shown && !model_3d);
  if (model_3d_page_ != nullptr) model_3d_page_->setVisible(model_3d);
  cad_views_[1]->setVisible(mixed);
  cad_views_[2]->setVisible(mixed);
  right_->setVisible(mixed);
  mixed_->setVisible(image_shown);
  // The views shown now have their place at once, before any click.
  layout()->activate();
}

void ViewArea::make_3d_page() {
  const QString shortfall = opengl_shortfall(probe_opengl());
  if (!shortfall.isEmpty()) {
    show_3d_message(shortfall);
    return;
  }
  model_3d_ = make_3d_view_();
  model_3d_page_ = model_3d_;
  layout()->addWidget(model_3d_);
  // Refused shaders show at the view's first frame: the message takes its
  // place once that frame is over.
  model_3d_->set_failure_handler([this](const QString& text) {
    QTimer::singleShot(0, this, [this, text] {
      if (model_3d_ == nullptr) return;
      const bool shown = model_3d_->isVisible();
      model_3d_->hide();
      model_3d_->deleteLater();
      model_3d_ = nullptr;
      show_3d_message(text);
      model_3d_page_->setVisible(shown);
    });
  });
}

void ViewArea::show_3d_message(const QString& text) {
  auto* message = new QLabel(text, this);
  message->setObjectName(QStringLiteral("model_3d_message"));
  message->setAlignment(Qt::AlignCenter);
  message->setWordWrap(true);
  layout()->addWidget(message);
  model_3d_page_ = message;
}

}  // namespace plenvista
