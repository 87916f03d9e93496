#include "shell/dialogs/search_progress_dialog.h"

#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace plenvista {

SearchProgressDialog::SearchProgressDialog(Project& project, QWidget* parent, int tick_ms)
    : QDialog(parent),
      run_(project),
      timer_(new QTimer(this)),
      score_line_(new QLabel(QStringLiteral("Searching ..."), this)),
      offset_line_(new QLabel(this)),
      ok_(new QPushButton(QStringLiteral("OK"), this)) {
  setWindowTitle(QStringLiteral("Searching ..."));
  ok_->setEnabled(false);
  ok_->setDefault(true);
  connect(ok_, &QPushButton::clicked, this, &SearchProgressDialog::accept);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(score_line_);
  layout->addWidget(offset_line_);
  layout->addWidget(ok_, 0, Qt::AlignHCenter);
  connect(timer_, &QTimer::timeout, this, &SearchProgressDialog::tick);
  timer_->start(tick_ms);
}

void SearchProgressDialog::tick() {
  const SearchRun::State state = run_.tick();
  if (!run_.score_text().empty()) {
    score_line_->setText(QString::fromStdString(run_.score_text()));
    offset_line_->setText(QString::fromStdString(run_.offset_text()));
  }
  if (state == SearchRun::State::Ended) {
    timer_->stop();
    ok_->setEnabled(true);
  }
}

void SearchProgressDialog::done(int result) {
  timer_->stop();
  QDialog::done(result);
}

}  // namespace plenvista
