#include "store/layouts.h"

namespace kv {
namespace {

FieldDef str(const char* name, int width) {
    return {QString::fromLatin1(name), FieldType::String, width};
}
FieldDef integer(const char* name) {
    return {QString::fromLatin1(name), FieldType::Integer, 0};
}
FieldDef boolean(const char* name) {
    return {QString::fromLatin1(name), FieldType::Boolean, 0};
}
FieldDef dateTime(const char* name) {
    return {QString::fromLatin1(name), FieldType::DateTime, 0};
}

}  // namespace

const QList<FieldDef>& tasksLayout() {
    static const QList<FieldDef> fields = {
        boolean("Flag"),
        str("Name", 30),
        str("Opis", 100),
        integer("VidNameArh"),
        boolean("Bak"),
        str("Path2", 255),
        str("NameArh", 255),
        integer("VidArhivator"),
        str("NameArhSys", 30),
        str("NameArhivator1", 255),
        str("NameArhivator2", 255),
        integer("VidPeriod"),
        integer("Minuta"),
        dateTime("DayTime"),
        integer("MonthDay"),
        dateTime("MonthTime"),
        integer("WeekDay"),
        dateTime("WeekTime"),
        boolean("LastDay"),
        integer("Propusk"),
        boolean("IsPropusk"),
        dateTime("SledTime"),
        str("SledTimeStr", 30),
        dateTime("WorkTime"),
        str("List", 255),
        boolean("IsClosed"),
    };
    return fields;
}

const QList<FieldDef>& objectsLayout() {
    static const QList<FieldDef> fields = {
        boolean("Flag"),     str("Name", 30),   str("Path", 255), str("Path1", 255),
        integer("TipFile1"), str("Name1", 255), str("Size", 20),
    };
    return fields;
}

const QList<FieldDef>& archiversLayout() {
    static const QList<FieldDef> fields = {
        boolean("Flag"),     str("Name", 30),     str("NameAr", 255), str("Param1", 5),
        str("Keys1", 25),    str("Arhstr1", 285), str("Param2", 5),   str("Keys2", 25),
        str("Arhstr2", 285), boolean("Sys"),      integer("Tip"),
    };
    return fields;
}

}  // namespace kv
