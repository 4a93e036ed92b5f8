#include "app/commands.h"

#include <QFile>

#include "app/startup.h"
#include "archiving/runtask.h"
#include "editor/savetask.h"
#include "platform/messagebox.h"
#include "platform/programfolder.h"
#include "store/layouts.h"
#include "store/table.h"
#include "store/tasktable.h"

namespace kv {

QString helpDocumentPath(const QString& languageName) {
    return inProgramFolder(languageName == kRussian ? QStringLiteral("helprus.doc")
                                                    : QStringLiteral("helpeng.doc"));
}

QString listFilePath(const QString& list) {
    const QString name = listFileName(list);
    return name.isEmpty() ? QString() : inProgramFolder(name);
}

namespace {

// Closes and reopens tasksm.dbf, then tasks.dbf, and refreshes the check marks; the first task
// is current afterwards.
void reopenTaskTables(Table& tasks, Table& objects, CheckMarks& marks) {
    objects.close();
    objects.open();
    ControlsDisabled suspended(tasks);
    tasks.close();
    tasks.open();
    TableToGrid(tasks, marks);
}

}  // namespace

bool deleteCurrentTask(Table& tasks, Table& objects, CheckMarks& marks,
                       const MainWindowTexts& texts) {
    if (tasks.isEmpty()) {
        return false;
    }
    // Both tables must be open before the question: nothing may be removed from one while the
    // other cannot follow.
    if (!objects.isOpen()) {
        objects.first();  // raises the engine's "is not open" error
    }
    const QString name = tasks.asString(TaskField::Name);
    const QString question = texts.text(Form1Text::cm4) + QStringLiteral(" \"") + name +
                             QStringLiteral("\" ") + texts.text(Form1Text::cm5);
    if (messageBox(question, texts.text(Form1Text::cm6), MbButtons::YesNo, MbIcon::Question) !=
        MbResult::Yes) {
        return false;
    }
    // A tick that ran while the question was open returned to this task; anything else means
    // the list changed under the question, and nothing is deleted.
    if (currentTaskName(tasks) != name) {
        return false;
    }

    // The list file (a missing one, or one that cannot be deleted, is no obstacle).
    const QString list = listFilePath(tasks.asString(TaskField::List));
    if (!list.isEmpty()) {
        QFile::remove(list);
    }

    // The object rows, then the task row.
    objects.first();
    while (!objects.eof() && !objects.isEmpty()) {
        if (objects.asString(ObjectField::Name) == name) {
            const bool wasLast = objects.recNo() == objects.recordCount() - 1;
            objects.deleteRecord();
            if (wasLast) {
                break;
            }
        } else {
            objects.next();
        }
    }
    objects.pack();
    tasks.deleteRecord();
    reopenTaskTables(tasks, objects, marks);
    return true;
}

void rereadAfterEditing(Table& tasks, Table& objects, CheckMarks& marks, const QString& name) {
    ControlsDisabled suspended(tasks);
    reopenTaskTables(tasks, objects, marks);
    if (tasks.locate(TaskField::Name, name) && tasks.recNo() == 0) {
        tasks.first();
    }
}

void runCurrentTask(Table& tasks, CheckMarks& marks, const RunContext& run) {
    const QString name = currentTaskName(tasks);
    if (name.isEmpty()) {
        return;
    }
    ControlsDisabled suspended(tasks);
    RunTask(tasks, run, false);
    rereadTasks(tasks, marks, name);
}

void runTasks(Table& tasks, CheckMarks& marks, const RunContext& run, bool markedOnly) {
    ControlsDisabled suspended(tasks);
    const QString name = currentTaskName(tasks);
    tasks.first();
    while (!tasks.isEmpty() && !tasks.eof()) {
        if (!markedOnly || tasks.asBool(TaskField::Flag)) {
            RunTask(tasks, run, false);
        }
        tasks.next();
    }
    rereadTasks(tasks, marks, name);
}

}  // namespace kv
