#pragma once

#include <QString>

namespace kv {

// The program's start with the user's session: an XDG autostart entry
// $XDG_CONFIG_HOME/autostart/<application title>.desktop whose Exec line is the quoted full path
// of the executable, a blank and "r". "The entry exists" means that this file exists.

// The application title: the executable's file name cut at its first dot, every character after
// the first in lower case ("MyBackup.bin" -> "Mybackup").
QString applicationTitle(const QString& executablePath);

QString autostartEntryPath(const QString& executablePath);
bool autostartEntryExists(const QString& executablePath);
// True when the entry exists and the desktop has not switched it off: its [Desktop Entry] group
// holds neither Hidden=true (XFCE, LXQt) nor X-GNOME-Autostart-enabled=false (GNOME). An entry
// switched off stays as it is until the user asks for the autostart again.
bool autostartEntryIsOn(const QString& executablePath);
// Writes (or rewrites) the entry. Raises Error ("Failed to set data for '<title>'") when the
// file cannot be written; an entry already there then stays as it was.
void writeAutostartEntry(const QString& executablePath);
// Removes the entry when it exists.
void removeAutostartEntry(const QString& executablePath);

}  // namespace kv
