#pragma once

#include <QString>

#include "language/mainwindowtexts.h"

namespace kv {

struct ProgramTables;

// The main window's texts that the program stores in the tables, and so in the language that
// was in use when they were written: the names of the default configurations (cf1, cf2) in
// archers.dbf's Name and tasks.dbf's NameArhSys, and the next-run texts of tasks without a
// time (cf3, cf4) in tasks.dbf's SledTimeStr.
struct StoredTexts {
    QString cf1;
    QString cf2;
    QString cf3;
    QString cf4;
    bool operator==(const StoredTexts&) const = default;
};

StoredTexts storedTexts(const MainWindowTexts& texts);

// Rewrites the stored copies of the texts `from` to `to` (exact comparisons, case counts):
// Name in every row of archers.dbf (cf1, then cf2), then SledTimeStr (cf3, cf4) and NameArhSys
// (cf1, cf2) in every row of tasks.dbf, which is then read again, with the check marks, and
// returns to the task that was current. No other stored text changes.
//
// Each table is written as a whole or not at all. When tasks.dbf cannot be written, archers.dbf
// is put back as it was, so that the tasks keep naming configurations that exist; the Error
// then goes on to the caller. archers.dbf is opened for the pass when it is closed, and closed
// again afterwards.
void rewriteStoredTexts(ProgramTables& tables, const StoredTexts& from, const StoredTexts& to);

}  // namespace kv
