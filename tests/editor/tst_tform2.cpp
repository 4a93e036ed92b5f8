#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDesktopServices>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTest>
#include <QTimeEdit>
#include <QTimer>
#include <memory>

#include "archiving/tform3.h"
#include "editor/tform2.h"
#include "editor/tform4.h"
#include "platform/clock.h"
#include "platform/programsearch.h"
#include "store/programtables.h"
#include "support/fileurldrops.h"
#include "support/scripteddialogs.h"
#include "support/scriptedmessageboxes.h"
#include "support/tablefolder.h"
#include "widgets/dbgrid.h"
#include "widgets/labelededit.h"
#include "widgets/radiogroup.h"

using namespace kv;

namespace {

// The four tables of a temporary program folder, open, with one configuration; and editors on
// them.
struct Fixture {
    test::TableFolder folder;
    test::ScriptedMessageBoxes boxes;
    ProgramTables tables;
    Table& tasks = tables.tasks;
    Table& objects = tables.objects;
    Table& working = tables.working;
    Table& archivers = tables.archivers;
    const MainWindowTexts mainTexts = mainWindowTexts();

    // Nothing found on the search path: the configuration list offers nothing.
    const ScopedProgramSearchPath searchPath{{}};

    Fixture() {
        Table::create(kTaskExtrasFile, taskExtrasLayout());
        for (Table* t : {&tasks, &objects, &working, &archivers, &tables.extras}) {
            t->open();
        }
        test::appendRow(archivers, {{ArchiverField::Name, "7z"},
                                    {ArchiverField::Arhstr1, "/usr/bin/7zz a"},
                                    {ArchiverField::Flag, true}});
        test::appendRow(archivers, {{ArchiverField::Name, "zip"}});
    }

    // The editor on a new task, or on the current task, shown and active.
    std::unique_ptr<TForm2> open(bool newTask) {
        auto form = std::make_unique<TForm2>(tables, mainTexts, newTask,
                                             newTask ? QString() : tasks.asString(TaskField::Name));
        form->show();
        QApplication::setActiveWindow(form.get());
        return form;
    }

    QStringList workingColumn(const Field<QString>& field) const {
        QStringList out;
        for (int i = 0; i < working.recordCount(); ++i) {
            out << working.peekString(i, working.fieldIndex(field));
        }
        return out;
    }
};

void pick(RadioGroup* group, int item) {
    QRadioButton* button = group->findChildren<QRadioButton*>().at(item);
    button->setFocus();
    button->click();
}

}  // namespace

class TestTForm2 : public QObject {
    Q_OBJECT
public Q_SLOTS:
    void openUrl(const QUrl& url) { opened << url; }

private:
    QList<QUrl> opened;

private Q_SLOTS:
    void periodAndDayRules() {
        Fixture fx;
        test::appendRow(fx.tasks, {{TaskField::Name, "m"},
                                   {TaskField::VidPeriod, 5},
                                   {TaskField::MonthDay, 31},
                                   {TaskField::LastDay, false}});
        auto form = fx.open(false);
        // Opened, the last-day box shows the stored tick.
        QVERIFY(form->ui.CheckBox2->isVisible());
        QVERIFY(!form->ui.CheckBox2->isChecked());
        QCOMPARE(form->ui.CheckBox2->text(), lastDayCaption(form->texts(), 31));
        QVERIFY(!form->modified());
        // A changed day from 29 on ticks it; below it hides it and keeps the tick.
        form->ui.SpinEdit2->stepBy(-1);
        QVERIFY(form->ui.CheckBox2->isChecked());
        QCOMPARE(form->ui.CheckBox2->text(), lastDayCaption(form->texts(), 30));
        QVERIFY(form->modified());
        form->ui.SpinEdit2->setValue(28);
        QVERIFY(form->ui.CheckBox2->isHidden());
        QVERIFY(form->ui.CheckBox2->isChecked());

        // Per period: missed run, minute, time of day, weekday and time, day and time.
        const QList<QList<bool>> shown = {{0, 0, 0, 0, 0}, {0, 0, 0, 0, 0}, {1, 1, 0, 0, 0},
                                          {1, 0, 1, 0, 0}, {1, 0, 0, 1, 0}, {1, 0, 0, 0, 1}};
        for (int period = 0; period < shown.size(); ++period) {
            pick(form->ui.RadioGroup2, period);
            const QList<bool> now = {
                form->ui.RadioGroup3->isVisible(), form->ui.SpinEdit1->isVisible(),
                form->ui.DateTimePicker1->isVisible(),
                form->ui.RadioGroup4->isVisible() && form->ui.DateTimePicker3->isVisible(),
                form->ui.SpinEdit2->isVisible() && form->ui.DateTimePicker2->isVisible()};
            QCOMPARE(now, shown[period]);
        }
        QVERIFY(form->ui.CheckBox2->isHidden());  // day 28
    }

