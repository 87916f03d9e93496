#pragma once

// StatusPanes: the texts of the main window's status bar (cursor, selected
// point, the point transformed, the model's counts, the last point's fit),
// laid out so that none is ever cut. Each pane is as wide as its text, and
// at least as wide as its sample text (so that panes do not jump as the
// numbers change); the panes stand side by side, in order, as many to a row
// as the bar's width holds, and the bar grows a row for the rest. The
// widget's smallest width is its widest pane, and it keeps the status bar
// it sits in (and so the window) at least that wide. Widths are in device-
// independent pixels from the font; no pane has a fixed width.

#include <QString>
#include <QWidget>
#include <vector>

class QLabel;

namespace plenvista {

class StatusPanes : public QWidget {
 public:
  // One pane per sample text; an empty sample reserves nothing.
  StatusPanes(const std::vector<QString>& samples, QWidget* parent);

  void set_text(int pane, const QString& text);
  QString text(int pane) const;
  QLabel* label(int pane) const { return labels_.at(static_cast<std::size_t>(pane)); }
  // The panes on each row, as laid out now.
  const std::vector<int>& row_lengths() const { return rows_; }

  QSize minimumSizeHint() const override;

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  int pane_width(int pane) const;
  // Re-flows the panes for the current width when their rows change.
  void arrange();

  std::vector<QLabel*> labels_;
  std::vector<int> reserved_;
  std::vector<int> rows_;
};

}  // namespace plenvista
