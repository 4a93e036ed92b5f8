#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTest>
#include <memory>

#include "archiving/runtask.h"
#include "language/mainwindowtexts.h"
#include "platform/clock.h"
#include "scheduler/scheduler.h"
#include "store/checkmarks.h"
#include "store/layouts.h"
#include "store/table.h"
#include "support/manualclock.h"
#include "support/scriptedmessageboxes.h"
#include "support/sevenzip.h"
#include "support/tablefolder.h"

using namespace kv;
using kv::test::archiveEntries;
using kv::test::k7zz;
using kv::test::waitForArchive;

namespace {

QDateTime at(int h, int mi) {
    return naiveDateTime(QDate(2025, 12, 8), QTime(h, mi));
}

}  // namespace

class TestRealArchiver : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void tickRunsSevenZipOnTheListFile();
};

void TestRealArchiver::tickRunsSevenZipOnTheListFile() {
    QVERIFY2(QFileInfo(k7zz).isExecutable(), "7-Zip (Debian package 7zip) is needed");
    test::TableFolder folder;
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

    Table tasks(kTasksFile);
    CheckMarks marks;
    const MainWindowTexts texts = mainWindowTexts();
    Scheduler scheduler(tasks, marks, texts, [&](bool recompute) {
        RunTask(tasks, {texts, scheduler.startingUp(), scheduler.paused()}, recompute);
    });
    scheduler.setStartingUp(false);
    tasks.open();
    test::appendRow(tasks, {{TaskField::Flag, true},
                            {TaskField::Name, "docs"},
                            {TaskField::VidNameArh, 1},
                            {TaskField::Bak, true},
                            {TaskField::Path2, folder.path() + "out/"},
                            {TaskField::NameArh, "backup.7z"},
                            {TaskField::NameArhivator1, k7zz + " a -spf"},
                            {TaskField::VidPeriod, 3},
                            {TaskField::DayTime, naiveDateTime(QDate(1899, 12, 30), QTime(14, 0))},
                            {TaskField::SledTime, at(14, 0)},
                            {TaskField::List, "Lists/4711.txt"}});

    // With -spf 7-Zip keeps the full paths.
    const QString& root = data;
    const QStringList expected =
        QStringList{root + "one.txt",    root + "folder",           root + "folder/a.txt",
                    root + "folder/sub", root + "folder/sub/b.txt", root + "Папка/файл.txt"};
    QStringList sorted = expected;
    sorted.sort();

    QElapsedTimer elapsed;
    elapsed.start();
    scheduler.tick();
    const qint64 tickMs = elapsed.elapsed();
    qInfo("tick with one run of the real archiver: %lld ms", tickMs);
    QVERIFY2(tickMs < 1000, "the archiver must start within a second of the tick");
    QVERIFY(boxes.shown.isEmpty());

    const QString archive = folder.file("out/backup 08_12_2025.7z");
    QCOMPARE(waitForArchive(archive, sorted), sorted);
    tasks.first();
    QCOMPARE(tasks.asDateTime(TaskField::WorkTime), at(14, 5));
    QCOMPARE(tasks.asDateTime(TaskField::SledTime),
             naiveDateTime(QDate(2025, 12, 9), QTime(14, 0)));

    // A second run the same day: the first archive becomes the backup copy.
    clock.setNow(at(14, 30));
    tasks.edit();
    tasks.setDateTime(TaskField::SledTime, at(14, 20));
    tasks.post();
    folder.write("data/two.txt", "two");
    folder.write("Lists/4711.txt", (data + "two.txt\r\n").toUtf8());
    scheduler.tick();
    QCOMPARE(waitForArchive(archive, {root + "two.txt"}), QStringList{root + "two.txt"});
    QCOMPARE(archiveEntries(folder.file("out/backup 08_12_2025.BAK")), sorted);
    QVERIFY(boxes.shown.isEmpty());
}

QTEST_GUILESS_MAIN(TestRealArchiver)
#include "tst_realarchiver.moc"
