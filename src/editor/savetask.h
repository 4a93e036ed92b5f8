#pragma once

#include <QString>

#include "editor/form2texts.h"
#include "editor/taskfields.h"
#include "store/fileio.h"
#include "store/programtables.h"
#include "store/taskextras.h"

namespace kv {

// What the editor holds when it saves.
struct SaveRequest {
    TaskFields fields;       // from the controls; Path2 already normalised
    int configuration = -1;  // position of the chosen configuration, -1 none: the task keeps
                             // the commands it has
    bool newTask = true;     //
    QString editedTaskName;  // Name under which the task is stored; empty for a new task
    QString workingName;     // the window's caption, carried by the working rows
    Retention retention;     // which dated archives the task keeps
};

struct SaveResult {
    enum class Outcome {
        Saved,    // the task is stored: row, object rows, list file and retention; a `message`
                  // says what of it could not be stored (tasksx.dbf is not open)
        Refused,  // nothing was written; `message` says why
        Failed,   // an error ended the save; `message` says what and what is left
    };
    Outcome outcome = Outcome::Refused;
    QString message;      // for Refused and Failed, shown with the caption cm1
    QString workingName;  // the caption to show from now on
};

// Saves a task from the editor, on the program's tables, which are all open (the check marks
// are not touched). The texts are taken without their trailing blanks, as the table
// keeps them. The name must not be empty, blanks only, longer than its field or taken by another
// task (exact comparison, trailing blanks of stored names aside); the texts must fit their
// fields in code page 1251; the destination folder and the archive name must hold no double
// quote; the chosen configuration's commands must fit their fields. With no configuration
// chosen the task keeps its commands; a task that would be left without an archive command is
// refused. A refused save writes nothing.
//
// Then, in this order: the working rows take the name (tasksmt.dbf written anew, deleted rows
// purged); the list file name is kept from List or drawn (a number below 1000000 that names no
// file in Lists and no other task's list); the list file is written beside its place; the task
// row is prepared; tasksm.dbf gets the working rows under the name in place of the rows stored
// under it, in one new file; tasksx.dbf gets the retention under the name, in one new file; the
// list file takes its place; the task row is posted; when the name changed, the object rows and
// the retention row under the former name go (one more new file each).
//
// tasksx.dbf that is not open (damaged at the start) is left out: the task is saved all the
// same, keeping all its archives, and when it was meant to keep fewer, the message says so.
//
// A failure before the task row is posted puts back what was done: the task's row, object
// rows, retention and list file are as they were (the working rows keep the new name, which the
// returned working name reflects). Should that undo fail too, the message says so. A failure of the
// last step leaves the task saved: its former rows stay behind under the former name, which no task
// has any more, and go when a task is next saved under that name.
//
// A crash at any instant leaves the task's row with a complete set of object rows: while the
// row still has its former name the former rows, from the new row on the new rows and the new
// list file, and with the retention row of its name. When the name stays the same, a crash after
// tasksm.dbf was replaced and before the row was posted leaves the new objects (and possibly the
// new list file and retention) with the former row. Object rows under a name that no task has and
// list files that no task names may stay behind; they belong to nothing.
//
// On success the tasks.dbf cursor rests on the saved row. The list file is written through
// `io` at programFolder() + List.
SaveResult saveTask(ProgramTables& tables, const SaveRequest& request, const EditorTexts& texts,
                    FileIo& io);

// Whether a List value names a file directly inside the Lists folder ("Lists/<name>", also with
// a backslash), and that name in the form written here; empty when it does not.
QString listFileName(const QString& list);

}  // namespace kv
