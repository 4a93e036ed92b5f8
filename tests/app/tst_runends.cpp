// What the ends of the main window's runs do, with the real 7-Zip: the archive, runs.log, the
// failure notices and the power-off. Notifications and logind are fakes on a private bus.
#include <QCheckBox>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QPushButton>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSystemTrayIcon>
#include <QTest>
#include <memory>

#include "app/tform1.h"
#include "archiving/poweroffcountdown.h"
#include "mainwindowfixture.h"
#include "platform/winexec.h"
#include "store/layouts.h"
#include "support/fakedbus.h"
#include "support/sevenzip.h"

using namespace kv;

namespace {

// The main window, shown, on tasks that keep no .BAK and archive data/a.txt with 7-Zip into
// out/<name>.7z, where an archive of an earlier run lies. `switches` follow the command word.
struct Fixture : test::MainWindowFixture {
    std::unique_ptr<TForm1> form;

    explicit Fixture(const QStringList& names, const QString& switches = {},
                     const QByteArray& runLog = {}) {
        folder.write("data/a.txt", "a");
        if (!runLog.isEmpty()) {
            folder.write("runs.log", runLog);
        }
        folder.write("Lists/1.txt", (folder.file("data/a.txt") + "\r\n").toUtf8());
        folder.makeTables();
        for (const QString& name : names) {
            folder.addRow(kTasksFile,
                          {{TaskField::Flag, true},
                           {TaskField::Name, name},
                           {TaskField::NameArh, name + ".7z"},
                           {TaskField::Path2, "out/"},
                           {TaskField::NameArhivator1, test::k7zz + " a" + switches},
                           {TaskField::List, "Lists/1.txt"},
                           {TaskField::VidPeriod, 3},
                           {TaskField::SledTime, naiveDateTime(QDate(2030, 1, 1), QTime(9, 0))},
                           {TaskField::Bak, false}});
            folder.write("out/" + name + ".7z", "the archive before");
        }
        form = makeForm();
        form->showAtStart();
    }
    ~Fixture() { form.reset(); }

    QString archive(const QString& name) const { return folder.file("out/" + name + ".7z"); }

    // The status and size fields of each runs.log line of the task.
    QList<QStringList> logged(const QString& task) const {
        QList<QStringList> out;
        for (const QString& line : QString::fromUtf8(folder.read("runs.log")).split(u'\n')) {
            const QStringList fields = line.split(u'\t');
            if (fields.size() >= 7 && fields[3] == task) {
                out << fields.mid(5, 2);
            }
        }
        return out;
    }
};

}  // namespace

