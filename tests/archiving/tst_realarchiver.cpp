#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTest>
#include <QThread>
#include <memory>

#include "app/appstate.h"
#include "platform/clock.h"
#include "scheduler/tick.h"
#include "support/manualclock.h"
#include "support/scriptedmessageboxes.h"
#include "support/tablerows.h"
#include "support/tempprogramfolder.h"

using namespace kv;

namespace {

const QString k7zz = QStringLiteral("/usr/bin/7zz");

QDateTime at(int h, int mi) {
    return naiveDateTime(QDate(2025, 12, 8), QTime(h, mi));
}

// The paths an archive holds, by `7zz l -slt`; empty while the archive cannot be read (not
// there yet, or still being written).
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

// The archiver runs on its own: poll until the archive reads back complete, with a limit.
QStringList waitForArchive(const QString& archive, const QStringList& expected) {
    QElapsedTimer t;
    t.start();
    QStringList got;
    while (t.elapsed() < 60000) {
        got = archiveEntries(archive);
        if (got == expected) {
            break;
        }
        QThread::msleep(50);
    }
    return got;
}

}  // namespace

class TestRealArchiver : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void tickRunsSevenZipOnTheListFile();
};

void TestRealArchiver::tickRunsSevenZipOnTheListFile() {
    QVERIFY2(QFileInfo(k7zz).isExecutable(), "7-Zip (Debian package 7zip) is needed");
    test::TempProgramFolder folder;
    test::ScriptedMessageBoxes boxes;
    test::ManualClock clock(at(14, 5));

    // The objects: a file, a folder with a sub-folder, and a file in a Cyrillic folder.
    const QString data = folder.path() + "data/";
    folder.write("data/one.txt", "one");
    folder.write("data/folder/a.txt", "a");
    folder.write("data/folder/sub/b.txt", "b");
    folder.write("data/Папка/файл.txt", "ж");
    QDir().mkpath(folder.file("out"));
    // The list file as the editor writes it: UTF-8, CR LF after every line.
    folder.write(
        "Lists/4711.txt",
        (data + "one.txt\r\n" + data + "folder\r\n" + data + "Папка/файл.txt\r\n").toUtf8());

    Table::create(kTasksFile, tasksLayout());
    AppState state;
    state.startingUp = false;
    state.table1.open();
    test::appendRow(state.table1, {{"Flag", true},
                                   {"Name", "docs"},
                                   {"VidNameArh", 1},
                                   {"Bak", true},
                                   {"Path2", folder.path() + "out/"},
                                   {"NameArh", "backup.7z"},
                                   {"NameArhivator1", k7zz + " a -spf"},
                                   {"VidPeriod", 3},
                                   {"DayTime", naiveDateTime(QDate(1899, 12, 30), QTime(14, 0))},
                                   {"SledTime", at(14, 0)},
                                   {"List", "Lists/4711.txt"}});

    // With -spf 7-Zip keeps the full paths.
    const QString& root = data;
    const QStringList expected =
        QStringList{root + "one.txt",    root + "folder",           root + "folder/a.txt",
                    root + "folder/sub", root + "folder/sub/b.txt", root + "Папка/файл.txt"};
    QStringList sorted = expected;
    sorted.sort();

    QElapsedTimer elapsed;
    elapsed.start();
    Timer1Timer(state);
    const qint64 tickMs = elapsed.elapsed();
    qInfo("tick with one run of the real archiver: %lld ms", tickMs);
    QVERIFY2(tickMs < 1000, "the archiver must start within a second of the tick");
    QVERIFY(boxes.shown.isEmpty());

    const QString archive = folder.file("out/backup 08_12_2025.7z");
    QCOMPARE(waitForArchive(archive, sorted), sorted);
    state.table1.first();
    QCOMPARE(state.table1.asDateTime("WorkTime"), at(14, 5));
    QCOMPARE(state.table1.asDateTime("SledTime"), naiveDateTime(QDate(2025, 12, 9), QTime(14, 0)));

    // A second run the same day: the first archive becomes the backup copy.
    clock.setNow(at(14, 30));
    state.table1.edit();
    state.table1.setDateTime("SledTime", at(14, 20));
    state.table1.post();
    folder.write("data/two.txt", "two");
    folder.write("Lists/4711.txt", (data + "two.txt\r\n").toUtf8());
    Timer1Timer(state);
    QCOMPARE(waitForArchive(archive, {root + "two.txt"}), QStringList{root + "two.txt"});
    QCOMPARE(archiveEntries(folder.file("out/backup 08_12_2025.BAK")), sorted);
    QVERIFY(boxes.shown.isEmpty());
}

QTEST_GUILESS_MAIN(TestRealArchiver)
#include "tst_realarchiver.moc"
