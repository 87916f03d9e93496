#include "shell/help_window.h"

#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

namespace plenvista {

HelpWindow::HelpWindow(QWidget* parent) : QWidget(parent, Qt::Window), browser_(new QTextBrowser(this)) {
  setWindowTitle(QStringLiteral("Plenvista Help"));
  browser_->setOpenExternalLinks(true);
  browser_->setSource(QUrl(QStringLiteral("qrc:/help/index.html")));
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(browser_);
  resize(640, 560);
}

}  // namespace plenvista