class TestRunEnds : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() {
        QVERIFY2(QFileInfo(test::k7zz).isExecutable(), "7-Zip (Debian package 7zip) is needed");
        bus_ = std::make_unique<test::PrivateBus>();
        QVERIFY2(!bus_->address().isEmpty(), "dbus-daemon (Debian package dbus-daemon) is needed");
        bus_->standInForSessionAndSystemBus();
    }

    // Two archivers at once, each followed: an archive is replaced only once its own archiver
    // has ended and written the new one.
    void archivesChangeWhenTheirArchiversHaveEnded() {
        Fixture fx({"docs", "mail"});
        fx.form->ui.BitBtn4->click();
        QCOMPARE(programsRunning(), 2);
        QCOMPARE(fx.folder.read("out/docs.7z"), QByteArray("the archive before"));
        QTRY_COMPARE_WITH_TIMEOUT(programsRunning(), 0, 60000);
        for (const QString name : {"docs", "mail"}) {
            QCOMPARE(test::archiveEntries(fx.archive(name)), QStringList{"a.txt"});
            const QString size = QString::number(QFileInfo(fx.archive(name)).size());
            QCOMPARE(fx.logged(name), (QList<QStringList>{{"exit 0", size}}));
        }
        QVERIFY(fx.boxes.shown.isEmpty());
    }

    // A bad switch: 7-Zip ends with 7 and writes nothing. The archive stays, and the user is told:
    // by a desktop notification, or in the tray while the window is there.
    void failedRunKeepsTheBackupAndIsTold() {
        test::FakeNotifications notifications(bus_->address());
        QVERIFY(notifications.registered());
        Fixture fx({"docs"}, " -bogus");
        fx.form->ui.BitBtn5->click();
        QTRY_COMPARE_WITH_TIMEOUT(fx.logged("docs").size(), 1, 60000);
        QCOMPARE(fx.logged("docs")[0], (QStringList{"exit 7", "-"}));
        QCOMPARE(fx.folder.read("out/docs.7z"), QByteArray("the archive before"));
        QTRY_COMPARE(notifications.received.size(), 1);
        QVERIFY(notifications.received[0].text.contains("«docs»"));

        fx.form->hideToTray();
        fx.form->BitBtn5Click();
        QTRY_COMPARE_WITH_TIMEOUT(fx.logged("docs").size(), 2, 60000);
        QCOMPARE(fx.folder.read("out/docs.7z"), QByteArray("the archive before"));
        QTest::qWait(50);
        QCOMPARE(notifications.received.size(), 1);  // the tray's message instead
    }

    // While 7-Zip (-bsp1) compresses, the task's row and the tray's tooltip show its percent; at
    // its end the row shows the result.
    void runInProgressShowsItsPercent() {
        Fixture fx({"docs"}, " -bsp1 -mx5 -mmt1");
        QByteArray noise(3 * 1024 * 1024, Qt::Uninitialized);
        QRandomGenerator(7).fillRange(reinterpret_cast<quint32*>(noise.data()), noise.size() / 4);
        fx.folder.write("data/a.txt", noise);
        const QRegularExpression percent(
            "^" + QString(fx.form->texts().text(Form1Text::cm61)).replace("%1", "\\d+") + "$");
        const int result = fx.form->ui.DBGrid1->columnCount() - 1;
        fx.form->hideToTray();
        fx.form->BitBtn5Click();
        QString inList;
        bool inTray = false;
        QElapsedTimer waited;
        waited.start();
        while (programsRunning() > 0 && !inTray && waited.elapsed() < 60000) {
            QTest::qWait(20);
            fx.form->Timer2Timer();
            const QString cell = fx.form->ui.DBGrid1->cellText(0, result);
            if (percent.match(cell).hasMatch()) {
                inList = cell;
                inTray = fx.form->trayIcon()->toolTip().contains("docs: " + cell);
            }
        }
        QVERIFY2(inTray, qPrintable(inList));
        QTRY_COMPARE_WITH_TIMEOUT(fx.form->ui.DBGrid1->cellText(0, result),
                                  fx.form->texts().text(Form1Text::cm60), 60000);
    }

    // A daily task whose last good backup is three days old: from the start-up pass the tray
    // icon's tooltip names it, and one notification a day does, none while all tasks are paused.
    // A click on the notification brings the window back.
    void overdueTaskIsToldOnceADay() {
        test::FakeNotifications notifications(bus_->address());
        Fixture fx({"docs"}, {},
                   "2025-12-05 08:00:00\t2025-12-05 08:59:00\tbackup\tdocs\t/b/d.7z\texit "
                   "0\t10\tok\t-\t-\n");
        auto aMinute = [&] {
            for (int i = 0; i < 60; ++i) {
                fx.form->Timer2Timer();
            }
        };
        fx.form->hideToTray();
        fx.form->Timer3Timer();
        QCOMPARE(fx.form->overdueTasks(), QStringList{"docs"});
        QVERIFY(fx.form->trayIcon()->toolTip().contains("docs"));
        QTRY_COMPARE(notifications.received.size(), 1);
        // Clicked until the program listens, which it starts to on the service's answer.
        QTRY_VERIFY((notifications.click(1), fx.form->isVisible()));
        fx.form->hideToTray();

        aMinute();
        fx.clock.advance(24 * 3600 * 1000);
        fx.form->ui.Editt5->click();
        aMinute();
        QTest::qWait(50);
        QCOMPARE(notifications.received.size(), 1);
        QVERIFY(fx.form->trayIcon()->toolTip().contains("docs"));
        fx.form->ui.Editt5->click();
        aMinute();
        QTRY_COMPARE(notifications.received.size(), 2);
    }

    // The power-off button's run: when its archiver has ended, the countdown; when that has run
    // out, logind. Cancel stops it.
    void powerOffRunCountsDownToLogind() {
        test::FakeLogind logind(bus_->address());
        QVERIFY(logind.registered());
        Fixture fx({"docs"});
        DesktopRunObserver& ends = fx.form->runEnds();
        fx.form->ui.BitBtn11->click();
        QVERIFY(!ends.countdown());
        QTRY_VERIFY_WITH_TIMEOUT(ends.countdown(), 60000);
        QCOMPARE(test::archiveEntries(fx.archive("docs")), QStringList{"a.txt"});
        fx.clock.advance(PowerOffCountdown::kSeconds * 1000 - 1000);
        ends.countdown()->tick();
        QTest::qWait(50);
        QVERIFY(logind.powerOffCalls.isEmpty());
        fx.clock.advance(1000);
        ends.countdown()->tick();
        QTRY_COMPARE(logind.powerOffCalls, QList<bool>{true});
        QTRY_VERIFY(!ends.countdown());

        fx.form->ui.BitBtn11->click();
        QTRY_VERIFY_WITH_TIMEOUT(ends.countdown(), 60000);
        QTest::mouseClick(ends.countdown()->ui.BitBtn1, Qt::LeftButton);
        QTRY_VERIFY(!ends.countdown());
        fx.clock.advance(PowerOffCountdown::kSeconds * 1000);
        QTest::qWait(50);
        QCOMPARE(logind.powerOffCalls.size(), 1);
    }

private:
    std::unique_ptr<test::PrivateBus> bus_;
};

QTEST_MAIN(TestRunEnds)
#include "tst_runends.moc"
