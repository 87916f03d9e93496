#pragma once

// HelpWindow: shows the program's own HTML manual, built into the program,
// starting at its first page. Links between the manual's pages are
// followed inside the window; links to other places open outside it.

#include <QWidget>

class QTextBrowser;

namespace plenvista {

class HelpWindow : public QWidget {
 public:
  explicit HelpWindow(QWidget* parent);

  QTextBrowser* browser() const { return browser_; }

 private:
  QTextBrowser* browser_;
};

}  // namespace plenvista
