// The lock that keeps the computer from suspending while runs are in progress, taken from and
// handed back to a fake logind on a private bus.
#include <QCoreApplication>
#include <QFileInfo>
#include <QTest>
#include <memory>

#include "archiving/keepawake.h"
#include "archiving/runsinprogress.h"
#include "archiving/runtask.h"
#include "support/fakedbus.h"
#include "support/launchrecorder.h"
#include "support/scriptedmessageboxes.h"
#include "support/tablefolder.h"

using namespace kv;

class TestKeepAwake : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() {
        bus_ = std::make_unique<test::PrivateBus>();
        QVERIFY2(!bus_->address().isEmpty(), "dbus-daemon (Debian package dbus-daemon) is needed");
        bus_->standInForSessionAndSystemBus();
    }

    // Held from the first launch to the last run's end, its reason naming the tasks that run;
    // a launch that fails asks nothing of logind.
    void heldWhileRunsAreInProgress() {
        test::FakeLogind logind(bus_->address());
        QVERIFY(logind.registered());
        test::TableFolder folder;
        test::ScriptedMessageBoxes boxes;
        test::LaunchRecorder launches;
        const MainWindowTexts texts = mainWindowTexts();
        KeepAwakeDuringRuns keepAwake(&texts);
        Table tasks(kTasksFile);
        tasks.open();
        for (const QString name : {"mail", "docs"}) {
            test::appendRow(tasks, {{TaskField::Name, name},
                                    {TaskField::NameArh, name + ".7z"},
                                    {TaskField::NameArhivator1, "/opt/pack a"},
                                    {TaskField::List, "Lists/1.txt"}});
        }
        const auto runAll = [&] {
            for (tasks.first(); !tasks.eof(); tasks.next()) {
                RunTask(tasks, {texts}, false);
            }
        };

        launches.result = WinExecResult::FileNotFound;
        runAll();
        QTest::qWait(50);
        QVERIFY(logind.locks.isEmpty());
        launches.result = WinExecResult::Started;
        runAll();
        QTRY_COMPARE(logind.locks.size(), 1);
        const test::FakeLogind::Lock& first = logind.locks[0];
        QCOMPARE(first.what, QStringLiteral("sleep:idle"));
        QCOMPARE(first.mode, QStringLiteral("block"));
        QCOMPARE(first.who, QCoreApplication::applicationName());
        QCOMPARE(first.why, KeepAwakeDuringRuns::reason({"docs", "mail"}, texts));
        QVERIFY(logind.held(0));

        // One run ends: a lock for the other takes the place of the first. A restore is a run
        // in progress as well.
        launches.hook().endLaunch({});
        QTRY_COMPARE(logind.locks.size(), 2);
        QCOMPARE(logind.locks[1].why, KeepAwakeDuringRuns::reason({"docs"}, texts));
        QTRY_VERIFY(!logind.held(0));
        QVERIFY(logind.held(1));
        RunClaim restore = countRestoreRun(folder.file("docs.7z"), "docs");
        launches.hook().endLaunch({});
        QTest::qWait(50);
        QVERIFY(logind.held(1));
        restore.reset();
        QTRY_VERIFY(!logind.held(1));
        QCOMPARE(logind.locks.size(), 2);
    }

private:
    std::unique_ptr<test::PrivateBus> bus_;
};

QTEST_MAIN(TestKeepAwake)
#include "tst_keepawake.moc"
