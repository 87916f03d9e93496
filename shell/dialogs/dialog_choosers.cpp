#include "shell/dialogs/dialog_choosers.h"

#include <QColorDialog>
#include <QFileDialog>

#include "shell/dialogs/colour_field.h"

namespace plenvista {

std::optional<Colour> QtDialogChoosers::choose_colour(QWidget* owner, Colour current) {
  const QColor chosen = QColorDialog::getColor(to_qcolor(current), owner);
  if (!chosen.isValid()) return std::nullopt;
  return from_qcolor(chosen);
}

std::optional<std::string> QtDialogChoosers::choose_open_file(QWidget* owner, const QString& filter) {
  const QString path = QFileDialog::getOpenFileName(owner, QString(), QString(), filter);
  if (path.isEmpty()) return std::nullopt;
  return path.toStdString();
}

std::optional<std::string> QtDialogChoosers::choose_save_file(QWidget* owner, const QString& filter,
                                                              const QString& suffix, const std::string& initial) {
  QFileDialog dialog(owner, QString(), QString(), filter);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setDefaultSuffix(suffix);
  if (!initial.empty()) dialog.selectFile(QString::fromStdString(initial));
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return dialog.selectedFiles().front().toStdString();
}

}  // namespace plenvista
