#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QSystemTrayIcon>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <optional>

#include "app/startup.h"
#include "app/tform1.h"
#include "mainwindowfixture.h"
#include "platform/clock.h"
#include "platform/datetimetext.h"
#include "store/layouts.h"
#include "store/tasktable.h"
#include "widgets/dbgrid.h"
#include "widgets/messageboxes.h"

using namespace kv;

namespace {

// The tables with one task per name; Flag from `flags`.
void makeTasks(const test::TableFolder& folder, const QStringList& names,
               const QList<bool>& flags) {
    folder.makeTables();
    for (int i = 0; i < names.size(); ++i) {
        folder.addRow(
            kTasksFile,
            {{TaskField::Name, names[i]}, {TaskField::Flag, flags[i]}, {TaskField::VidPeriod, 0}});
    }
}

QList<bool> storedFlags() {
    Table t(kTasksFile);
    t.open();
    QList<bool> out;
    for (t.first(); !t.eof(); t.next()) {
        out << t.asBool(TaskField::Flag);
        if (t.recNo() == t.recordCount() - 1) {
            break;
        }
    }
    return out;
}

// Closes the next modal window (a real message box or dialog) once it has the focus, as the
// user would: a box with its first button.
void closeWhenActive() {
    auto* poll = new QTimer;
    QObject::connect(poll, &QTimer::timeout, poll, [poll] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal && QApplication::activeWindow() == modal) {
            poll->deleteLater();
            if (auto* box = qobject_cast<QMessageBox*>(modal)) {
                box->buttons().constFirst()->click();
            } else {
                static_cast<QDialog*>(modal)->accept();
            }
        }
    });
    poll->start(5);
}

struct Fixture : test::MainWindowFixture {
    Fixture() : MainWindowFixture(naiveDateTime(QDate(2025, 12, 8), QTime(9, 0, 5))) {}
    std::unique_ptr<TForm1> form() { return makeForm(); }
};

}  // namespace