    void changedMarkForEachKindOfControl() {
        Fixture fx;
        test::appendRow(fx.tasks,
                        {{TaskField::Flag, true},
                         {TaskField::Name, "w"},
                         {TaskField::Path2, "/out/"},
                         {TaskField::NameArh, "a.7z"},
                         {TaskField::VidPeriod, 4},
                         {TaskField::WeekDay, 3},
                         {TaskField::WeekTime, naiveDateTime(QDate(1899, 12, 30), QTime(7, 5))},
                         {TaskField::MonthDay, 1},
                         {TaskField::NameArhSys, "7Z"}});
        auto form = fx.open(false);
        QCOMPARE(form->ui.ComboBox1->currentIndex(), 0);  // found regardless of case
        // Leaving every control unchanged marks nothing, and closing asks nothing.
        const QList<QWidget*> visited = {
            form->ui.CheckBox1,       form->ui.LEdit1,
            form->ui.LEdit4,          form->ui.LEdit2,
            form->ui.LEdit3,          form->ui.RadioGroup1->findChild<QRadioButton*>(),
            form->ui.CheckBox3,       form->ui.RadioGroup3->findChild<QRadioButton*>(),
            form->ui.DateTimePicker3, form->ui.ComboBox1,
            form->ui.LEdit1};
        for (QWidget* w : visited) {
            w->setFocus();
        }
        QVERIFY(!form->modified());
        form->reject();
        QVERIFY(form->isHidden());
        QVERIFY(fx.boxes.shown.isEmpty());

        // Each kind of control: typed text, spin, choice, and the ones tested when left.
        form.reset();
        form = fx.open(false);
        auto marks = [&](const std::function<void()>& change) {
            form->setModified(false);
            change();
            return form->modified();
        };
        QVERIFY(marks([&] { QTest::keyClicks(form->ui.LEdit1->edit(), "x\b"); }));
        QVERIFY(marks([&] { form->ui.SpinEdit2->stepBy(1); }));
        QVERIFY(marks([&] { QTest::keyClick(form->ui.ComboBox1, Qt::Key_Down); }));
        QVERIFY(marks([&] {
            form->ui.CheckBox3->setFocus();
            form->ui.CheckBox3->click();
            QVERIFY(!form->modified());  // not before it is left
            form->ui.LEdit1->setFocus();
        }));
        QVERIFY(marks([&] {
            pick(form->ui.RadioGroup4, 0);
            form->ui.LEdit1->setFocus();
        }));
        QVERIFY(marks([&] {
            form->ui.DateTimePicker3->setFocus();
            form->ui.DateTimePicker3->setTime(QTime(7, 6));
            form->ui.LEdit1->setFocus();
        }));
        QVERIFY(marks([&] {
                    form->ui.LEdit2->setFocus();
                    form->ui.LEdit2->setText(" /out ");
                    form->ui.LEdit1->setFocus();
                }) == false);  // the same folder once normalised
        QCOMPARE(form->ui.LEdit2->text(), QStringLiteral("/out/"));

        // The folder dialog: cancelled, nothing changes; chosen, the folder is normalised.
        test::ScriptedDialogs dialogs;
        dialogs.answer(std::nullopt);
        dialogs.answer(QStringLiteral("/data"));
        QVERIFY(!marks([&] { form->ui.BitBtn1->click(); }));
        QVERIFY(marks([&] { QTest::mouseDClick(form->ui.LEdit2->label(), Qt::LeftButton); }));
        QCOMPARE(form->ui.LEdit2->text(), QStringLiteral("/data/"));
        QCOMPARE(dialogs.shown.at(0).title, form->texts().text(Form2Text::ct3));

        // A tick changed and never left counts when the window closes.
        form->setModified(false);
        form->ui.CheckBox1->setFocus();
        form->ui.CheckBox1->click();
        form->reject();
        QCOMPARE(fx.boxes.texts(), QStringList{form->texts().text(Form2Text::cm4)});
        QVERIFY(form->isVisible());  // Cancel
    }

