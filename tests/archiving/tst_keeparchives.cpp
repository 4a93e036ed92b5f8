#include <sys/mount.h>
#include <unistd.h>
#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QScopeGuard>
#include <QTest>

#include "archiving/runfollower.h"
#include "archiving/runhistory.h"
#include "archiving/runsinprogress.h"
#include "archiving/runtask.h"
#include "archiving/runtexts.h"
#include "platform/clock.h"
#include "store/layouts.h"
#include "store/table.h"
#include "store/taskextras.h"
#include "support/manualclock.h"
#include "support/recordingobserver.h"
#include "support/sevenzip.h"
#include "support/tablefolder.h"

using namespace kv;
using test::archiveEntries;
using test::k7zz;

namespace {

QDateTime on(int day, int hour, int minute = 0) {
    return naiveDateTime(QDate(2025, 12, day), QTime(hour, minute));
}

// One task "docs" that archives data/a.txt into out/docs<date>.7z with the archiver `program`
// (7-Zip unless a test gives another), and its runs through RunTask under a fake clock.
struct Task {
    test::TableFolder folder;
    test::ManualClock clock{on(8, 14, 5)};
    test::RecordingObserver observer;

    explicit Task(int vidNameArh, bool keepBackup = false, const QString& program = k7zz) {
        folder.write("data/a.txt", QByteArray(20000, 'a'));
        folder.write("Lists/1.txt", (folder.file("data/a.txt") + "\r\n").toUtf8());
        QDir().mkpath(folder.file("out"));
        folder.addRow(kTasksFile, {{TaskField::Name, "docs"},
                                   {TaskField::NameArh, "docs.7z"},
                                   {TaskField::Path2, "out/"},
                                   {TaskField::VidNameArh, vidNameArh},
                                   {TaskField::Bak, keepBackup},
                                   {TaskField::NameArhivator1, program + " a"},
                                   {TaskField::List, "Lists/1.txt"}});
    }

    void keep(KeepRule rule, int value) {
        Table::create(kTaskExtrasFile, taskExtrasLayout());
        folder.addRow(kTaskExtrasFile, {{TaskExtraField::Name, "docs"},
                                        {TaskExtraField::Keep, int(rule)},
                                        {TaskExtraField::KeepCount, value},
                                        {TaskExtraField::KeepDays, value}});
    }

    // A shell script `name` in the folder that runs 7-Zip, then does `after` (its archive is
    // the argument that ends with .7z).
    QString wrapper(const QString& name, const QByteArray& after = {}) {
        folder.write(
            "bin/" + name,
            "#!/bin/sh\n" + k7zz.toUtf8() +
                " \"$@\"\nstatus=$?\nfor arg; do case \"$arg\" in *.7z) archive=\"$arg\";; "
                "esac; done\n" +
                after + "\nexit $status\n");
        QFile::setPermissions(folder.file("bin/" + name), QFile::ReadOwner | QFile::ExeOwner);
        return folder.file("bin/" + name);
    }

    // Starts the task at `when`.
    void startAt(const QDateTime& when) {
        clock.setNow(when);
        Table tasks(kTasksFile);
        tasks.open();
        const MainWindowTexts texts = mainWindowTexts();
        RunTask(tasks, {texts}, false);
    }
    // The same, and waits for its archiver and its test to end.
    void runAt(const QDateTime& when) {
        startAt(when);
        QTRY_COMPARE_WITH_TIMEOUT(programsRunning(), 0, 60000);
    }

    QStringList archives() const {
        return QDir(folder.file("out")).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    }

    // The fields of runs.log's lines of kind `kind`.
    QList<QStringList> logged(const QString& kind) const {
        QList<QStringList> lines;
        for (const QString& line : QString::fromUtf8(folder.read("runs.log")).split(u'\n')) {
            const QStringList fields = line.split(u'\t');
            if (fields.size() > 2 && fields[2] == kind) {
                lines << fields;
            }
        }
        return lines;
    }
};

}  // namespace

