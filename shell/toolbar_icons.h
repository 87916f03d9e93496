#pragma once

// The 16 x 16 images of the main window's 22 toolbar buttons. A theme icon
// is used where the desktop's icon theme has a fitting one; otherwise the
// image is drawn here, each button with its own symbol and colour. Unknown
// ids give a null icon.

#include <QIcon>

namespace plenvista {

QIcon toolbar_icon(int command_id);
// The drawn image alone, ignoring the theme (distinct for every button).
QPixmap drawn_toolbar_image(int command_id);
// The program's window icon.
QIcon program_icon();

}  // namespace plenvista