    // The window opens with the focus in the name field, and Tab goes through the controls as
    // they are read on the screen: never back up to a control above within the same columns,
    // nor back left to one beside.
    void focusStartsAtTheNameAndTabFollowsTheScreen() {
        Fixture fx;
        auto form = fx.open(true);
        QCOMPARE(QApplication::focusWidget(), form->ui.LEdit1->edit());
        QList<QWidget*> visited;
        for (QWidget* w = QApplication::focusWidget(); !visited.contains(w);
             w = QApplication::focusWidget()) {
            visited << w;
            QTest::keyClick(w, Qt::Key_Tab);
        }
        QVERIFY(visited.contains(form->ui.DBGrid1) && visited.contains(form->ui.BitBtn2));
        const auto place = [&](QWidget* w) {
            return QRect(w->mapTo(form.get(), QPoint()), w->size());
        };
        // The round begins with the control at the top left.
        const auto first = std::min_element(visited.begin(), visited.end(), [&](auto* a, auto* b) {
            return std::pair(place(a).top(), place(a).left()) <
                   std::pair(place(b).top(), place(b).left());
        });
        std::rotate(visited.begin(), first, visited.end());
        const auto name = [](QWidget* w) {
            return w->objectName().isEmpty() ? w->parentWidget()->objectName() : w->objectName();
        };
        for (qsizetype i = 0; i < visited.size(); ++i) {
            for (qsizetype j = i + 1; j < visited.size(); ++j) {
                const QRect a = place(visited[i]);
                const QRect b = place(visited[j]);
                const bool above =
                    b.bottom() < a.top() && b.left() <= a.right() && a.left() <= b.right();
                const bool before =
                    b.right() < a.left() && b.top() <= a.bottom() && a.top() <= b.bottom();
                QVERIFY2(!above && !before,
                         qPrintable(name(visited[i]) + " then " + name(visited[j])));
            }
        }
    }

    void closeQuestionAnswers() {
        Fixture fx;
        auto form = fx.open(true);
        // Cancel keeps the window; Yes with an empty name refuses and keeps it too.
        fx.boxes.answer(MbResult::Cancel);
        fx.boxes.answer(MbResult::Yes);
        QTest::keyClick(form.get(), Qt::Key_Escape);
        form->close();  // the title bar's close
        QCOMPARE(fx.boxes.texts(), (QStringList{form->texts().text(Form2Text::cm4),
                                                form->texts().text(Form2Text::cm4),
                                                form->texts().text(Form2Text::cm5)}));
        QVERIFY(form->isVisible());

        // A save that fails (tasksm.dbf in use elsewhere) is reported; nothing is stored.
        form->ui.LEdit1->setText(QStringLiteral("t"));
        QVERIFY(test::dropFileUrls(form.get(), {fx.folder.path()}));
        {
            Table other(kObjectsFile);
            other.open();
            form->ui.BitBtn3->click();
        }
        QVERIFY(!form->saveSucceeded());
        QVERIFY(form->modified());
        QCOMPARE(fx.tasks.recordCount(), 0);
        QCOMPARE(fx.boxes.shown.last().caption, form->texts().text(Form2Text::cm1));

        // Yes saves and closes; No closes without saving.
        fx.boxes.answer(MbResult::Yes);
        form->ui.BitBtn2->click();
        QVERIFY(form->isHidden());
        QCOMPARE(fx.tasks.recordCount(), 1);
        form.reset();
        form = fx.open(true);
        fx.boxes.answer(MbResult::No);
        form->ui.LEdit1->setText(QStringLiteral("u"));
        form->reject();
        QVERIFY(form->isHidden());
        QCOMPARE(fx.tasks.recordCount(), 1);
    }

    void configurationListRefilledAtTheSamePosition() {
        Fixture fx;
        auto form = fx.open(true);
        QCOMPARE(form->ui.ComboBox1->currentIndex(), 0);  // the one marked for new tasks
        form->ui.ComboBox1->setCurrentIndex(1);
        // The list changes while the configuration window is open, and the window is closed.
        QTimer::singleShot(0, [&fx] {
            auto* list = qobject_cast<TForm3*>(QApplication::activeModalWidget());
            QVERIFY(list);
            fx.archivers.moveTo(1);
            fx.archivers.deleteRecord();
            test::appendRow(fx.archivers, {{ArchiverField::Name, "rar"}});
            test::appendRow(fx.archivers, {{ArchiverField::Name, "arj"}});
            list->ui.BitBtn10->click();
        });
        form->ui.BitBtn4->click();
        QCOMPARE(form->ui.ComboBox1->count(), 3);
        QCOMPARE(form->ui.ComboBox1->currentText(), QStringLiteral("rar"));
        QVERIFY(fx.archivers.isOpen());
    }

