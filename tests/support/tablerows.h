#pragma once

#include <QStringList>
#include <QVariantMap>

#include "store/table.h"

namespace kv::test {

// Appends a row to an open table, each value written with the setter of its field's type.
inline void appendRow(Table& table, const QVariantMap& fields) {
    table.insert();
    for (auto it = fields.cbegin(); it != fields.cend(); ++it) {
        switch (table.fields().at(table.fieldIndex(it.key())).type) {
            case FieldType::String:
                table.setString(it.key(), it.value().toString());
                break;
            case FieldType::Integer:
                table.setInt(it.key(), it.value().toInt());
                break;
            case FieldType::Boolean:
                table.setBool(it.key(), it.value().toBool());
                break;
            case FieldType::DateTime:
                table.setDateTime(it.key(), it.value().toDateTime());
                break;
        }
    }
    table.post();
}

// The texts of one field in every row of the table file, in row order.
inline QStringList column(const QString& file, const QString& field) {
    Table t(file);
    t.open();
    QStringList out;
    for (int i = 0; i < t.recordCount(); ++i) {
        out << t.peekString(i, t.fieldIndex(field));
    }
    return out;
}

}  // namespace kv::test
