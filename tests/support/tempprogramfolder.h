#pragma once

#include <QMap>
#include <QString>
#include <QTemporaryDir>

namespace kv::test {

// A fresh, empty program folder for one test: made the program folder and the current folder
// while the object lives; both are put back afterwards.
class TempProgramFolder {
public:
    TempProgramFolder();
    ~TempProgramFolder();
    TempProgramFolder(const TempProgramFolder&) = delete;
    TempProgramFolder& operator=(const TempProgramFolder&) = delete;

    QString path() const;                         // with a closing '/'
    QString file(const QString& relative) const;  // path() + relative
    void write(const QString& relative, const QByteArray& bytes) const;
    QByteArray read(const QString& relative) const;

private:
    QTemporaryDir dir_;
    QString previousFolder_;
    QString previousCurrent_;
};

// Bytes of every regular file under `folder`, keyed by relative path (to check "unchanged").
QMap<QString, QByteArray> snapshot(const QString& folder);

}  // namespace kv::test
