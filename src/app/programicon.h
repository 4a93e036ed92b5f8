#pragma once

#include <QIcon>
#include <QString>

namespace kv {

// `icon` with a warning mark over its lower right quarter: a yellow triangle with an
// exclamation mark (backups overdue).
QIcon withWarningMark(const QIcon& icon);

// The icon's name in the icon theme, under which the package installs it.
inline const QString kIconThemeName = QStringLiteral("kelvotrin");

// The program's icon (the windows, the tray, the About box): the drawing among the program's
// resources, or, where Qt cannot draw SVG (its SVG plugins are not installed), a painted one.
// An `installed` program takes the icon of the theme by its name, so that the desktop draws it
// at every size from the theme, and its tray by name; the drawing when the theme lacks it.
QIcon programIcon(bool installed = false);

// The Icon value of the desktop launcher. An installed program names its icon in the theme. A
// portable one has no installed icon: it writes its drawing into its program folder
// (kelvotrin.svg), so that the icon moves with the folder, and names that file. Raises Error
// when the file is needed and cannot be written.
QString launcherIcon(bool installed);

}  // namespace kv
