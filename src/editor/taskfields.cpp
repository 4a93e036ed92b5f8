#include "editor/taskfields.h"

#include "platform/clock.h"

namespace kv {
namespace {

const QString kFlag = QStringLiteral("Flag");
const QString kName = QStringLiteral("Name");

QDateTime onZeroDate(const QTime& time) {
    return naiveDateTime(zeroDateTime().date(), time);
}

}  // namespace

TaskFields readTaskFields(const Table& t) {
    TaskFields f;
    f.flag = t.asBool(kFlag);
    f.name = t.asString(kName);
    f.opis = t.asString(QStringLiteral("Opis"));
    f.vidNameArh = t.asInt(QStringLiteral("VidNameArh"));
    f.bak = t.asBool(QStringLiteral("Bak"));
    f.path2 = t.asString(QStringLiteral("Path2"));
    f.nameArh = t.asString(QStringLiteral("NameArh"));
    f.vidPeriod = t.asInt(QStringLiteral("VidPeriod"));
    f.minuta = t.asInt(QStringLiteral("Minuta"));
    f.dayTime = t.asDateTime(QStringLiteral("DayTime")).time();
    f.monthDay = t.asInt(QStringLiteral("MonthDay"));
    f.monthTime = t.asDateTime(QStringLiteral("MonthTime")).time();
    f.weekDay = t.asInt(QStringLiteral("WeekDay"));
    f.weekTime = t.asDateTime(QStringLiteral("WeekTime")).time();
    f.lastDay = t.asBool(QStringLiteral("LastDay"));
    f.propusk = t.asInt(QStringLiteral("Propusk"));
    f.vidArhivator = t.asInt(QStringLiteral("VidArhivator"));
    return f;
}

TaskFields newTaskFields() {
    TaskFields f;
    f.flag = true;
    f.nameArh = QStringLiteral("Archive");
    f.vidPeriod = 2;  // hourly
    f.monthDay = 1;
    f.monthTime = QTime(19, 42, 48);
    return f;
}

void setTaskFields(Table& t, const TaskFields& f) {
    t.setBool(kFlag, f.flag);
    t.setString(kName, f.name);
    t.setString(QStringLiteral("Opis"), f.opis);
    t.setInt(QStringLiteral("VidNameArh"), f.vidNameArh);
    t.setBool(QStringLiteral("Bak"), f.bak);
    t.setString(QStringLiteral("Path2"), f.path2);
    t.setString(QStringLiteral("NameArh"), f.nameArh);
    t.setInt(QStringLiteral("VidPeriod"), f.vidPeriod);
    t.setInt(QStringLiteral("Minuta"), f.minuta);
    t.setDateTime(QStringLiteral("DayTime"), onZeroDate(f.dayTime));
    t.setInt(QStringLiteral("MonthDay"), f.monthDay);
    t.setDateTime(QStringLiteral("MonthTime"), onZeroDate(f.monthTime));
    t.setInt(QStringLiteral("WeekDay"), f.weekDay);
    t.setDateTime(QStringLiteral("WeekTime"), onZeroDate(f.weekTime));
    t.setBool(QStringLiteral("LastDay"), f.lastDay);
    t.setInt(QStringLiteral("Propusk"), f.propusk);
    t.setInt(QStringLiteral("VidArhivator"), f.vidArhivator);
}

QStringList configurationNames(const Table& archivers) {
    QStringList names;
    const int name = archivers.fieldIndex(kName);
    for (int position = 0; position < archivers.recordCount(); ++position) {
        names << archivers.peekString(position, name);
    }
    return names;
}

int defaultConfiguration(const Table& archivers) {
    const int flag = archivers.fieldIndex(kFlag);
    for (int position = archivers.recordCount() - 1; position >= 0; --position) {
        if (archivers.peekBool(position, flag)) {
            return position;
        }
    }
    return -1;
}

int configurationPosition(const QStringList& names, const QString& nameArhSys) {
    for (int i = 0; i < names.size(); ++i) {
        if (names[i].compare(nameArhSys, Qt::CaseInsensitive) == 0) {
            return i;
        }
    }
    return -1;
}

QString normalizeDestinationFolder(const QString& text) {
    const auto trimmed = [](QChar c) {
        return c.unicode() <= 0x20 || c.category() == QChar::Other_Control;
    };
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && trimmed(text[begin])) {
        ++begin;
    }
    while (end > begin && trimmed(text[end - 1])) {
        --end;
    }
    QString out = text.mid(begin, end - begin);
    if (!out.isEmpty() && !out.endsWith(u'/')) {
        out += u'/';
    }
    return out;
}

PeriodControls periodControls(int vidPeriod) {
    PeriodControls c;
    c.missedRun = vidPeriod >= 2 && vidPeriod <= 5;
    c.hourly = vidPeriod == 2;
    c.daily = vidPeriod == 3;
    c.weekly = vidPeriod == 4;
    c.monthly = vidPeriod == 5;
    return c;
}

bool lastDayBoxShown(int monthDay) {
    return monthDay >= 29;
}

QString lastDayCaption(const MessageTexts& editorTexts, int monthDay) {
    return editorTexts.text(QStringLiteral("ct2")) + u' ' + QString::number(monthDay) + u')';
}

}  // namespace kv
