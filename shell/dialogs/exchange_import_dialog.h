#pragma once

// ExchangeImportDialog ("Import Control Points", "Import GCP List", "Import
// Marks"): the preview of a control point list, GCP list or marks list
// (label, pixel, photograph) read from a file, before
// anything is imported. The table shows every usable line; the box below
// names each line that cannot be used (its number and the reason) and, for
// a GCP list or marks list, the photographs that are not in the project
// (and for a GCP list marks whose control point has other coordinates
// there). When there are bad lines, OK
// stays disabled until "Skip the lines that cannot be read" is ticked; with
// nothing usable it stays disabled. The dialog changes nothing: the caller
// imports `entries()`, `marks()` or `labelled_marks()` after OK.

#include <QDialog>
#include <string>
#include <vector>

#include "model/control_points.h"
#include "model/tie_points.h"

class QCheckBox;
class QPlainTextEdit;
class QPushButton;
class QTableWidget;

namespace plenvista {

class ExchangeImportDialog : public QDialog {
 public:
  enum class Kind { ControlPoints, GcpList, MarksList };
  ExchangeImportDialog(Kind kind, const std::string& text, const Project& project, QWidget* parent);

  const std::vector<ControlPointEntry>& entries() const { return entries_; }
  // The marks to import: those whose control point does not disagree.
  const std::vector<ImageMark>& marks() const { return marks_; }
  const std::vector<LabelledMark>& labelled_marks() const { return labelled_marks_; }

  QTableWidget* table() const { return table_; }
  QPlainTextEdit* messages() const { return messages_; }
  QCheckBox* skip_box() const { return skip_; }
  QPushButton* ok_button() const { return ok_; }

 private:
  void fill_control_points(const std::string& text);
  void fill_gcp_list(const std::string& text, const Project& project);
  void fill_marks_list(const std::string& text, const Project& project);
  void show_problems(const std::vector<LineProblem>& problems, const std::vector<std::string>& notes);
  void update_ok();

  std::vector<ControlPointEntry> entries_;
  std::vector<ImageMark> marks_;
  std::vector<LabelledMark> labelled_marks_;
  bool has_problems_ = false;
  QTableWidget* table_ = nullptr;
  QPlainTextEdit* messages_ = nullptr;
  QCheckBox* skip_ = nullptr;
  QPushButton* ok_ = nullptr;
};

}  // namespace plenvista
