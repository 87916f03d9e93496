#pragma once

// "Print Grid..." of the Camera Editor: asks where to write the printable
// grid (PDF or SVG, from the chosen name's ending) and writes it for the
// grid typed in the editor, on the smallest paper it fits. Printing the file
// is then the user's business.
//
// Failure cases: a grid that is not valid or fits on no paper up to A2,
// and a file that cannot be written, are told in a message box with
// caption "Error"; a cancelled file dialog does nothing. Returns whether a
// file was written.

#include <QString>

#include "photogrammetry/grid_sheet.h"

class QWidget;

namespace plenvista {

class FileChooser;
class MessageSink;

inline const QString kGridSheetFilter = QStringLiteral("PDF Files (*.pdf);;SVG Files (*.svg)");

bool print_grid_sheet(QWidget* owner, FileChooser& files, MessageSink& messages, const GridSheetRequest& grid);

}  // namespace plenvista
