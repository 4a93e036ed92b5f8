#include "platform/programsearch.h"

#include <QDir>
#include <QFileInfo>

namespace kv {
namespace {
std::optional<QStringList> installed;
}  // namespace

QStringList programSearchPath() {
    if (installed) {
        return *installed;
    }
    QStringList folders;
    for (const QString& entry : qEnvironmentVariable("PATH").split(u':', Qt::SkipEmptyParts)) {
        if (QDir::isAbsolutePath(entry)) {
            folders << entry;
        }
    }
    return folders;
}

ScopedProgramSearchPath::ScopedProgramSearchPath(QStringList folders)
    : ScopedValue(installed, std::move(folders)) {}

QString findProgram(const QString& name) {
    for (const QString& folder : programSearchPath()) {
        const QString path = QDir(folder).filePath(name);
        const QFileInfo info(path);
        if (info.isFile() && info.isExecutable()) {
            return path;
        }
    }
    return {};
}

}  // namespace kv
