#include "language/storedtexts.h"

#include "store/programtables.h"
#include "store/tasktable.h"

namespace kv {

StoredTexts storedTexts(const MainWindowTexts& texts) {
    return {texts.text(Form1Text::cf1), texts.text(Form1Text::cf2), texts.text(Form1Text::cf3),
            texts.text(Form1Text::cf4)};
}

namespace {

// Sets `field` of the row being edited to `to` when it holds `from`. The pending value is
// compared, so a text that an earlier rule of the same row has set takes part.
void replace(Table& table, const Field<QString>& field, const QString& from, const QString& to) {
    if (table.asString(field) == from) {
        table.setString(field, to);
    }
}

// Edits every row with `change` in one batch: all rows are written, or none.
template <typename Change>
void changeEveryRow(Table& table, Change change) {
    Batch batch(table);
    try {
        for (table.first(); !table.eof(); table.next()) {
            table.edit();
            change();
            table.post();
        }
    } catch (...) {
        if (table.state() != Table::State::Browse) {
            table.cancel();
        }
        throw;
    }
    table.commitBatch();
}

}  // namespace

void rewriteStoredTexts(ProgramTables& tables, const StoredTexts& from, const StoredTexts& to) {
    Table& archivers = tables.archivers;
    Table& tasks = tables.tasks;
    const bool archiversWereOpen = archivers.isOpen();
    archivers.open();
    struct CloseAfter {
        Table& table;
        bool keepOpen;
        ~CloseAfter() {
            if (!keepOpen) {
                table.close();
            }
        }
    } closeAfter{archivers, archiversWereOpen};

    const Table::SavedRows before = archivers.savedRows();
    changeEveryRow(archivers, [&] {
        replace(archivers, ArchiverField::Name, from.cf1, to.cf1);
        replace(archivers, ArchiverField::Name, from.cf2, to.cf2);
    });

    try {
        ControlsDisabled suspended(tasks);
        const QString current = currentTaskName(tasks);
        changeEveryRow(tasks, [&] {
            replace(tasks, TaskField::SledTimeStr, from.cf3, to.cf3);
            replace(tasks, TaskField::SledTimeStr, from.cf4, to.cf4);
            replace(tasks, TaskField::NameArhSys, from.cf1, to.cf1);
            replace(tasks, TaskField::NameArhSys, from.cf2, to.cf2);
        });
        rereadTasks(tasks, tables.marks, current);
    } catch (...) {
        try {
            archivers.restoreRows(before);
        } catch (...) {
            // The tasks' failure is the one to report.
        }
        throw;
    }
}

}  // namespace kv
