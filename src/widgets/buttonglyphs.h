#pragma once

#include <QIcon>
#include <QStyle>

namespace kv {

// The pictures of the windows' buttons, drawn by the program like its own icon. They do not
// come from the desktop's icon theme: the first look-up in it costs more at start than building
// the rest of the window. `kind` names each picture by the nearest standard one; a kind without a
// drawing gives a null icon.
QIcon buttonGlyph(QStyle::StandardPixmap kind);

}  // namespace kv
