#include "shell/exchange_commands.h"

#include <functional>

#include "base/file_io.h"
#include "base/text.h"
#include "export/exchange_export.h"
#include "model/control_points.h"
#include "model/located_camera.h"
#include "model/run_edit.h"
#include "model/tie_points.h"
#include "persistence/exchange_text.h"
#include "shell/dialogs/exchange_import_dialog.h"

namespace plenvista {

namespace {

constexpr std::size_t kMaxListBytes = std::size_t{1} << 28;
const QString kListFilter = QStringLiteral("Text Files (*.csv *.txt *.tsv);;All Files (*.*)");

std::optional<std::string> read_chosen(const ExchangeSeams& seams) {
  const std::optional<std::string> path = seams.files.open_file(seams.owner, kListFilter);
  if (!path) return std::nullopt;
  const ReadResult read = read_whole_file(*path, kMaxListBytes);
  if (!read.bytes) {
    seams.project.messages.show("Cannot read " + *path + ", error code (" + std::to_string(read.error) + ")", "Error");
    return std::nullopt;
  }
  return std::string(read.bytes->begin(), read.bytes->end());
}

void save_as(const ExchangeSeams& seams, const QString& filter, const QString& suffix,
             const std::function<std::string(const std::string& path)>& text_for) {
  const std::optional<std::string> path = seams.files.save_file(seams.owner, filter, suffix, {});
  if (!path) return;
  if (write_file_atomically(*path, text_for(*path)) != WriteResult::Ok)
    seams.project.messages.show("Cannot write " + *path, "Error");
}

}  // namespace

void import_control_points_command(const ExchangeSeams& seams) {
  const auto text = read_chosen(seams);
  if (!text) return;
  ExchangeImportDialog dialog(ExchangeImportDialog::Kind::ControlPoints, *text, seams.project, seams.owner);
  if (dialog.exec() != QDialog::Accepted) return;
  std::optional<ControlPointMerge> merge;
  run_edit(seams.project, [&] { merge = merge_control_points(seams.project, dialog.entries()); });
  if (!merge) return;
  std::string report = merge_summary(*merge) + '.';
  if (merge->photographs_marked > 0)
    report.append("\n").append(std::to_string(merge->photographs_marked)).append(" photographs will be located again.");
  seams.questions.tell(seams.owner, QString::fromStdString(report), QStringLiteral("Import Control Points"));
}

void import_gcp_list_command(const ExchangeSeams& seams) {
  const auto text = read_chosen(seams);
  if (!text) return;
  ExchangeImportDialog dialog(ExchangeImportDialog::Kind::GcpList, *text, seams.project, seams.owner);
  if (dialog.exec() != QDialog::Accepted) return;
  std::optional<MarkImport> report;
  run_edit(seams.project, [&] { report = import_image_marks(seams.project, dialog.marks()); });
  if (!report) return;
  std::string told = import_summary(*report) + '.';
  for (const std::string& name : report->images_not_found) told += "\nNo photograph named " + name + " in the project.";
  seams.questions.tell(seams.owner, QString::fromStdString(told), QStringLiteral("Import GCP List"));
}

void import_marks_command(const ExchangeSeams& seams) {
  const auto text = read_chosen(seams);
  if (!text) return;
  ExchangeImportDialog dialog(ExchangeImportDialog::Kind::MarksList, *text, seams.project, seams.owner);
  if (dialog.exec() != QDialog::Accepted) return;
  std::optional<MarksImport> report;
  run_edit(seams.project, [&] { report = import_labelled_marks(seams.project, dialog.labelled_marks()); });
  if (!report) return;
  std::string told = marks_import_summary(*report) + '.';
  for (const std::string& name : report->images_not_found) told += "\nNo photograph named " + name + " in the project.";
  seams.questions.tell(seams.owner, QString::fromStdString(told), QStringLiteral("Import Marks"));
}

void export_marks_command(const ExchangeSeams& seams) {
  save_as(seams, QStringLiteral("Text Files (*.txt);;All Files (*.*)"), QStringLiteral("txt"),
          [&](const std::string&) { return marks_list_text(seams.project).text; });
}

void export_points_command(const ExchangeSeams& seams) {
  const QMessageBox::StandardButton answer = seams.questions.ask(
      seams.owner,
      QStringLiteral("Write the points through the export transform (origin offset, Z direction and scale of the "
                     "export settings)?"),
      QStringLiteral("Export Points"), QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Question);
  if (answer == QMessageBox::Cancel) return;
  save_as(seams, QStringLiteral("csv Files (*.csv);;All Files (*.*)"), QStringLiteral("csv"),
          [&](const std::string&) { return model_points_csv(seams.project, answer == QMessageBox::Yes); });
}

void export_gcp_list_command(const ExchangeSeams& seams) {
  save_as(seams, QStringLiteral("Text Files (*.txt);;All Files (*.*)"), QStringLiteral("txt"),
          [&](const std::string&) { return gcp_list_text(seams.project, std::nullopt); });
}

void export_cameras_command(const ExchangeSeams& seams) {
  save_as(seams, QStringLiteral("csv Files (*.csv);;JSON Files (*.json);;All Files (*.*)"), QStringLiteral("csv"),
          [&](const std::string& path) {
            const std::vector<LocatedCamera> cameras = located_cameras(seams.project.images());
            return ends_with_ignoring_case(path, ".json") ? cameras_json(cameras) : cameras_csv(cameras);
          });
}

}  // namespace plenvista
