#include "shell/qt_seams.h"

#include <QAbstractButton>
#include <QFileDialog>
#include <QPushButton>
#include <algorithm>
#include <vector>

namespace plenvista {

namespace {
std::optional<std::string> chosen(const QString& path) {
  if (path.isEmpty()) return std::nullopt;
  return path.toStdString();
}
}  // namespace

std::optional<std::string> QtFileChooser::open_file(QWidget* owner, const QString& filter) {
  return chosen(QFileDialog::getOpenFileName(owner, QString(), QString(), filter));
}

std::optional<std::string> QtFileChooser::save_file(QWidget* owner, const QString& filter,
                                                    const QString& default_suffix, const std::string& initial) {
  QFileDialog dialog(owner, QString(), QString(), filter);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setDefaultSuffix(default_suffix);
  if (!initial.empty()) dialog.selectFile(QString::fromStdString(initial));
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return chosen(dialog.selectedFiles().front());
}

QMessageBox::StandardButton QtQuestionAsker::ask(QWidget* owner, const QString& text, const QString& caption,
                                                 QMessageBox::StandardButtons buttons, QMessageBox::Icon icon) {
  QMessageBox box(icon, caption, text, buttons, owner);
  return static_cast<QMessageBox::StandardButton>(box.exec());
}

int QtQuestionAsker::choose(QWidget* owner, const QString& text, const QString& caption, const QStringList& labels,
                            QMessageBox::Icon icon) {
  QMessageBox box(icon, caption, text, QMessageBox::NoButton, owner);
  std::vector<QAbstractButton*> buttons;
  for (const QString& label : labels) buttons.push_back(box.addButton(label, QMessageBox::AcceptRole));
  box.exec();
  const auto chosen = std::find(buttons.begin(), buttons.end(), box.clickedButton());
  return chosen == buttons.end() ? -1 : static_cast<int>(chosen - buttons.begin());
}

void QtQuestionAsker::tell(QWidget* owner, const QString& text, const QString& caption) {
  QMessageBox box(QMessageBox::NoIcon, caption, text, QMessageBox::Ok, owner);
  box.exec();
}

void MessageBoxSink::show(const std::string& text, const std::string& caption) {
  asker_.tell(owner_, QString::fromStdString(text), QString::fromStdString(caption));
}

}  // namespace plenvista
