#include "support/tempprogramfolder.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QMap>
#include <stdexcept>

#include "platform/programfolder.h"

namespace kv::test {

TempProgramFolder::TempProgramFolder()
    : previousFolder_(programFolder()), previousCurrent_(QDir::currentPath()) {
    if (!dir_.isValid()) {
        throw std::runtime_error("cannot create a temporary folder");
    }
    setProgramFolder(dir_.path());
    QDir::setCurrent(dir_.path());
}

TempProgramFolder::~TempProgramFolder() {
    QDir::setCurrent(previousCurrent_);
    setProgramFolder(previousFolder_);
}

QString TempProgramFolder::path() const {
    return dir_.path() + u'/';
}

QString TempProgramFolder::file(const QString& relative) const {
    return path() + relative;
}

void TempProgramFolder::write(const QString& relative, const QByteArray& bytes) const {
    const QString full = file(relative);
    QDir().mkpath(QFileInfo(full).path());
    QFile f(full);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes) != bytes.size()) {
        throw std::runtime_error("cannot write " + full.toStdString());
    }
}

QByteArray TempProgramFolder::read(const QString& relative) const {
    QFile f(file(relative));
    if (!f.open(QIODevice::ReadOnly)) {
        return {};
    }
    return f.readAll();
}

QMap<QString, QByteArray> snapshot(const QString& folder) {
    QMap<QString, QByteArray> out;
    QDir base(folder);
    QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        QFile f(path);
        if (f.open(QIODevice::ReadOnly)) {
            out.insert(base.relativeFilePath(path), f.readAll());
        }
    }
    return out;
}

}  // namespace kv::test
