#pragma once

#include <QString>

namespace kv {

// The desktop shortcut: a freedesktop launcher in the desktop folder that starts the program
// without arguments in its program folder.

// The launcher's file name for the shortcut name `shortcutName` (the text cl1, "<name>.lnk"): a
// final ".lnk" (in any case) becomes ".desktop", and a name that does not end so gets it, since
// file managers start only files named so. A '/' cannot be part of a file name and becomes
// '-', so that a dictionary text never puts the file into another folder.
QString launcherFileName(const QString& shortcutName);

struct Launcher {
    QString executablePath;  // started without arguments
    QString workingFolder;   // the program folder
    QString icon;            // an icon theme name or an absolute path
};

// The launcher's text: a desktop entry of type Application, shown as `name`.
QString launcherText(const QString& name, const Launcher& launcher);

// Writes the launcher for `shortcutName` into `desktopFolder` (made when missing), replacing
// one of that name, with the owner's execute bit; it is shown under its file name without
// ".desktop". Returns its path. Raises Error (cp4) when it
// cannot be written.
QString writeLauncher(const QString& desktopFolder, const QString& shortcutName,
                      const Launcher& launcher);

// Where gio is installed, asks it to mark `file` trusted, so that a GNOME desktop starts it
// without asking first. Does not wait for gio; a failure of gio goes unnoticed.
void markTrusted(const QString& file);

}  // namespace kv
