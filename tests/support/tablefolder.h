#pragma once

#include <QString>

#include "support/tablerows.h"
#include "support/tempprogramfolder.h"

namespace kv {
class FileIo;
}

namespace kv::test {

// A temporary program folder (see TempProgramFolder) with the program's four tables in it,
// empty, and the rows a test puts in them. The tables are named as the program names them,
// relative to the folder, which is the current folder while the object lives.
class TableFolder : public TempProgramFolder {
public:
    // Missing: no table until makeTables(), as before the first start.
    enum class Tables { Made, Missing };
    explicit TableFolder(Tables tables = Tables::Made);

    // Makes the four tables, empty, in place of any there; through `io` when given (an
    // in-memory file system).
    void makeTables() const;
    void makeTables(FileIo& io) const;
    // Appends a row to a table file of the folder, opened and closed for it.
    void addRow(const QString& table, const Row& row) const;
};

}  // namespace kv::test
