#pragma once

#include <QList>
#include <QObject>
#include <QString>
#include <QTimer>

#include "language/mainwindowtexts.h"
#include "store/layouts.h"
#include "store/table.h"

namespace kv {

// The check marks of the task list's first column: one mark per live row of tasks.dbf, kept by
// the list itself and not bound to any field. TableToGrid() copies Flag into them;
// GridToTable() writes them back.
class CheckMarks : public QObject {
    Q_OBJECT
public:
    int size() const { return marks_.size(); }
    bool at(int row) const { return row >= 0 && row < marks_.size() && marks_[row]; }
    void set(int row, bool checked);
    void toggle(int row) { set(row, !at(row)); }
    void resize(int rows);
    // Replaces every mark at once.
    void assign(QList<bool> marks);

Q_SIGNALS:
    // The marks of rows first..last (inclusive) changed, or those rows came or went.
    void changed(int first, int last);

private:
    QList<bool> marks_;
};

// The main window's state apart from its controls: the four tables, the three timers and the
// process-wide flags that the scheduler, the runs and the commands share. It holds no widget,
// so the code that decides can be tested without windows; the main window keeps the pause box
// and `pauseBoxChecked` in step.
class AppState : public QObject {
    Q_OBJECT
public:
    AppState();
    ~AppState() override;

    Table table1{kTasksFile};           // tasks
    Table table2{kObjectsFile};         // committed object lists
    Table table3{kWorkingObjectsFile};  // the editor's working object list
    Table table4{kArchiversFile};       // archiver configurations

    CheckMarks marks;  // the task list's check column

    // Timer1: the scheduler tick (interval 0 = stopped). Timer2: the clock, every second.
    // Timer3: one-shot, 3000 ms, runs the start-up pass.
    QTimer timer1;
    QTimer timer2;
    QTimer timer3;

    bool startingUp = true;
    bool autoStarted = false;
    bool tasksPaused = false;
    int tickInterval = 1000;
    bool powerOffAfterRun = false;  // set for the next run only; RunTask takes and clears it
    QString currentLanguage = QStringLiteral("Russian");
    bool dictionariesPresent = false;
    bool newTask = false;          // hand-over to the task editor
    QString editedTaskName;        //
    bool pauseBoxChecked = false;  // Editt5: all tasks paused

    MainWindowTexts texts = mainWindowTexts();  // the main window's message texts

    // Timer1's interval: setting 0 stops the tick; any other value (re)starts it with that
    // interval, counting from now.
    void setTimer1Interval(int ms);
    int timer1Interval() const;
};

// Each walk below runs with the task list's updates suspended, so that the list does not follow
// the cursor row by row.

// Copies every task's Flag into the check marks; leaves the first task current.
void TableToGrid(AppState& state);
// Writes every check mark back into Flag; leaves the first task current.
void GridToTable(AppState& state);

// The Name of the current task, or the empty text when the table is empty.
QString currentTaskName(const Table& tasks);
// Goes to the first row and on until a row's Name equals `name` (exact). An empty table ends at
// once; when no row matches, the cursor ends at the end of the table.
void returnToTask(Table& tasks, const QString& name);
// Closes and reopens tasks.dbf so that the list shows what is stored, refreshes the check marks
// and returns to the task named `name`.
void rereadTasks(AppState& state, const QString& name);

}  // namespace kv
