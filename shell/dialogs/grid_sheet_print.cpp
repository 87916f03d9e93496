#include "shell/dialogs/grid_sheet_print.h"

#include "model/user_messages.h"
#include "platform/grid_sheet_writer.h"
#include "shell/shell_seams.h"

namespace plenvista {

bool print_grid_sheet(QWidget* owner, FileChooser& files, MessageSink& messages, const GridSheetRequest& grid) {
  const GridSheetLayout layout = lay_out_on_fitting_paper(grid);
  if (!layout.sheet) {
    messages.show(layout.error, "Error");
    return false;
  }
  const auto path = files.save_file(owner, kGridSheetFilter, QStringLiteral("pdf"), "grid.pdf");
  if (!path) return false;
  std::string error;
  if (write_grid_sheet(*layout.sheet, *path, error)) return true;
  messages.show(error, "Error");
  return false;
}

}  // namespace plenvista
