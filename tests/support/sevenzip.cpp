#include "support/sevenzip.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QTest>

namespace kv::test {

QStringList archiveEntries(const QString& archive) {
    QProcess p;
    p.start(k7zz, {"l", "-slt", "-ba", archive});
    if (!p.waitForFinished(30000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        return {};
    }
    QStringList paths;
    for (const QString& line : QString::fromUtf8(p.readAllStandardOutput()).split(u'\n')) {
        if (line.startsWith(QStringLiteral("Path = "))) {
            paths << line.mid(7).trimmed();
        }
    }
    paths.sort();
    return paths;
}

bool makeArchive(const QString& archive, const QStringList& paths, const QStringList& switches) {
    QProcess p;
    p.start(k7zz, QStringList{"a"} + switches + QStringList{"--", archive} + paths);
    return p.waitForFinished(60000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

QStringList waitForArchive(const QString& archive, const QStringList& expected) {
    QElapsedTimer t;
    t.start();
    QStringList got;
    while (t.elapsed() < 60000) {
        got = archiveEntries(archive);
        if (got == expected) {
            break;
        }
        QTest::qWait(50);  // the run's end is noticed on the event loop
    }
    return got;
}

}  // namespace kv::test
