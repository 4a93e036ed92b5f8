#pragma once

#include "platform/messagetable.h"

namespace kv {

// The main window's message texts (dictionary section Form1). The enumerators are the keys, in
// the order in which a language reads them.
enum class Form1Text {
    cf1,   // name of the default WinZip configuration
    cf2,   // name of the default WinRAR configuration
    cf3,   // next-run text of a task run only on demand
    cf4,   // next-run text of a task run at every start
    cm1,   // launch failed: out of memory or resources
    cm2,   // launch failed: the archiver file is missing
    cm3,   // launch failed: its path is missing
    cm4,   // the question before deleting a task: cm4 "<name>" cm5
    cm5,   //
    cm6,   // caption of that question
    cm7,   // the help document is missing
    cl1,   // file name of the desktop shortcut
    cm8,   // launch failed: the archiver file is no program
    cm9,   // launch failed: the archiver's path holds a double quote
    cs1,   // a running copy could not be reached and this one stays closed
    cm10,  // a backup run failed (title)
    cm11,  // a restore run failed (title)
    cm12,  // %1 the task, %2 the reason (one of cm13..cm20)
    cm13,  // the reasons
    cm14,  //
    cm15,  //
    cm16,  //
    cm17,  //
    cm18,  // %1 the exit status
    cm19,  // %1 the signal
    cm20,  // %1 the archive
    cm21,  // the power-off countdown: its caption
    cm22,  // %1 the seconds left
    cm23,  // its Cancel button
    cm24,  // logind refused the power-off: %1 its reason
    cm25,  // a run refused: %1 the task, %2 the path with a double quote, %3 cm26 or cm27
    cm26,  // the quote is in the archive's folder or name
    cm27,  // the quote is in the program folder
    cm28,  // runs.log cannot be written: %1 the file, %2 why
    cm29,  // a run refused while another writes its archive: %1 the task, %2 the archive
    cm30,  // a reason: the archive holds no file
    cm31,  // a backup run ended with a warning (title)
    cm32,  // after the warning's reason: %1 where its archive was set aside
    cm33,  // runs.log cannot be written (title)
    cm34,  // cm12 without the pointer to runs.log, for a run that runs.log lacks
    cm35,  // a reason: the archive could not be put in place, %1 why
    // cm40, cm41, cm43, cm47 to cm49 are texts of the layers below (platformtexts.h,
    // dictionary.h, storetexts.h).
    cm42,  // a change of language left stored texts as they were: then a line for each, with
    cm44,  // %1 the new text and %2 the one kept: 1251 lacks some of its characters
    cm45,  // %3: it is longer than %3 characters
    cm46,  // another archiver configuration has that name
    cm60,  // the task list's result of a good last run
    cm61,  // a run in progress: %1 the percent done
    cm62,  // a run in progress that reports no percent: %1 the time elapsed
    cm63,  // the result's tool tip: %1 when the last good run ended
    cm64,  // the result's tool tip of a task that never had a good run
    cm65,  // a run the user started ended well (title)
    cm66,  // %1 the task, %2 the archive's size, %3 the time taken
    cm67,  // backups are overdue (title)
    cm68,  // %1 the overdue tasks
    cm69,  // the tray tooltip's line: %1 the overdue tasks
    cm70,  // sizes: %1 bytes
    cm71,  // %1 KiB
    cm72,  // %1 MiB
    cm73,  // %1 GiB
    cm74,  // the tray tooltip's line of a run in progress: %1 the task, %2 its state (cm61, cm62)
    cm75,  // the state of a run whose archive is being tested
    cm80,  // why the computer must not suspend now: %1 the tasks that run
    cm90,  // a reason: the test of the new archive ended with %1, a status
    cm91,  // a reason: the test of the new archive was ended by signal %1
    cm92,  // a reason: the test of the new archive could not be started
    cm93,  // a reason: too little room for the archive, %1 free, %2 needed (scaled sizes)
    cm94,  // a backup run was not started (title)
    cm96,  // tasksx.dbf was missing and made anew: %1 the file
    cm97,  // tasksx.dbf cannot be read: %1 why, %2 the file
    cf5,   // name of the default 7-Zip configuration
    cf6,   // name of the default RAR configuration
};

using MainWindowTexts = MessageTable<Form1Text>;

// The table with its built-in texts.
MainWindowTexts mainWindowTexts();

}  // namespace kv
