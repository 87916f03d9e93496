#include "shell/qt_seams.h"

#include <QFileDialog>

namespace plenvista {

namespace {
const QString kProjectFilter = QStringLiteral("op2 Files (*.op2);;All Files (*.*)");

std::optional<std::string> chosen(const QString& path) {
  if (path.isEmpty()) return std::nullopt;
  return path.toStdString();
}
}  // namespace

std::optional<std::string> QtFileChooser::choose_open(QWidget* owner) {
  return chosen(QFileDialog::getOpenFileName(owner, QString(), QString(), kProjectFilter));
}

std::optional<std::string> QtFileChooser::choose_save(QWidget* owner, const std::string& initial) {
  QFileDialog dialog(owner, QString(), QString(), kProjectFilter);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setDefaultSuffix(QStringLiteral("op2"));
  if (!initial.empty()) dialog.selectFile(QString::fromStdString(initial));
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return chosen(dialog.selectedFiles().front());
}

std::optional<std::string> QtFileChooser::choose_file(QWidget* owner, const QString& filter) {
  return chosen(QFileDialog::getOpenFileName(owner, QString(), QString(), filter));
}

QMessageBox::StandardButton QtQuestionAsker::ask(QWidget* owner, const QString& text, const QString& caption,
                                                 QMessageBox::StandardButtons buttons, QMessageBox::Icon icon) {
  QMessageBox box(icon, caption, text, buttons, owner);
  return static_cast<QMessageBox::StandardButton>(box.exec());
}

void QtQuestionAsker::tell(QWidget* owner, const QString& text, const QString& caption) {
  QMessageBox box(QMessageBox::NoIcon, caption, text, QMessageBox::Ok, owner);
  box.exec();
}

void MessageBoxSink::show(const std::string& text, const std::string& caption) {
  asker_.tell(owner_, QString::fromStdString(text), QString::fromStdString(caption));
}

}  // namespace plenvista
