#include "support/tablefolder.h"

#include "store/fileio.h"
#include "store/layouts.h"

namespace kv::test {

TableFolder::TableFolder(Tables tables) {
    if (tables == Tables::Made) {
        makeTables();
    }
}

void TableFolder::makeTables() const {
    makeTables(*posixFileIo());
}

void TableFolder::makeTables(FileIo& io) const {
    Table::create(kTasksFile, tasksLayout(), io);
    Table::create(kObjectsFile, objectsLayout(), io);
    Table::create(kWorkingObjectsFile, objectsLayout(), io);
    Table::create(kArchiversFile, archiversLayout(), io);
}

void TableFolder::addRow(const QString& table, const Row& row) const {
    Table t(table);
    t.open();
    appendRow(t, row);
}

}  // namespace kv::test
