#include "shell/status_panes.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QStyle>
#include <QVBoxLayout>
#include <algorithm>

namespace plenvista {

namespace {
constexpr int kSpacing = 12;
}

StatusPanes::StatusPanes(const std::vector<QString>& samples, QWidget* parent) : QWidget(parent) {
  for (const QString& sample : samples) {
    auto* label = new QLabel(this);
    label->setTextFormat(Qt::PlainText);
    labels_.push_back(label);
    reserved_.push_back(sample.isEmpty() ? 0 : label->fontMetrics().horizontalAdvance(sample));
  }
  arrange();
}

void StatusPanes::set_text(int pane, const QString& text) {
  QLabel* pane_label = label(pane);
  if (pane_label->text() == text) return;
  pane_label->setText(text);
  arrange();
}

QString StatusPanes::text(int pane) const { return label(pane)->text(); }

int StatusPanes::pane_width(int pane) const {
  const QLabel* pane_label = label(pane);
  return std::max(pane_label->sizeHint().width(), reserved_[static_cast<std::size_t>(pane)]);
}

QSize StatusPanes::minimumSizeHint() const {
  int widest = 0;
  for (int i = 0; i < static_cast<int>(labels_.size()); ++i) widest = std::max(widest, pane_width(i));
  const QMargins m = contentsMargins();
  return {widest + m.left() + m.right(), QWidget::minimumSizeHint().height()};
}

void StatusPanes::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  arrange();
}

void StatusPanes::arrange() {
  const QMargins m = contentsMargins();
  const int room = width() - m.left() - m.right();
  std::vector<int> rows;
  int used = 0;
  for (int i = 0; i < static_cast<int>(labels_.size()); ++i) {
    const int needed = pane_width(i) + (used > 0 ? kSpacing : 0);
    if (rows.empty() || used + needed > room) {
      rows.push_back(1);
      used = pane_width(i);
    } else {
      ++rows.back();
      used += needed;
    }
  }
  for (int i = 0; i < static_cast<int>(labels_.size()); ++i) label(i)->setMinimumWidth(pane_width(i));
  // A status bar's own layout passes no minimum on to the window: it is
  // set here, with room for the size grip beside the panes.
  if (QWidget* bar = parentWidget())
    bar->setMinimumWidth(minimumSizeHint().width() + bar->style()->pixelMetric(QStyle::PM_SizeGripSize) + 2 * kSpacing);
  if (rows == rows_ && layout() != nullptr) return;
  rows_ = rows;
  delete layout();
  auto* column = new QVBoxLayout(this);
  column->setContentsMargins(0, 0, 0, 0);
  column->setSpacing(0);
  int pane = 0;
  for (const int length : rows_) {
    auto* row = new QHBoxLayout;
    row->setSpacing(kSpacing);
    for (int k = 0; k < length; ++k) row->addWidget(label(pane++));
    row->addStretch(1);
    column->addLayout(row);
  }
  updateGeometry();
}

}  // namespace plenvista
