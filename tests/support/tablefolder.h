#pragma once

#include <QList>
#include <QStringList>
#include <functional>
#include <type_traits>

#include "store/fileio.h"
#include "store/layouts.h"
#include "store/table.h"
#include "support/tempprogramfolder.h"

namespace kv::test {

// Writes a field of the row being edited with the setter of the field's type.
template <typename T>
void setValue(Table& table, const Field<T>& field, const T& value) {
    if constexpr (std::is_same_v<T, QString>) {
        table.setString(field, value);
    } else if constexpr (std::is_same_v<T, int>) {
        table.setInt(field, value);
    } else if constexpr (std::is_same_v<T, bool>) {
        table.setBool(field, value);
    } else {
        table.setDateTime(field, value);
    }
}

// Reads a field of a live row with the getter of the field's type.
template <typename T>
T peekValue(const Table& table, int position, FieldIndex<T> field) {
    if constexpr (std::is_same_v<T, QString>) {
        return table.peekString(position, field);
    } else if constexpr (std::is_same_v<T, int>) {
        return table.peekInt(position, field);
    } else if constexpr (std::is_same_v<T, bool>) {
        return table.peekBool(position, field);
    } else {
        return table.peekDateTime(position, field);
    }
}

// One field's value in a row that a test writes: a declared field and a value of its type.
class FieldValue {
public:
    template <typename T>
    FieldValue(const Field<T>& field, std::type_identity_t<T> value)
        : write_(
              [field, value = std::move(value)](Table& table) { setValue(table, field, value); }) {}

    void writeTo(Table& table) const { write_(table); }

private:
    std::function<void(Table&)> write_;
};

// A row's values, written in order: a field named twice keeps the later value.
using Row = QList<FieldValue>;

// Appends a row to an open table.
inline void appendRow(Table& table, const Row& row) {
    table.insert();
    for (const FieldValue& value : row) {
        value.writeTo(table);
    }
    table.post();
}

// The texts of one field in every row of the table file, in row order.
inline QStringList column(const QString& file, const Field<QString>& field) {
    Table t(file);
    t.open();
    const auto index = t.fieldIndex(field);
    QStringList out;
    for (int i = 0; i < t.recordCount(); ++i) {
        out << t.peekString(i, index);
    }
    return out;
}

// A temporary program folder (see TempProgramFolder) with the program's four tables in it,
// empty, and the rows a test puts in them. The tables are named as the program names them,
// relative to the folder, which is the current folder while the object lives.
class TableFolder : public TempProgramFolder {
public:
    // Missing: no table until makeTables(), as before the first start.
    enum class Tables { Made, Missing };
    explicit TableFolder(Tables tables = Tables::Made) {
        if (tables == Tables::Made) {
            makeTables();
        }
    }

    // Makes the four tables, empty, in place of any there; through `io` when given (an
    // in-memory file system).
    void makeTables() const { makeTables(*posixFileIo()); }
    void makeTables(FileIo& io) const {
        Table::create(kTasksFile, tasksLayout(), io);
        Table::create(kObjectsFile, objectsLayout(), io);
        Table::create(kWorkingObjectsFile, objectsLayout(), io);
        Table::create(kArchiversFile, archiversLayout(), io);
    }
    // Appends a row to a table file of the folder, opened and closed for it.
    void addRow(const QString& table, const Row& row) const {
        Table t(table);
        t.open();
        appendRow(t, row);
    }
};

}  // namespace kv::test