class TestMainWindow : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void captionsAndHintsAreExact() {
        Fixture fx;
        auto form = fx.form();
        QCOMPARE(form->windowTitle(), QStringLiteral("Кельвотрин"));
        struct Expect {
            const char* name;
            QString caption;
            QString hint;
        };
        const QList<Expect> expected = {
            {"Label1", QStringLiteral("Список задач"),
             QStringLiteral("Ваши задачи архивации и время их выполнения")},
            {"Label4", QStringLiteral("Выполнение задач приостановлено!"),
             QStringLiteral("Ни одна задача не запустится по расписанию, пока выполнение не "
                            "возобновлено")},
            {"Label3", QStringLiteral("Текущее время"), QStringLiteral("Время этого компьютера")},
            {"Editt5", QStringLiteral("Приостановить выполнение всех задач архивации"),
             QStringLiteral("Пока флажок стоит, ни одна задача не запускается по расписанию")},
            {"BitBtn1", QStringLiteral("Добавить        "),
             QStringLiteral("Добавить новую задачу в список")},
            {"BitBtn6", QStringLiteral("Изменить       "),
             QStringLiteral("Изменить выбранную в списке задачу")},
            {"BitBtn2", QStringLiteral("Удалить           "),
             QStringLiteral("Удалить выбранную задачу из списка")},
            {"BitBtn3", QStringLiteral("Восстановить\r\n данные  "),
             QStringLiteral("Восстановить данные из архива выбранной задачи")},
            {"BitBtn12", QStringLiteral("Журнал выполнения"),
             QStringLiteral("Показать, когда и с каким результатом выполнялись задачи")},
            {"Label2", QStringLiteral("Выполнить задачи"),
             QStringLiteral("Запустить архивацию сейчас, не дожидаясь её времени")},
            {"BitBtn5", QStringLiteral("выделенную  "),
             QStringLiteral("Выполнить выбранную в списке задачу")},
            {"BitBtn11", QStringLiteral("выделенную\r\nи выключить\r\nкомпьютер"),
             QStringLiteral("Выполнить выбранную в списке задачу и выключить компьютер")},
            {"BitBtn4", QStringLiteral("все                      "),
             QStringLiteral("Выполнить все задачи в списке")},
            {"BitBtn7", QStringLiteral("отмеченные   "),
             QStringLiteral("Выполнить задачи, отмеченные в списке ")},
            {"BitBtn8", QStringLiteral("Список настроек архиваторов"),
             QStringLiteral("Настроить архиваторы, которыми пользуются задачи")},
            {"BitBtn9", QStringLiteral("  Выйти из программы"),
             QStringLiteral(
                 "Закрыть программу: задачи не выполняются, пока она не запущена снова")},
            {"Button2", QStringLiteral("О программе"),
             QStringLiteral("Версия программы и её папка")},
            {"BitBtn10", QStringLiteral("Помощь"),
             QStringLiteral("Открыть руководство пользователя")},
            {"CheckBox2", QStringLiteral("Автозапуск программы"),
             QStringLiteral(
                 "Запускать программу в области уведомлений при каждом входе в систему")},
            {"Button10", QStringLiteral("Создать ярлык на рабочем столе"),
             QStringLiteral("Поместить значок запуска программы на рабочий стол")},
        };
        for (const Expect& e : expected) {
            QWidget* w = form->findChild<QWidget*>(QString::fromLatin1(e.name));
            QVERIFY2(w, e.name);
            QString caption;
            if (auto* l = qobject_cast<QLabel*>(w)) {
                caption = l->text();
            } else if (auto* b = qobject_cast<QAbstractButton*>(w)) {
                caption = b->text();
            }
            QCOMPARE(caption, e.caption);
            QCOMPARE(w->toolTip(), e.hint);
        }
        QCOMPARE(form->ui.DBGrid1->toolTip(), QStringLiteral("Список задач архивации"));
        QCOMPARE(form->ui.ComboBox1->toolTip(), QStringLiteral("Language"));
        QVERIFY(form->ui.Label4->isHidden());
        QCOMPARE(form->ui.N1->text(), QStringLiteral("Развернуть"));
        QCOMPARE(form->ui.N2->text(), QStringLiteral("Приостановить"));
        QCOMPARE(form->ui.N3->text(), QStringLiteral("Выход"));
        const QStringList titles = {QString(),
                                    QStringLiteral("Задача"),
                                    QStringLiteral("Время следующей задачи"),
                                    QStringLiteral("Время последнего выполнения"),
                                    QStringLiteral("Описание"),
                                    QStringLiteral("Результат")};
        QCOMPARE(form->ui.DBGrid1->columnCount(), titles.size());
        for (int i = 0; i < titles.size(); ++i) {
            QCOMPARE(form->ui.DBGrid1->columnTitle(i), titles[i]);
        }
    }

    void checkMarksMirrorFlagAndGoBackOnExit() {
        Fixture fx;
        makeTasks(fx.folder, {QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")},
                  {true, false, true});
        auto form = fx.form();
        form->showAtStart();
        QVERIFY(form->ui.DBGrid1->checkColumnVisible());
        QCOMPARE(fx.tables.marks.size(), 3);
        QVERIFY(fx.tables.marks.at(0) && !fx.tables.marks.at(1) && fx.tables.marks.at(2));
        QCOMPARE(form->ui.DBGrid1->cellText(1, 1), QStringLiteral("b"));
        QCOMPARE(fx.tables.tasks.recNo(), 0);

        // The user changes marks; Esc ends the program; destruction writes them into Flag.
        QApplication::setActiveWindow(form.get());
        fx.tables.marks.set(1, true);
        form->DBGrid1CellClick(2, 1);  // outside the check column: no task changes
        QCOMPARE(storedFlags(), (QList<bool>{true, false, true}));
        QCOMPARE(form->scheduler().tickTimerInterval(), 0);
        fx.tables.marks.set(2, false);
        QTest::keyClick(form.get(), Qt::Key_Escape);
        QCOMPARE(fx.terminated, 1);
        form.reset();
        QCOMPARE(storedFlags(), (QList<bool>{true, true, false}));
    }

    void activationFromADialogRefreshesTheMarks() {
        Fixture fx;
        makeTasks(fx.folder, {QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")},
                  {true, false, true});
        auto form = fx.form();
        form->showAtStart();
        QApplication::setActiveWindow(form.get());
        fx.tables.tasks.moveTo(2);
        fx.tables.marks.set(1, true);

        // Back from another application: nothing changes.
        QApplication::setActiveWindow(nullptr);
        QApplication::setActiveWindow(form.get());
        QCOMPARE(fx.tables.tasks.recNo(), 2);
        QVERIFY(fx.tables.marks.at(1));

        // Back from a dialog of the program: the marks are read from Flag again and the
        // first task is current.
        QDialog dialog(form.get());
        dialog.show();
        QApplication::setActiveWindow(&dialog);
        dialog.close();
        QApplication::setActiveWindow(form.get());
        QCOMPARE(fx.tables.tasks.recNo(), 0);
        QVERIFY(!fx.tables.marks.at(1));
    }

    // A closed message box changes nothing the list shows: the handler that opened it keeps its
    // task. A closed dialog's activation comes at once, before the code that opened it goes on,
    // and nothing moves the list afterwards.
    void closedBoxOrDialogLeavesTheListWhereTheHandlerPutIt() {
        Fixture fx;
        makeTasks(fx.folder, {QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")},
                  {true, true, true});
        auto form = fx.form();
        form->showAtStart();
        QApplication::setActiveWindow(form.get());
        QtMessageBoxService realBoxes;
        std::optional<ScopedMessageBoxService> showRealBoxes(std::in_place, realBoxes);
        auto activatedByTheWindowManager = [&] {
            QApplication::setActiveWindow(form.get());
            QCoreApplication::processEvents();
        };

        // The task has no archiver: its run shows the launch-error box.
        fx.tables.tasks.moveTo(2);
        closeWhenActive();
        form->ui.BitBtn5->click();
        activatedByTheWindowManager();
        QCOMPARE(currentTaskName(fx.tables.tasks), QStringLiteral("c"));

        closeWhenActive();
        QDialog dialog(form.get());
        dialog.exec();
        QCOMPARE(fx.tables.tasks.recNo(), 0);
        fx.tables.tasks.moveTo(2);
        activatedByTheWindowManager();
        QCOMPARE(fx.tables.tasks.recNo(), 2);
        showRealBoxes.reset();
    }

    // A walk over the task table moves the list once, to where the walk ends, not row by row.
    void walksMoveTheListOnce() {
        Fixture fx;
        makeTasks(fx.folder, {QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")},
                  {true, false, true});
        auto form = fx.form();
        form->showAtStart();
        fx.tables.tasks.moveTo(2);
        QSignalSpy moves(form->ui.DBGrid1->selectionModel(),
                         &QItemSelectionModel::currentRowChanged);
        TableToGrid(fx.tables.tasks, fx.tables.marks);
        rereadTasks(fx.tables.tasks, fx.tables.marks, QStringLiteral("c"));
        GridToTable(fx.tables.tasks, fx.tables.marks);
        QCOMPARE(moves.count(), 3);
    }

    void exitButtonEndsTheProgram() {
        Fixture fx;
        auto form = fx.form();
        form->ui.BitBtn9->click();
        QCOMPARE(fx.terminated, 1);
    }

    // The result column, read from runs.log.1 and runs.log at the start: each task's last backup
    // (a failure in red, a warning in dark yellow) with its last good one's end in the tool tip.
    // Restores and damaged lines count for nothing; a task that never ran shows nothing.
    void resultColumnFromTheRunLogs() {
        Fixture fx;
        makeTasks(fx.folder, {"docs", "mail", "new", "tmp"}, {true, true, true, true});
        fx.folder.write("runs.log.1",
                        "2025-12-01 09:00:00\t2025-12-01 09:02:00\tbackup\tdocs\t/b/d.7z\texit "
                        "0\t10\tok\t-\t-\n"
                        "2025-12-01 10:00:00\t2025-12-01 10:01:00\tbackup\tmail\t/b/m.7z\texit "
                        "1\t10\twarning\tstatus\t-\n");
        fx.folder.write("runs.log",
                        "2025-12-02 09:00:00\t2025-12-02 09:01:00\tbackup\tdocs\t/b/d.7z\texit "
                        "2\t-\tfailed\tstatus\t-\n"
                        "    | ERROR\n"
                        "2025-12-03 09:00:00\t2025-12-03 09:01:00\trestore\tdocs\t/b/d.7z\texit "
                        "0\t10\tok\t-\t-\n"
                        "2025-12-04 09:00:00\t2025-13-04 09:01:00\tbackup\tdocs\t/b/d.7z\texit "
                        "0\t10\tok\t-\t-\n"
                        "garbage\n"
                        "2025-12-04 09:00:00\t2025-12-04 09:01:00\tbackup\ttmp\t/b/t.7z\texit "
                        "0\t10\tok\t-\t-\n");
        auto form = fx.form();
        const DBGrid& grid = *form->ui.DBGrid1;
        const int result = grid.columnCount() - 1;
        // Read once the window is on screen.
        form->show();
        QTRY_VERIFY(!grid.cellText(0, result).isEmpty());
        QHash<QString, DBGrid::CellLook> cells;
        for (int row = 0; row < 4; ++row) {
            cells[grid.cellText(row, 1)] = grid.cellLook(row, result);
        }
        const QString good = form->texts().text(Form1Text::cm60);
        QVERIFY(!cells["docs"].text.isEmpty() && cells["docs"].text != good);
        QCOMPARE(cells["docs"].color, QColor(Qt::red));
        QVERIFY(cells["docs"].toolTip.contains(
            dateTimeText(naiveDateTime(QDate(2025, 12, 1), QTime(9, 2)))));
        QCOMPARE(cells["mail"].color, QColor(Qt::darkYellow));
        QCOMPARE(cells["tmp"].text, good);
        QVERIFY(!cells["tmp"].color.isValid());
        QVERIFY(cells["new"].text.isEmpty());
    }

    void startUpPassStartsTheTickAndEnablesAbout() {
        Fixture fx;
        makeTasks(fx.folder, {QStringLiteral("a"), QStringLiteral("b")}, {true, true});
        auto form = fx.form();
        form->showAtStart();
        fx.tables.tasks.moveTo(1);
        form->Timer3Timer();
        QVERIFY(!form->scheduler().startingUp());
        QCOMPARE(form->scheduler().tickTimerInterval(), 1000);
        QVERIFY(form->ui.Button2->isEnabled());
        QVERIFY(!form->scheduler().startupTimer().isActive());
        QCOMPARE(currentTaskName(fx.tables.tasks), QStringLiteral("b"));
    }

    void startUpPassLeavesThePausedTickStopped() {
        Fixture fx;
        auto form = fx.form();
        form->showAtStart();
        form->ui.Editt5->setChecked(true);
        form->Timer3Timer();
        QCOMPARE(form->scheduler().tickTimerInterval(), 0);
        QVERIFY(form->ui.Label4->isVisible());
        QVERIFY(form->ui.N2->isChecked());
    }

    void clockShowsTheTime() {
        Fixture fx;
        auto form = fx.form();
        QVERIFY(form->ui.Label5->text().isEmpty());
        form->Timer2Timer();
        QCOMPARE(form->ui.Label5->text(), longTimeText(QTime(9, 0, 5)));
        QVERIFY(form->clockTimer().isActive());
        QCOMPARE(form->clockTimer().interval(), 1000);
    }

    void layoutFollowsTheWindowSize() {
        Fixture fx;
        auto form = fx.form();
        form->show();
        form->resize(form->minimumSize());
        QCoreApplication::processEvents();
        auto check = [&](QRect* gridOut) {
            const int w = form->width();
            const int h = form->height();
            const QRect grid = form->ui.DBGrid1->geometry();
            // The pause box just below the list, inside the window.
            QVERIFY(form->ui.Editt5->geometry().top() > grid.bottom());
            QVERIFY(form->ui.Editt5->geometry().top() - grid.bottom() < 20);
            QCOMPARE(w - form->ui.Button2->geometry().right(), 9);
            QCOMPARE(h - form->ui.BitBtn9->geometry().bottom(), 9);
            QCOMPARE(w - form->ui.BitBtn9->geometry().right(), 9);
            QCOMPARE(w - form->ui.BitBtn7->geometry().right(), 9);
            // No two visible controls overlap.
            QList<QWidget*> controls;
            for (QWidget* c : form->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
                if (c->isVisible() && !c->objectName().isEmpty()) {
                    controls << c;
                }
            }
            for (int i = 0; i < controls.size(); ++i) {
                QVERIFY(form->rect().contains(controls[i]->geometry()));
                for (int j = i + 1; j < controls.size(); ++j) {
                    QVERIFY2(
                        !controls[i]->geometry().intersects(controls[j]->geometry()),
                        qPrintable(controls[i]->objectName() + u' ' + controls[j]->objectName()));
                }
            }
            *gridOut = grid;
        };
        QRect small;
        check(&small);
        form->resize(form->width() + 200, form->height() + 150);
        QCoreApplication::processEvents();
        QRect large;
        check(&large);
        QCOMPARE(large.width(), small.width() + 200);
        QCOMPARE(large.height(), small.height() + 150);
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
