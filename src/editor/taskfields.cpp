#include "editor/taskfields.h"

#include <QDir>

#include "platform/clock.h"
#include "store/layouts.h"

namespace kv {
namespace {

QDateTime onZeroDate(const QTime& time) {
    return naiveDateTime(zeroDateTime().date(), time);
}

}  // namespace

TaskFields readTaskFields(const Table& t) {
    TaskFields f;
    f.flag = t.asBool(TaskField::Flag);
    f.name = t.asString(TaskField::Name);
    f.opis = t.asString(TaskField::Opis);
    f.vidNameArh = t.asInt(TaskField::VidNameArh);
    f.bak = t.asBool(TaskField::Bak);
    f.path2 = t.asString(TaskField::Path2);
    f.nameArh = t.asString(TaskField::NameArh);
    f.vidPeriod = t.asInt(TaskField::VidPeriod);
    f.minuta = t.asInt(TaskField::Minuta);
    f.dayTime = t.asDateTime(TaskField::DayTime).time();
    f.monthDay = t.asInt(TaskField::MonthDay);
    f.monthTime = t.asDateTime(TaskField::MonthTime).time();
    f.weekDay = t.asInt(TaskField::WeekDay);
    f.weekTime = t.asDateTime(TaskField::WeekTime).time();
    f.lastDay = t.asBool(TaskField::LastDay);
    f.propusk = t.asInt(TaskField::Propusk);
    f.vidArhivator = t.asInt(TaskField::VidArhivator);
    return f;
}

QString defaultDestinationFolder() {
    return QDir(QDir::homePath()).filePath(QStringLiteral("Backups")) + u'/';
}

TaskFields newTaskFields() {
    TaskFields f;
    f.flag = true;
    f.path2 = defaultDestinationFolder();
    f.nameArh = QStringLiteral("Archive");
    f.vidPeriod = int(Period::Hourly);
    f.monthDay = 1;
    f.monthTime = QTime(19, 42, 48);
    return f;
}

void setTaskFields(Table& t, const TaskFields& f) {
    t.setBool(TaskField::Flag, f.flag);
    t.setString(TaskField::Name, f.name);
    t.setString(TaskField::Opis, f.opis);
    t.setInt(TaskField::VidNameArh, f.vidNameArh);
    t.setBool(TaskField::Bak, f.bak);
    t.setString(TaskField::Path2, f.path2);
    t.setString(TaskField::NameArh, f.nameArh);
    t.setInt(TaskField::VidPeriod, f.vidPeriod);
    t.setInt(TaskField::Minuta, f.minuta);
    t.setDateTime(TaskField::DayTime, onZeroDate(f.dayTime));
    t.setInt(TaskField::MonthDay, f.monthDay);
    t.setDateTime(TaskField::MonthTime, onZeroDate(f.monthTime));
    t.setInt(TaskField::WeekDay, f.weekDay);
    t.setDateTime(TaskField::WeekTime, onZeroDate(f.weekTime));
    t.setBool(TaskField::LastDay, f.lastDay);
    t.setInt(TaskField::Propusk, f.propusk);
    t.setInt(TaskField::VidArhivator, f.vidArhivator);
}

TaskFields withStoredTexts(TaskFields f) {
    for (QString* text : {&f.name, &f.opis, &f.path2, &f.nameArh}) {
        *text = withoutTrailingBlanks(*text);
    }
    return f;
}

QStringList configurationNames(const Table& archivers) {
    QStringList names;
    const auto name = archivers.fieldIndex(ArchiverField::Name);
    for (int position = 0; position < archivers.recordCount(); ++position) {
        names << archivers.peekString(position, name);
    }
    return names;
}

int defaultConfiguration(const Table& archivers) {
    const auto flag = archivers.fieldIndex(ArchiverField::Flag);
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
    c.missedRun = vidPeriod >= int(Period::Hourly) && vidPeriod <= int(Period::Monthly);
    c.hourly = vidPeriod == int(Period::Hourly);
    c.daily = vidPeriod == int(Period::Daily);
    c.weekly = vidPeriod == int(Period::Weekly);
    c.monthly = vidPeriod == int(Period::Monthly);
    return c;
}

bool lastDayBoxShown(int monthDay) {
    return monthDay >= 29;
}

QString lastDayCaption(const EditorTexts& texts, int monthDay) {
    return texts.text(Form2Text::ct2) + u' ' + QString::number(monthDay) + u')';
}

}  // namespace kv
