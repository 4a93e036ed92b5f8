#include "app/commands.h"

#include <QFile>

#include "app/startup.h"
#include "archiving/runtask.h"
#include "editor/savetask.h"
#include "platform/messagebox.h"
#include "platform/programfolder.h"
#include "store/programtables.h"
#include "store/taskextras.h"
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
void reopenTaskTables(ProgramTables& tables) {
    tables.objects.close();
    tables.objects.open();
    ControlsDisabled suspended(tables.tasks);
    tables.tasks.close();
    tables.tasks.open();
    TableToGrid(tables.tasks, tables.marks);
}

}  // namespace

bool deleteCurrentTask(ProgramTables& tables, const MainWindowTexts& texts) {
    Table& tasks = tables.tasks;
    Table& objects = tables.objects;
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
    // Its retention row last: one left behind (a failure here) is replaced by the next save of
    // a task under that name.
    try {
        forgetRetention(tables.extras, name);
    } catch (const Error& e) {
        qWarning("kelvotrin: %s", qPrintable(e.message()));
    }
    reopenTaskTables(tables);
    return true;
}

void rereadAfterEditing(ProgramTables& tables, const QString& name) {
    Table& tasks = tables.tasks;
    ControlsDisabled suspended(tasks);
    reopenTaskTables(tables);
    if (tasks.locate(TaskField::Name, name) && tasks.recNo() == 0) {
        tasks.first();
    }
}

void runCurrentTask(ProgramTables& tables, const RunContext& run) {
    Table& tasks = tables.tasks;
    const QString name = currentTaskName(tasks);
    if (name.isEmpty()) {
        return;
    }
    ControlsDisabled suspended(tasks);
    RunTask(tasks, run, false);
    rereadTasks(tasks, tables.marks, name);
}

void runTasks(ProgramTables& tables, const RunContext& run, bool markedOnly) {
    Table& tasks = tables.tasks;
    ControlsDisabled suspended(tasks);
    const QString name = currentTaskName(tasks);
    tasks.first();
    while (!tasks.isEmpty() && !tasks.eof()) {
        if (!markedOnly || tasks.asBool(TaskField::Flag)) {
            RunTask(tasks, run, false);
        }
        tasks.next();
    }
    rereadTasks(tasks, tables.marks, name);
}

}  // namespace kv
