#pragma once

#include <QList>
#include <QString>

#include "language/mainwindowtexts.h"

namespace kv {

struct ProgramTables;

// The main window's texts that the program stores in the tables, and so in the language that
// was in use when they were written: the names of the default configurations (cf1, cf2, cf5,
// cf6) in archers.dbf's Name and tasks.dbf's NameArhSys, and the next-run texts of tasks
// without a time (cf3, cf4) in tasks.dbf's SledTimeStr.
struct StoredTexts {
    QString cf1;
    QString cf2;
    QString cf3;
    QString cf4;
    QString cf5{};  // {}: a list of the first four texts leaves these two empty
    QString cf6{};
    bool operator==(const StoredTexts&) const = default;
};

StoredTexts storedTexts(const MainWindowTexts& texts);

// A new text that the tables cannot hold, and why; its stored copies keep `kept`.
struct RefusedText {
    enum class Why {
        CodePage,   // 1251 lacks some of its characters
        TooLong,    // longer than its fields (`width` characters)
        NameTaken,  // another configuration has that name, or is given it by the same change
    };
    QString text;
    QString kept;
    Why why;
    int width = 0;
};

struct StoredTextsRewrite {
    StoredTexts written;  // what the stored copies hold now
    QList<RefusedText> refused;
};

// Rewrites the stored copies of the texts `from` to `to` (exact comparisons, case counts):
// Name in every row of archers.dbf (cf1, cf2, cf5, cf6 in this order), then SledTimeStr (cf3,
// cf4) and NameArhSys (the names again) in every row of tasks.dbf, which is then read again,
// with the check marks, and returns to the task that was current. No other stored text changes.
//
// A text of `to` that the tables cannot hold is not written, never cut or garbled: one with a
// character that 1251 lacks, one longer than its fields, and a configuration name that a
// configuration other than those it renames already has, or that an earlier name is given by
// the same change. Its copies keep the text of `from`. So no change of language makes two
// configurations share a name.
//
// Each table is written as a whole or not at all. When tasks.dbf cannot be written, archers.dbf
// is put back as it was, so that the tasks keep naming configurations that exist; the Error
// then goes on to the caller. archers.dbf is opened for the pass when it is closed, and closed
// again afterwards.
StoredTextsRewrite rewriteStoredTexts(ProgramTables& tables, const StoredTexts& from,
                                      const StoredTexts& to);

// The stored texts' part of a change of language, whose new texts `texts` holds: the rewrite
// from `from`, after which each text that was not written gets back the text its copies keep,
// so that what the program stores later matches them; the user is told once which texts stayed
// and why (cm42, cm44 to cm46 of `texts`). When the rewrite fails, all four get back `from` and the
// Error goes on.
void changeStoredTexts(ProgramTables& tables, const StoredTexts& from, MainWindowTexts& texts);

// The stored texts of a language read without a change (at start): a text that the tables
// could not hold (see above), or a default configuration name equal to an earlier one, is
// replaced by its built-in text, so that what the program stores is never cut or garbled.
void keepStorableTexts(MainWindowTexts& texts);

}  // namespace kv
