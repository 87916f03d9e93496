#include "shell/dialogs/cam_busy_dialog.h"

#include <QKeyEvent>
#include <QLabel>
#include <QTimer>
#include <QVBoxLayout>
#include <utility>

namespace plenvista {

namespace {
constexpr int kStartDelayMs = 50;
}

CamBusyDialog::CamBusyDialog(std::function<void()> work, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint), work_(std::move(work)) {
  setObjectName("CamBusyDialog");
  setModal(true);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(24, 18, 24, 18);
  layout->addWidget(new QLabel(QStringLiteral("Calculating all points in the grid. Please wait ..."), this));
}

void CamBusyDialog::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (started_) return;
  started_ = true;
  QTimer::singleShot(kStartDelayMs, this, [this] {
    if (work_) work_();
    accept();
  });
}

void CamBusyDialog::keyPressEvent(QKeyEvent* event) {
  // The work decides when the window closes, not ESC.
  event->accept();
}

}  // namespace plenvista
