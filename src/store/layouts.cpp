#include "store/layouts.h"

namespace kv {

const QList<FieldDef>& tasksLayout() {
    using namespace TaskField;
    static const QList<FieldDef> fields = layoutOf(
        Flag, Name, Opis, VidNameArh, Bak, Path2, NameArh, VidArhivator, NameArhSys, NameArhivator1,
        NameArhivator2, VidPeriod, Minuta, DayTime, MonthDay, MonthTime, WeekDay, WeekTime, LastDay,
        Propusk, IsPropusk, SledTime, SledTimeStr, WorkTime, List, IsClosed);
    return fields;
}

const QList<FieldDef>& objectsLayout() {
    using namespace ObjectField;
    static const QList<FieldDef> fields = layoutOf(Flag, Name, Path, Path1, TipFile1, Name1, Size);
    return fields;
}

const QList<FieldDef>& archiversLayout() {
    using namespace ArchiverField;
    static const QList<FieldDef> fields =
        layoutOf(Flag, Name, NameAr, Param1, Keys1, Arhstr1, Param2, Keys2, Arhstr2, Sys, Tip);
    return fields;
}

const QList<FieldDef>& taskExtrasLayout() {
    using namespace TaskExtraField;
    static const QList<FieldDef> fields = layoutOf(Name, Keep, KeepCount, KeepDays);
    return fields;
}

QString withoutTrailingBlanks(const QString& text) {
    qsizetype n = text.size();
    while (n > 0 && text[n - 1] == u' ') {
        --n;
    }
    return text.left(n);
}

}  // namespace kv
