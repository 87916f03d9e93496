#pragma once

// The 16 x 16 images of the main window's toolbar buttons. A command's
// record (shell/actions.cpp) gives its ButtonImage: a theme icon is used
// where the desktop's icon theme has a fitting one; otherwise the image is
// drawn here, one or two letters on the button's colour, or without
// letters the symbol drawn for the command's id.

#include <QIcon>

#include "shell/command_ids.h"

namespace plenvista {

struct ButtonImage {
  const char* theme = nullptr;  // icon theme name; nullptr: always drawn
  unsigned rgb = 0;             // colour 0xRRGGBB
  const char* glyph = "";       // one or two letters, or "" for the id's symbol
};

QIcon toolbar_icon(CommandId id, const ButtonImage& image);
// The drawn image alone, ignoring the theme.
QPixmap drawn_toolbar_image(CommandId id, const ButtonImage& image);
// The program's window icon.
QIcon program_icon();

}  // namespace plenvista
