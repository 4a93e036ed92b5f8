#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QMenu>
#include <QSystemTrayIcon>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <memory>

#include "app/tform1.h"
#include "mainwindowfixture.h"
#include "platform/instancechannel.h"
#include "platform/trayclick.h"

using namespace kv;

namespace {

// A main window with lang.txt naming `language` and empty `dictionaries`, not shown yet.
struct Fixture : test::MainWindowFixture {
    std::unique_ptr<TForm1> form;

    explicit Fixture(QStringList args = {}, QByteArray language = "Russian\r\n",
                     const QStringList& dictionaries = {}) {
        folder.write(QStringLiteral("lang.txt"), language);
        for (const QString& dictionary : dictionaries) {
            folder.write(dictionary, QByteArray());
        }
        form = makeForm(std::move(args));
    }
    ~Fixture() { form.reset(); }
    QString tip() const { return form->trayIcon() ? form->trayIcon()->toolTip() : QString(); }
};

const QString kRunning = QStringLiteral("Кельвотрин.\nЗадачи выполняются");
const QString kStopped = QStringLiteral("Кельвотрин.\nЗадачи остановлены");

}  // namespace

class TestTray : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void closeHidesIntoTheTrayAndTheTickGoesOn() {
        Fixture fx;
        fx.form->showAtStart();
        fx.form->Timer3Timer();
        QVERIFY(fx.form->isVisible());
        QVERIFY(!fx.form->close());
        QVERIFY(!fx.form->isVisible());
        QVERIFY(fx.form->inTray());
        QCOMPARE(fx.tip(), kRunning);
        QCOMPARE(fx.terminated, 0);
        QCOMPARE(fx.form->scheduler().tickTimerInterval(), 1000);