class TestKeepArchives : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() {
        QVERIFY2(QFileInfo(k7zz).isExecutable(), "7-Zip (Debian package 7zip) is needed");
    }

    // A new archive takes its place only after 7-Zip's own test has passed on it; one that reads
    // back wrong (bytes flipped after 7-Zip ended) fails the run and is set aside, and the
    // archive and its .BAK copy stay. Archivers without a known test are logged as not tested.
    void onlyATestedArchiveIsConfirmed() {
        Task task(0, true);
        task.runAt(on(8, 10));
        task.runAt(on(8, 11));
        const QList<QStringList> good = task.logged("backup");
        QCOMPARE(good.size(), 2);
        QCOMPARE(good[1].mid(7, 4), (QStringList{"ok", "-", "-", "exit 0"}));
        QVERIFY(good[1][11].toLongLong() >= 0);
        const QByteArray archive = task.folder.read("out/docs.7z");
        const QByteArray backup = task.folder.read("out/docs.BAK");
        QCOMPARE(archiveEntries(task.folder.file("out/docs.BAK")), QStringList{"a.txt"});

        const QString corrupting = task.wrapper(
            "7zz",
            "[ \"$1\" = a ] && printf 'XXXX' | dd of=\"$archive\" bs=1 seek=40 count=4 "
            "conv=notrunc 2>/dev/null");
        Table tasks(kTasksFile);
        tasks.open();
        tasks.edit();
        tasks.setString(TaskField::NameArhivator1, corrupting + " a");
        tasks.post();
        task.runAt(on(8, 12));
        const QStringList failed = task.logged("backup").last();
        QCOMPARE(failed.mid(7, 4), (QStringList{"failed", "test-failed", "-", "exit 2"}));
        QVERIFY(task.folder.read("runs.log").contains("\n    | ERROR"));  // what the test found
        QCOMPARE(task.folder.read("out/docs.7z"), archive);
        QCOMPARE(task.folder.read("out/docs.BAK"), backup);
        QVERIFY(QFile::exists(task.folder.file("out/docs.unconfirmed.7z")));
        const MainWindowTexts& t = task.observer.texts;
        QCOMPARE(task.observer.told.last(),
                 t.text(Form1Text::cm10) + " | " +
                     t.text(Form1Text::cm12)
                         .arg("docs", t.text(Form1Text::cm90).arg(2) + ' ' +
                                          t.text(Form1Text::cm32)
                                              .arg(task.folder.file("out/docs.unconfirmed.7z"))));

        tasks.edit();
        tasks.setString(TaskField::NameArhivator1, task.wrapper("pack") + " a");
        tasks.post();
        task.runAt(on(8, 13));
        QCOMPARE(task.logged("backup").last().mid(7, 5),
                 (QStringList{"ok", "-", "-", "not tested", "-"}));
    }

    // The run holds its archive path, marked as testing, until its test has ended; a test that
    // cannot start confirms nothing.
    void theTestHoldsTheArchivePath() {
        Task task(0);
        int launches = 0;
        ScopedWinExecHook hook([&](const QString&, int) {
            return ++launches == 4 ? WinExecResult::FileNotFound : WinExecResult::Started;
        });
        const QString archive = task.folder.file("out/docs.7z");
        for (int run = 0; run < 2; ++run) {
            task.startAt(on(8, 10 + run));
            task.folder.write("out/.docs.partial.7z", "new");
            hook.endLaunch(ProgramEnd{});
            if (run == 0) {
                QCOMPARE(runsInProgress().size(), 1);
                QVERIFY(runsInProgress()[0].stage == RunStage::Testing);
                QVERIFY(!QFile::exists(archive));
                hook.endLaunch(ProgramEnd{});
                QCOMPARE(task.folder.read("out/docs.7z"), QByteArray("new"));
            }
        }
        QVERIFY(runsInProgress().isEmpty());
        QCOMPARE(task.logged("backup").last().mid(7, 4),
                 (QStringList{"failed", "test-failed", "-", "not started"}));
        QCOMPARE(task.observer.told.size(), 1);
    }

    // Keep the newest 3: after five runs three dated archives are left, the newest; nothing that
    // the task's date pattern did not make is ever touched.
    void keepsTheNewestThree() {
        Task task(2);
        task.keep(KeepRule::Newest, 3);
        const QStringList foreign = {"docs 08_12_2025 14-05.7z.txt",
                                     "docs-old 01_01_2020 10-00.7z",
                                     "docs 01_01_2020.7z",
                                     "docs 31_02_2020 10-00.7z",
                                     "Docs 01_01_2020 10-00.7z",
                                     "docs 01_01_2020 10-00.BAK",
                                     "docs 01_01_2020 10-00.unconfirmed.7z"};
        for (const QString& name : foreign) {
            task.folder.write("out/" + name, "foreign");
        }
        QDir().mkpath(task.folder.file("out/docs 01_01_2019 10-00.7z"));
        for (int minute = 0; minute < 5; ++minute) {
            task.runAt(on(8, 10, minute));
        }
        QStringList expected = foreign;
        expected << "docs 08_12_2025 10-02.7z"
                 << "docs 08_12_2025 10-03.7z"
                 << "docs 08_12_2025 10-04.7z";
        expected.sort();
        QCOMPARE(task.archives(), expected);
        const QList<QStringList> pruned = task.logged("prune");
        QCOMPARE(pruned.size(), 2);
        QCOMPARE(pruned[0].mid(3),
                 (QStringList{"docs", task.folder.file("out/docs 08_12_2025 10-00.7z"), "deleted",
                              "-"}));
    }

    // Keep what is younger than 2 days: a date alone stands for the end of its day. A run that
    // fails prunes nothing.
    void keepsWhatIsYoungerThanTwoDays() {
        Task task(1);
        task.keep(KeepRule::YoungerThan, 2);
        for (int day = 1; day <= 3; ++day) {
            task.runAt(on(day, 12));
        }
        task.runAt(on(4, 9));
        const QStringList kept = {"docs 02_12_2025.7z", "docs 03_12_2025.7z", "docs 04_12_2025.7z"};
        QCOMPARE(task.archives(), kept);

        task.folder.write("Lists/1.txt", (task.folder.file("data/gone") + "\r\n").toUtf8());
        task.runAt(on(7, 9));
        QCOMPARE(task.logged("backup").last()[7], QStringLiteral("failed"));
        QCOMPARE(task.archives(), kept);
    }

    // A run whose destination cannot hold its last good archive again, and a tenth more, does
    // not start; a task without an earlier archive always does.
    void noRunStartsIntoAFullDisk() {
        Task task(0);
        const QByteArray out = QFile::encodeName(task.folder.file("out"));
        if (::geteuid() != 0 || ::mount("tmpfs", out.constData(), "tmpfs", 0, "size=1m") != 0) {
            QSKIP("the free-space check needs a small tmpfs, which only root can mount");
        }
        auto unmount = qScopeGuard([&] { ::umount2(out.constData(), MNT_DETACH); });
        QByteArray noise(600 * 1024, Qt::Uninitialized);
        QRandomGenerator(7).fillRange(reinterpret_cast<quint32*>(noise.data()), noise.size() / 4);
        task.folder.write("data/a.txt", noise);
        task.runAt(on(8, 10));
        QCOMPARE(task.archives(), QStringList{"docs.7z"});
        const qint64 size = QFileInfo(task.folder.file("out/docs.7z")).size();

        task.runAt(on(8, 11));
        QCOMPARE(task.archives(), QStringList{"docs.7z"});
        const QStringList refused = task.logged("backup").last();
        QCOMPARE(refused.mid(5, 4), (QStringList{"-", "-", "failed", "no-space"}));
        const qint64 free = *freeSpaceAt(task.folder.file("out/"));
        QCOMPARE(refused[9], noSpaceDetail(free, size + (size + 9) / 10));
        const MainWindowTexts& t = task.observer.texts;
        QCOMPARE(task.observer.told.last(),
                 t.text(Form1Text::cm94) + " | " +
                     t.text(Form1Text::cm12)
                         .arg("docs", t.text(Form1Text::cm93)
                                          .arg(scaledSizeText(free, t),
                                               scaledSizeText(size + (size + 9) / 10, t))));
        Table tasks(kTasksFile);
        tasks.open();
        QCOMPARE(tasks.asDateTime(TaskField::WorkTime), on(8, 10));
    }
};

QTEST_GUILESS_MAIN(TestKeepArchives)
#include "tst_keeparchives.moc"