    void savesWhatTheControlsShowWithinTheFieldWidths() {
        Fixture fx;
        auto form = fx.open(true);
        QTest::keyClicks(form->ui.LEdit1->edit(), QString(40, u'n'));
        QCOMPARE(form->ui.LEdit1->text().size(), TaskField::Name.width());
        QTest::keyClicks(form->ui.LEdit4->edit(), QString(120, u'o'));
        QCOMPARE(form->ui.LEdit4->text().size(), TaskField::Opis.width());

        form->ui.LEdit1->setText(QStringLiteral("t "));  // shown as stored, without the blank
        form->ui.LEdit2->setText(QStringLiteral(" /out"));
        pick(form->ui.RadioGroup2, int(Period::Weekly));
        form->ui.BitBtn3->click();
        TaskFields expected = newTaskFields();
        expected.name = QStringLiteral("t");
        expected.opis = form->ui.LEdit4->text();
        expected.path2 = QStringLiteral("/out/");
        expected.vidPeriod = int(Period::Weekly);
        expected.weekDay = 0;  // none chosen
        fx.tasks.first();
        QCOMPARE(readTaskFields(fx.tasks), expected);
        QCOMPARE(fx.tasks.asString(TaskField::NameArhSys), QStringLiteral("7z"));
        QVERIFY(form->saveSucceeded() && !form->modified() && !form->newTask());
        QCOMPARE(form->windowTitle(), QStringLiteral("t"));
        QCOMPARE(form->editedTaskName(), QStringLiteral("t"));
        QCOMPARE(form->ui.LEdit1->text(), QStringLiteral("t"));
    }

    // Which dated archives to keep: chosen only for a name with a date, one number per rule
    // (the other kept), marked as a change, saved with the task and shown again.
    void retentionForDatedNames() {
        Fixture fx;
        auto form = fx.open(true);
        form->ui.LEdit1->setText(QStringLiteral("t"));
        QVERIFY(!form->ui.RadioGroup5->isEnabled());
        pick(form->ui.RadioGroup1, 2);
        QVERIFY(form->ui.RadioGroup5->isEnabled());
        QVERIFY(form->ui.SpinEdit3->isHidden());
        pick(form->ui.RadioGroup5, int(KeepRule::YoungerThan));
        form->ui.SpinEdit3->setValue(5);
        pick(form->ui.RadioGroup5, int(KeepRule::Newest));
        QCOMPARE(form->ui.Label13->text(), form->texts().text(Form2Text::ct5));
        form->ui.SpinEdit3->setValue(3);
        form->ui.BitBtn3->click();
        QVERIFY(form->saveSucceeded());
        const Retention saved{KeepRule::Newest, 3, 5};
        QCOMPARE(retentionOf(fx.tables.extras, QStringLiteral("t")), saved);
        form.reset();

        form = fx.open(false);
        QCOMPARE(form->ui.RadioGroup5->itemIndex(), int(KeepRule::Newest));
        QCOMPARE(form->ui.SpinEdit3->value(), saved.count);
        QVERIFY(!form->modified());
        pick(form->ui.RadioGroup5, int(KeepRule::YoungerThan));
        QCOMPARE(form->ui.SpinEdit3->value(), saved.days);
        QCOMPARE(form->ui.Label13->text(), form->texts().text(Form2Text::ct6));
        QVERIFY(form->modified());
    }

