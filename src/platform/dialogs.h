#pragma once

#include <QString>
#include <optional>

#include "platform/scopedvalue.h"

namespace kv {

// The folder and file dialogs. The program installs a service that shows real dialogs; tests
// install a scripted one (tests/support) that records each dialog and answers from a queue.

struct DialogRequest {
    enum class Kind { SelectFolder, OpenFile };
    Kind kind = Kind::SelectFolder;
    QString title;
    QString filter;       // OpenFile: QFileDialog's form, "Archives (*.zip *.7z);;All files (*)"
    QString initialFile;  // OpenFile: the file (or folder) the dialog starts on
    // OpenFile: the choice of `filter` (its text before " (") that shows, besides folders, only
    // the files the user may run. Programs on Linux have no extension to match: the dialog
    // tells them by their execute permission. Empty: every choice matches by name alone.
    QString executablesChoice;
};

class DialogService {
public:
    virtual ~DialogService() = default;
    // The chosen path, or nothing when the dialog was cancelled.
    virtual std::optional<QString> show(const DialogRequest& request) = 0;
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

}  // namespace kv
