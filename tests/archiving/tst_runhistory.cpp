#include <QTest>

#include "archiving/runhistory.h"
#include "archiving/runlog.h"
#include "platform/clock.h"
#include "support/tempprogramfolder.h"

using namespace kv;

namespace {

RunLogEntry entry(const QString& task, RunOutcome outcome, int code = 0, qint64 size = 100) {
    RunLogEntry e;
    e.taskName = task;
    e.archivePath = "/b/" + task + ".7z";
    e.end.code = code;
    e.end.started = naiveDateTime(QDate(2026, 12, 1), QTime(9, 0, 0));
    e.end.ended = naiveDateTime(QDate(2026, 12, 1), QTime(9, 5, 30));
    // A progress update that erases itself leaves nothing.
    e.end.outputTail = "Scanning\n  5%\b\b\b\b    \b\b\b\bERROR: cannot read\n";
    e.archiveSize = size;
    e.outcome = std::move(outcome);
    return e;
}

}  // namespace

class TestRunHistory : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // What appendRunLog writes reads back run for run, runs.log.1 before runs.log, with the
    // reason words, the archive's test and the output kept under a run that was not confirmed, as
    // a terminal shows it; prune lines are no runs. Times are the program's naive wall times, as
    // the clock gives them. A task's last good archive size is found from the end.
    void whatIsLoggedReadsBack() {
        test::TempProgramFolder folder;
        const MainWindowTexts texts = mainWindowTexts();
        appendRunLog(entry("old", {RunResult::Confirmed, RunFailure::None, {}}), texts);
        QVERIFY(QFile::rename(folder.file("runs.log"), folder.file("runs.log.1")));
        appendRunLog(entry("a", {RunResult::Failed, RunFailure::NotInPlace, "No\tspace"}, 0),
                     texts);
        appendRunLog(entry("a", {RunResult::Warning, RunFailure::Status, {}}, 1), texts);
        appendPruneLog({{QDateTime(QDate(2026, 12, 1), QTime(9, 6)), "a", "/b/a 1.7z", {}}}, texts);
        RunLogEntry tested = entry("a", {RunResult::Failed, RunFailure::TestFailed, {}});
        tested.test = {ArchiveTest::State::Ended, false, 2, 1234};
        appendRunLog(tested, texts);
        RunLogEntry refused =
            entry("a", {RunResult::Failed, RunFailure::NoSpace, noSpaceDetail(5, 110)});
        refused.archiverStarted = false;
        appendRunLog(refused, texts);
        appendRunLog(entry("b", {RunResult::Confirmed, RunFailure::None, {}}, 0, 7), texts);

        QCOMPARE(lastGoodArchiveSize("old"), 100);
        QCOMPARE(lastGoodArchiveSize("b"), 7);
        QCOMPARE(lastGoodArchiveSize("a"), std::nullopt);
        const QList<RunRecord> runs = readRunHistory();
        QCOMPARE(runs.size(), 6);
        QCOMPARE(runs[3].test, tested.test);
        QVERIFY(!runs[4].archiverStarted);
        QCOMPARE(noSpaceFromDetail(runs[4].outcome.detail), (std::pair<qint64, qint64>(5, 110)));
        QCOMPARE(runs[5].test.state, ArchiveTest::State::None);
        QCOMPARE(runs[0].taskName, QString("old"));
        QCOMPARE(runs[0].outcome.result, RunResult::Confirmed);
        QVERIFY(runs[0].output.isEmpty());
        QCOMPARE(runs[1].outcome.failure, RunFailure::NotInPlace);
        QCOMPARE(runs[1].outcome.detail, QString("No space"));
        QCOMPARE(runs[1].output, QStringList({"Scanning", "ERROR: cannot read"}));
        QCOMPARE(runs[2].outcome.result, RunResult::Warning);
        QCOMPARE(runs[2].status, 1);
        QCOMPARE(runs[2].archiveSize, 100);
        QCOMPARE(runs[2].ended.toString(Qt::ISODate),
                 naiveDateTime(QDate(2026, 12, 1), QTime(9, 5, 30)).toString(Qt::ISODate));
    }

    // Lines of earlier versions get their result from status and size; cut, damaged and
    // unknown lines are passed over with the output under them.
    void oldAndDamagedLines() {
        const QByteArray log =
            "2026-11-01 09:00:00\t2026-11-01 09:01:00\tbackup\tt\t/b/t.7z\texit 0\t10\r\n"
            "2026-11-02 09:00:00\t2026-11-02 09:01:00\tbackup\tt\t/b/t.7z\texit 1\t10\n"
            "    | skipped\n"
            "2026-11-03 09:00:00\t2026-11-03 09:01:00\tbackup\tt\t/b/t.7z\texit 0\t-\n"
            "2026-11-04 09:00:00\t2026-11-04 09:01:00\tbackup\tt\t/b/t.7z\tsignal 9\t-\n"
            "2026-11-05 09:00:00\t2026-11-05 09:01:00\tprune\tt\t/b/t 1.7z\n"
            "    | belongs to nothing\n"
            "2026-11-06 09:00:00\t2026-13-06 09:01:00\tbackup\tt\t/b/t.7z\texit 0\t10\n"
            "2026-11-07 09:00:00\t2026-11-07 09:01:00\tbackup\tt\t/b/t.7z\texit "
            "0\t10\tok\tnonsense\t-\n"
            "\xff\xfe garbage\n"
            "2026-11-08 09:00:00\t2026-11-08 09:01:00\tbac";
        const QList<RunRecord> runs = parseRunLog(log);
        QCOMPARE(runs.size(), 4);
        QCOMPARE(runs[0].outcome.result, RunResult::Confirmed);
        QCOMPARE(runs[1].outcome.result, RunResult::Warning);
        QCOMPARE(runs[1].output, QStringList{"skipped"});
        QCOMPARE(runs[2].outcome.failure, RunFailure::NoArchive);
        QCOMPARE(runs[3].outcome.failure, RunFailure::Signal);
        QVERIFY(runs[3].output.isEmpty());
    }

    // A task's last run and its last good one; restores are no backups.
    void lastRunsByTask() {
        QList<RunRecord> runs(4);
        runs[0].taskName = runs[1].taskName = runs[2].taskName = "a";
        runs[0].outcome.result = RunResult::Confirmed;
        runs[0].archiveSize = 7;
        runs[1].outcome.result = RunResult::Failed;
        runs[2].kind = RunKind::Restore;
        runs[2].outcome.result = RunResult::Confirmed;
        runs[3].taskName = "b";
        runs[3].outcome.result = RunResult::Warning;
        const QHash<QString, TaskRuns> byTask = runsByTask(runs);
        QCOMPARE(byTask["a"].last->outcome.result, RunResult::Failed);
        QCOMPARE(byTask["a"].lastGood->archiveSize, 7);
        QVERIFY(byTask["b"].last && !byTask["b"].lastGood);
    }
};

QTEST_GUILESS_MAIN(TestRunHistory)
#include "tst_runhistory.moc"