    void dropsAndListCommands() {
        Fixture fx;
        fx.folder.write("data/f.txt", "12345");
        QDir().mkpath(fx.folder.file("data/sub"));
        const QString data = fx.folder.file("data/");
        auto form = fx.open(true);
        form->setModified(false);

        // Dropped on a field, in the order dropped; a path the list cannot hold is refused
        // with a message that names it.
        const QString refused = data + QStringLiteral("日本.txt");
        QVERIFY(test::dropFileUrls(form->ui.LEdit1->edit(),
                                   {QStringLiteral("/"), data + "sub", data + "f.txt", refused}));
        QCOMPARE(fx.workingColumn(ObjectField::Path),
                 (QStringList{QStringLiteral("/"), data + "sub", data + "f.txt"}));
        QCOMPARE(fx.workingColumn(ObjectField::Size),
                 (QStringList{kSizeDrive, kSizeFolder, QStringLiteral("5")}));
        QCOMPARE(fx.boxes.shown.size(), 1);
        QVERIFY(fx.boxes.shown[0].text.contains(refused));
        QVERIFY(form->ui.LEdit1->text().isEmpty());
        QVERIFY(form->modified());

        // The pop-up menu on the right button.
        QTest::mouseClick(form->ui.DBGrid1->viewport(), Qt::RightButton);
        QVERIFY(form->ui.PopupMenu1->isVisible());
        form->ui.PopupMenu1->hide();

        // Open folder, without a file manager.
        QDesktopServices::setUrlHandler(QStringLiteral("file"), this, "openUrl");
        fx.working.moveTo(2);
        form->ui.N1->trigger();
        QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
        QCOMPARE(opened, QList<QUrl>{QUrl::fromLocalFile(data)});

        // Name or mask: only Path changes; the dialog's Close marks the window all the same.
        QTimer::singleShot(0, form.get(), [&] {
            auto* dialog = form->findChild<TForm4*>();
            QCOMPARE(dialog->ui.Edit1->text(), data + "f.txt");
            dialog->ui.Edit1->setText(data + "*.txt");
            dialog->ui.BitBtn1->click();
        });
        const QRect cell = form->ui.DBGrid1->visualRect(form->ui.DBGrid1->model()->index(2, 0));
        QTest::mouseDClick(form->ui.DBGrid1->viewport(), Qt::LeftButton, {}, cell.center());
        QCOMPARE(fx.workingColumn(ObjectField::Path).last(), data + "*.txt");
        QCOMPARE(fx.workingColumn(ObjectField::Name1).last(), QStringLiteral("f.txt"));

        // Delete asks with the path; Cancel keeps the row and the mark.
        form->setModified(false);
        fx.boxes.answer(MbResult::Cancel);
        fx.boxes.answer(MbResult::Ok);
        form->ui.Button4->click();
        QVERIFY(!form->modified());
        form->ui.Button4->click();
        QCOMPARE(fx.boxes.shown.last().text,
                 form->texts().text(Form2Text::cm2) + "\r\n" + data + "*.txt");
        QCOMPARE(fx.working.recordCount(), 2);
        QVERIFY(form->modified());

        // Clear asks even when empty; over an empty list the menu only adds.
        fx.boxes.answer(MbResult::Ok);
        fx.boxes.answer(MbResult::Ok);
        form->ui.N5->trigger();
        form->setModified(false);
        form->ui.Button5->click();
        QCOMPARE(fx.working.recordCount(), 0);
        QVERIFY(form->modified());
        QTest::mouseClick(form->ui.DBGrid1->viewport(), Qt::RightButton);
        QVERIFY(form->ui.PopupMenu1->isVisible());
        for (QAction* item : form->ui.PopupMenu1->actions()) {
            QCOMPARE(item->isEnabled(),
                     item == form->ui.N6 || item == form->ui.N7 || item->isSeparator());
        }
        form->ui.PopupMenu1->hide();
    }

    // Files and a folder chosen in the dialogs take the way of a drop, refusals included, and
    // a new task is saved with them; a cancelled dialog adds nothing.
    void objectsChosenInDialogs() {
        Fixture fx;
        test::ScriptedDialogs dialogs;
        fx.folder.write("data/a.txt", "1");
        fx.folder.write("data/b.txt", "22");
        QDir().mkpath(fx.folder.file("data/sub"));
        const QString data = fx.folder.file("data/");
        const QString refused = data + QStringLiteral("日本.txt");
        auto form = fx.open(true);
        form->ui.LEdit1->setText(QStringLiteral("docs"));
        form->setModified(false);

        dialogs.answer(data + "sub");
        form->ui.Button11->click();
        QVERIFY(form->modified());
        dialogs.answerFiles({data + "a.txt", refused, data + "b.txt"});
        form->ui.N6->trigger();
        dialogs.answer(std::nullopt);
        form->ui.N7->trigger();
        dialogs.answerFiles({});
        form->ui.Button10->click();
        QCOMPARE(fx.boxes.shown.size(), 1);
        QVERIFY(fx.boxes.shown[0].text.contains(refused));

        form->ui.BitBtn3->click();
        QVERIFY(form->saveSucceeded());
        const QStringList paths{data + "sub", data + "a.txt", data + "b.txt"};
        QCOMPARE(test::column(kObjectsFile, ObjectField::Path), paths);
        QCOMPARE(test::column(kObjectsFile, ObjectField::Size),
                 (QStringList{kSizeFolder, QStringLiteral("1"), QStringLiteral("2")}));
        fx.tasks.first();
        QCOMPARE(fx.folder.read(fx.tasks.asString(TaskField::List)),
                 (paths.join("\r\n") + "\r\n").toUtf8());
    }
};

QTEST_MAIN(TestTForm2)
#include "tst_tform2.moc"
