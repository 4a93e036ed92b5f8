#pragma once

#include <QString>
#include <QStringList>
#include <optional>

#include "platform/scopedvalue.h"

namespace kv {

// The folder and file dialogs. The program installs a service that shows real dialogs; tests
// install a scripted one (tests/support) that records each dialog and answers from a queue.

struct DialogRequest {
    enum class Kind { SelectFolder, OpenFile, OpenFiles };
    Kind kind = Kind::SelectFolder;
    QString title;
    QString filter;       // OpenFile(s): QFileDialog's form, "Archives (*.7z);;All files (*)"
    QString initialFile;  // OpenFile(s): the file (or folder) the dialog starts on
    // OpenFile: the choice of `filter` (its text before " (") that shows, besides folders, only
    // the files the user may run. Programs on Linux have no extension to match: the dialog
    // tells them by their execute permission. Empty: every choice matches by name alone.
    QString executablesChoice;
};

class DialogService {
public:
    virtual ~DialogService() = default;
    // The chosen paths (one, but for OpenFiles), or none when the dialog was cancelled.
    virtual QStringList show(const DialogRequest& request) = 0;
};

// Installs a service for the lifetime of the object and puts the previous one back afterwards.
// Not owned. Without a service every dialog counts as cancelled.
class ScopedDialogService : ScopedValue<DialogService*> {
public:
    explicit ScopedDialogService(DialogService& service);
};

// A folder of the file system: a root as "/", any other folder without a closing '/'.
std::optional<QString> selectFolder(const QString& title);
// An existing file.
std::optional<QString> openFile(const QString& title, const QString& filter,
                                const QString& initialFile,
                                const QString& executablesChoice = QString());
// Existing files, as many as the user chooses in one dialog, which starts in the home folder;
// none when cancelled.
QStringList openFiles(const QString& title);

}  // namespace kv
