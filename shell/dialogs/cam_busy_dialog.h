#pragma once

// CamBusyDialog: the small modal window without a title bar that says
// "Calculating all points in the grid. Please wait ..." while a long piece
// of work runs. exec() shows it, runs the work from a one-shot 50 ms timer
// (so the window is on the screen first), closes it when the work returns
// and returns QDialog::Accepted. The user interface does not respond during
// the work.

#include <QDialog>
#include <functional>

namespace plenvista {

class CamBusyDialog : public QDialog {
 public:
  CamBusyDialog(std::function<void()> work, QWidget* parent);

 protected:
  void showEvent(QShowEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  std::function<void()> work_;
  bool started_ = false;
};

}  // namespace plenvista
