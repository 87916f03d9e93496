#pragma once

// The 16 x 16 images of the main window's 22 toolbar buttons. A theme icon
// is used where the desktop's icon theme has a fitting one; otherwise the
// image is drawn here, each button with its own symbol and colour. Unknown
// ids give a null icon (or image).

#include <QIcon>

#include "shell/command_ids.h"

namespace plenvista {

QIcon toolbar_icon(CommandId command_id);
// The drawn image alone, ignoring the theme (distinct for every button).
QPixmap drawn_toolbar_image(CommandId command_id);
// The program's window icon.
QIcon program_icon();

}  // namespace plenvista