        // A left click brings it back and takes the icon away; so does a double click.
        fx.form->trayCallback(TrayClick::Click);
        QVERIFY(fx.form->isVisible());
        QVERIFY(!fx.form->inTray());
        fx.form->hideToTray();
        fx.form->trayCallback(TrayClick::DoubleClick);
        QVERIFY(fx.form->isVisible());
        QVERIFY(!fx.form->inTray());
    }

    void minimiseHidesIntoTheTray() {
        Fixture fx;
        fx.form->showAtStart();
        fx.form->showMinimized();
        QTRY_VERIFY(fx.form->inTray());
        QVERIFY(!fx.form->isVisible());
        fx.form->N1Click();
        QVERIFY(fx.form->isVisible());
        QVERIFY(!fx.form->isMinimized());
    }

    void withoutATrayTheWindowStaysReachable() {
        Fixture fx;
        fx.tray = false;
        fx.form->showAtStart();
        QVERIFY(!fx.form->close());
        QVERIFY(fx.form->isVisible());
        QVERIFY(fx.form->isMinimized());
        QVERIFY(!fx.form->inTray());
    }

    void secondStartShowsTheWindow() {
        Fixture fx;
        fx.form->showAtStart();
        fx.form->hideToTray();
        QVERIFY(fx.form->inTray());
        QTemporaryDir runtime;
        InstanceChannel channel(QStringLiteral("TForm1"), fx.form->windowTitle(), runtime.path());
        QCOMPARE(channel.claim(), InstanceChannel::Claim::Listening);
        fx.form->listenForSecondStarts(channel);
        // The second start waits for its answer, as a separate program would.
        auto secondStart = [&] {
            InstanceChannel::Claim claim = InstanceChannel::Claim::Failed;
            std::unique_ptr<QThread> second(QThread::create([&] {
                InstanceChannel other(QStringLiteral("TForm1"), fx.form->windowTitle(),
                                      runtime.path());
                claim = other.claim();
            }));
            second->start();
            while (!second->wait(10)) {
                QCoreApplication::processEvents();
            }
            return claim;
        };
        QCOMPARE(secondStart(), InstanceChannel::Claim::HandedOver);
        QVERIFY(fx.form->isVisible());
        QVERIFY(!fx.form->inTray());
        // Harmless when the window is already shown.
        QCOMPARE(secondStart(), InstanceChannel::Claim::HandedOver);
        QVERIFY(fx.form->isVisible());
    }

    void rightClickOpensTheMenu() {
        Fixture fx;
        fx.form->showAtStart();
        fx.form->hideToTray();
        fx.form->trayCallback(TrayClick::ContextMenu);
        QTRY_VERIFY(fx.form->ui.PopupMenu1->isVisible());
        fx.form->ui.PopupMenu1->close();
        QVERIFY(fx.form->inTray());
        QVERIFY(!fx.form->isVisible());
    }

    void pauseFromTheMenuChangesTheTooltip() {
        Fixture fx;
        fx.form->showAtStart();
        fx.form->Timer3Timer();
        fx.form->hideToTray();
        fx.form->ui.N2->trigger();
        QVERIFY(fx.form->ui.Editt5->isChecked());
        QVERIFY(fx.form->ui.N2->isChecked());
        QVERIFY(fx.form->scheduler().paused());
        QCOMPARE(fx.form->scheduler().tickTimerInterval(), 0);
        QVERIFY(!fx.form->ui.Label4->isHidden());
        QCOMPARE(fx.tip(), kStopped);
        QVERIFY(fx.form->inTray());

        fx.form->ui.N2->trigger();
        QVERIFY(!fx.form->ui.Editt5->isChecked());
        QVERIFY(!fx.form->ui.N2->isChecked());
        QVERIFY(!fx.form->scheduler().paused());
        QVERIFY(fx.form->ui.Label4->isHidden());
        QCOMPARE(fx.tip(), kRunning);
        // Resuming waits for the start-up pass, 3 s later.
        QVERIFY(fx.form->scheduler().startupTimer().isActive());
    }

    void exitFromTheMenuRemovesTheIcon() {
        Fixture fx;
        fx.form->showAtStart();
        fx.form->hideToTray();
        fx.form->ui.N3->trigger();
        QVERIFY(!fx.form->inTray());
        QCOMPARE(fx.terminated, 1);
    }

    void tooltipLanguage() {
        {
            // No dictionary: Russian, even when lang.txt names English.
            Fixture fx({}, "English\r\n");
            QCOMPARE(fx.form->trayToolTip(false),
                     QStringLiteral("Кельвотрин.\r\nЗадачи выполняются"));
        }
        Fixture fx({}, "English\r\n", {"English.dic", "Russian.dic"});
        QCOMPARE(fx.form->trayToolTip(false), QStringLiteral("Kelvotrin.\r\nTasks are executed"));
        QCOMPARE(fx.form->trayToolTip(true), QStringLiteral("Kelvotrin.\r\nTasks are stopped"));
        QComboBox* languages = fx.form->ui.ComboBox1;
        languages->setCurrentIndex(languages->findText(QStringLiteral("Russian")));
        fx.form->ComboBox1Change();
        QCOMPARE(fx.form->trayToolTip(true), QStringLiteral("Кельвотрин.\r\nЗадачи остановлены"));
    }

    void startedWithRGoesStraightToTheTray() {
        Fixture fx({QStringLiteral("r")});
        fx.form->showAtStart();
        QVERIFY(!fx.form->isVisible());
        QVERIFY(fx.form->inTray());
        // Brought back, the window stays on screen at its later activations (a closed dialog).
        fx.form->restoreFromTray();
        QApplication::setActiveWindow(fx.form.get());
        QDialog dialog(fx.form.get());
        dialog.show();
        QApplication::setActiveWindow(&dialog);
        dialog.close();
        QApplication::setActiveWindow(fx.form.get());
        QCoreApplication::processEvents();
        QVERIFY(fx.form->isVisible());
        QVERIFY(!fx.form->inTray());
    }
};

QTEST_MAIN(TestTray)
#include "tst_tray.moc"
