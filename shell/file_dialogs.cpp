#include "shell/file_dialogs.h"

#include <QFileDialog>

namespace plenvista {

namespace {
std::optional<std::string> chosen(const QString& path) {
  if (path.isEmpty()) return std::nullopt;
  return path.toStdString();
}
}  // namespace

std::optional<std::string> QtFileDialogs::open_file(QWidget* owner, const QString& filter) {
  return chosen(QFileDialog::getOpenFileName(owner, QString(), QString(), filter));
}

std::optional<std::string> QtFileDialogs::save_file(QWidget* owner, const QString& filter,
                                                    const QString& default_suffix, const std::string& initial) {
  QFileDialog dialog(owner, QString(), QString(), filter);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setDefaultSuffix(default_suffix);
  if (!initial.empty()) dialog.selectFile(QString::fromStdString(initial));
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return chosen(dialog.selectedFiles().front());
}

}  // namespace plenvista
