#pragma once

#include <QString>
#include <optional>

namespace kv {

// The folder and file dialogs. The program installs a service that shows real dialogs; tests
// install a scripted one (tests/support) that records each dialog and answers from a queue.

struct DialogRequest {
    enum class Kind { SelectFolder, OpenFile };
    Kind kind = Kind::SelectFolder;
    QString title;
    QString filter;       // OpenFile: QFileDialog's form, "Archives (*.zip *.7z);;All files (*)"
    QString initialFile;  // OpenFile: the file (or folder) the dialog starts on
};

class DialogService {
public:
    virtual ~DialogService() = default;
    // The chosen path, or nothing when the dialog was cancelled.
    virtual std::optional<QString> show(const DialogRequest& request) = 0;
};

// Not owned. Without a service every dialog counts as cancelled.
void setDialogService(DialogService* service);
DialogService* dialogService();

// Installs a service for the lifetime of the object and puts the previous one back afterwards.
class ScopedDialogService {
public:
    explicit ScopedDialogService(DialogService& service) : previous_(dialogService()) {
        setDialogService(&service);
    }
    ~ScopedDialogService() { setDialogService(previous_); }
    ScopedDialogService(const ScopedDialogService&) = delete;
    ScopedDialogService& operator=(const ScopedDialogService&) = delete;

private:
    DialogService* previous_;
};

// A folder of the file system: a root as "/", any other folder without a closing '/'.
std::optional<QString> selectFolder(const QString& title);
// An existing file.
std::optional<QString> openFile(const QString& title, const QString& filter,
                                const QString& initialFile);

}  // namespace kv
