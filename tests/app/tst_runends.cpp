// What the ends of the main window's runs do, with the real 7-Zip: the archive, runs.log, the
// failure notices and the power-off. Notifications and logind are fakes on a private bus.
#include <QFileInfo>
#include <QPushButton>
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

    explicit Fixture(const QStringList& names, const QString& switches = {}) {
        folder.write("data/a.txt", "a");
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
