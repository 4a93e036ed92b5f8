#include "store/layouts.h"

namespace kv {
namespace {

FieldDef str(const QString& name, int width) {
    return {name, FieldType::String, width};
}
FieldDef integer(const QString& name) {
    return {name, FieldType::Integer, 0};
}
FieldDef boolean(const QString& name) {
    return {name, FieldType::Boolean, 0};
}
FieldDef dateTime(const QString& name) {
    return {name, FieldType::DateTime, 0};
}

}  // namespace

const QList<FieldDef>& tasksLayout() {
    static const QList<FieldDef> fields = {
        boolean(TaskField::Flag),
        str(TaskField::Name, 30),
        str(TaskField::Opis, 100),
        integer(TaskField::VidNameArh),
        boolean(TaskField::Bak),
        str(TaskField::Path2, 255),
        str(TaskField::NameArh, 255),
        integer(TaskField::VidArhivator),
        str(TaskField::NameArhSys, 30),
        str(TaskField::NameArhivator1, 255),
        str(TaskField::NameArhivator2, 255),
        integer(TaskField::VidPeriod),
        integer(TaskField::Minuta),
        dateTime(TaskField::DayTime),
        integer(TaskField::MonthDay),
        dateTime(TaskField::MonthTime),
        integer(TaskField::WeekDay),
        dateTime(TaskField::WeekTime),
        boolean(TaskField::LastDay),
        integer(TaskField::Propusk),
        boolean(TaskField::IsPropusk),
        dateTime(TaskField::SledTime),
        str(TaskField::SledTimeStr, 30),
        dateTime(TaskField::WorkTime),
        str(TaskField::List, 255),
        boolean(TaskField::IsClosed),
    };
    return fields;
}

const QList<FieldDef>& objectsLayout() {
    static const QList<FieldDef> fields = {
        boolean(ObjectField::Flag),   str(ObjectField::Name, 30),     str(ObjectField::Path, 255),
        str(ObjectField::Path1, 255), integer(ObjectField::TipFile1), str(ObjectField::Name1, 255),
        str(ObjectField::Size, 20),
    };
    return fields;
}

const QList<FieldDef>& archiversLayout() {
    static const QList<FieldDef> fields = {
        boolean(ArchiverField::Flag),     str(ArchiverField::Name, 30),
        str(ArchiverField::NameAr, 255),  str(ArchiverField::Param1, 5),
        str(ArchiverField::Keys1, 25),    str(ArchiverField::Arhstr1, 285),
        str(ArchiverField::Param2, 5),    str(ArchiverField::Keys2, 25),
        str(ArchiverField::Arhstr2, 285), boolean(ArchiverField::Sys),
        integer(ArchiverField::Tip),
    };
    return fields;
}

int fieldWidth(const QList<FieldDef>& layout, const QString& field) {
    for (const FieldDef& f : layout) {
        if (f.name == field) {
            return f.width;
        }
    }
    Q_ASSERT(false);
    return 0;
}

QString withoutTrailingBlanks(const QString& text) {
    qsizetype n = text.size();
    while (n > 0 && text[n - 1] == u' ') {
        --n;
    }
    return text.left(n);
}

}  // namespace kv
