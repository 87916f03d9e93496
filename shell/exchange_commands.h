#pragma once

// The main window's exchange commands: control point lists and GCP lists
// in (through the preview of ExchangeImportDialog), the model's points, the
// reference marks, the labelled marks and the located cameras out. Files are chosen through
// the FileChooser seam; reports and questions go through the QuestionAsker
// seam, failures to the project's message sink ("Error"). An import is one
// edit (Note change afterwards); exports change nothing in the project.

#include <QWidget>

#include "model/project.h"
#include "shell/shell_seams.h"

namespace plenvista {

struct ExchangeSeams {
  Project& project;
  FileChooser& files;
  QuestionAsker& questions;
  QWidget* owner;
};

void import_control_points_command(const ExchangeSeams& seams);
void import_gcp_list_command(const ExchangeSeams& seams);
// A marks list: labels of control points make reference marks, other labels
// tie points' marks.
void import_marks_command(const ExchangeSeams& seams);
void export_marks_command(const ExchangeSeams& seams);
// Asks whether to write through the export transform first.
void export_points_command(const ExchangeSeams& seams);
void export_gcp_list_command(const ExchangeSeams& seams);
// CSV, or JSON when the chosen name ends with ".json".
void export_cameras_command(const ExchangeSeams& seams);

}  // namespace plenvista
