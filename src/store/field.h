#pragma once

#include <QDateTime>
#include <QList>
#include <QString>
#include <concepts>

namespace kv {

// The type of a field as stored.
enum class FieldType : char {
    String = 'C',    // text of at most `width` characters, Windows-1251 on disk
    Integer = 'I',   // 32-bit signed
    Boolean = 'L',   // true / false
    DateTime = '@',  // naive local date-time, milliseconds
};

// One field of a table layout, as a file describes it.
struct FieldDef {
    QString name;    // up to 31 ASCII characters, case as written
    FieldType type;  //
    int width = 0;   // String only (1..65535); the other types have fixed sizes
};

// The field type whose values a C++ type holds.
template <typename T>
constexpr FieldType fieldTypeOf() {
    if constexpr (std::same_as<T, QString>) {
        return FieldType::String;
    } else if constexpr (std::same_as<T, int>) {
        return FieldType::Integer;
    } else if constexpr (std::same_as<T, bool>) {
        return FieldType::Boolean;
    } else {
        static_assert(std::same_as<T, QDateTime>, "a field holds QString, int, bool or QDateTime");
        return FieldType::DateTime;
    }
}

// A field declared once: its name as stored, the type of its values and, for text, its width.
// Tables are read and written through such declarations, so that a value of another type does
// not compile. The name is looked up in the open file without regard to case.
template <typename T>
class Field {
public:
    static constexpr FieldType type = fieldTypeOf<T>();

    // A text field holds at most `width` characters.
    constexpr Field(const char* name, int width) requires std::same_as<T, QString>
        : name_(name), width_(width) {}
    constexpr explicit Field(const char* name) requires(!std::same_as<T, QString>) : name_(name) {}

    constexpr QLatin1StringView name() const { return name_; }
    constexpr int width() const { return width_; }
    FieldDef def() const { return {name_, type, width_}; }

private:
    QLatin1StringView name_;
    int width_ = 0;
};

// A table layout from its field declarations, in the order of the file.
template <typename... T>
QList<FieldDef> layoutOf(const Field<T>&... fields) {
    return {fields.def()...};
}

class Table;

// Where a field is in one open table, found once for walks over many rows. It keeps the field's
// type, so the reads and writes through it are those of the field.
template <typename T>
class FieldIndex {
public:
    int value() const { return index_; }  // -1: the table has no such field

private:
    friend class Table;
    FieldIndex(int index, const char* name) : index_(index), name_(name) {}
    int index_;
    const char* name_;  // small enough to travel in registers
};

}  // namespace kv
