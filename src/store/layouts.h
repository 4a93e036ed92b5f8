#pragma once

#include <QList>
#include <QString>

#include "store/table.h"

namespace kv {

// The four tables of the program folder and their layouts.
inline const QString kTasksFile = QStringLiteral("tasks.dbf");             // Table1
inline const QString kObjectsFile = QStringLiteral("tasksm.dbf");          // Table2
inline const QString kWorkingObjectsFile = QStringLiteral("tasksmt.dbf");  // Table3
inline const QString kArchiversFile = QStringLiteral("archers.dbf");       // Table4

// The field names, as stored (they are part of the file format). Code names a field only
// through these.

// tasks.dbf
namespace TaskField {
// enabled (the check mark in the task list)
inline const QString Flag = QStringLiteral("Flag");
// the task's name, unique, case counts
inline const QString Name = QStringLiteral("Name");
// description
inline const QString Opis = QStringLiteral("Opis");
// date in the archive name: 0 none, 1 date, 2 date and time
inline const QString VidNameArh = QStringLiteral("VidNameArh");
// keep the previous archive as .BAK
inline const QString Bak = QStringLiteral("Bak");
// destination folder
inline const QString Path2 = QStringLiteral("Path2");
// archive file name
inline const QString NameArh = QStringLiteral("NameArh");
// kind of archiver configuration
inline const QString VidArhivator = QStringLiteral("VidArhivator");
// name of the archiver configuration
inline const QString NameArhSys = QStringLiteral("NameArhSys");
// archive command
inline const QString NameArhivator1 = QStringLiteral("NameArhivator1");
// extract command
inline const QString NameArhivator2 = QStringLiteral("NameArhivator2");
// the period (Period)
inline const QString VidPeriod = QStringLiteral("VidPeriod");
// hourly: the minute
inline const QString Minuta = QStringLiteral("Minuta");
// daily: the time of day
inline const QString DayTime = QStringLiteral("DayTime");
// monthly: the day
inline const QString MonthDay = QStringLiteral("MonthDay");
// monthly: the time of day
inline const QString MonthTime = QStringLiteral("MonthTime");
// weekly: 1 Monday .. 7 Sunday
inline const QString WeekDay = QStringLiteral("WeekDay");
// weekly: the time of day
inline const QString WeekTime = QStringLiteral("WeekTime");
// monthly: the month's last day when it is shorter
inline const QString LastDay = QStringLiteral("LastDay");
// a missed run: 0 run at once, 1 wait for the next period
inline const QString Propusk = QStringLiteral("Propusk");
// a missed-run check is pending
inline const QString IsPropusk = QStringLiteral("IsPropusk");
// the next run
inline const QString SledTime = QStringLiteral("SledTime");
// the next run as shown
inline const QString SledTimeStr = QStringLiteral("SledTimeStr");
// the last run
inline const QString WorkTime = QStringLiteral("WorkTime");
// the list file, relative to the program folder
inline const QString List = QStringLiteral("List");
// never written
inline const QString IsClosed = QStringLiteral("IsClosed");
}  // namespace TaskField

// tasksm.dbf and tasksmt.dbf
namespace ObjectField {
// never written
inline const QString Flag = QStringLiteral("Flag");
// the task the row belongs to
inline const QString Name = QStringLiteral("Name");
// the object as the list file holds it
inline const QString Path = QStringLiteral("Path");
// its folder when it was added
inline const QString Path1 = QStringLiteral("Path1");
// 1 a folder, 2 anything else
inline const QString TipFile1 = QStringLiteral("TipFile1");
// its name when it was added
inline const QString Name1 = QStringLiteral("Name1");
// what was found when it was added
inline const QString Size = QStringLiteral("Size");
}  // namespace ObjectField

// archers.dbf
namespace ArchiverField {
// the default configuration
inline const QString Flag = QStringLiteral("Flag");
// the configuration's name
inline const QString Name = QStringLiteral("Name");
// the archiver program
inline const QString NameAr = QStringLiteral("NameAr");
// archive command letter
inline const QString Param1 = QStringLiteral("Param1");
// archive switches
inline const QString Keys1 = QStringLiteral("Keys1");
// the composed archive command
inline const QString Arhstr1 = QStringLiteral("Arhstr1");
// extract command letter
inline const QString Param2 = QStringLiteral("Param2");
// extract switches
inline const QString Keys2 = QStringLiteral("Keys2");
// the composed extract command
inline const QString Arhstr2 = QStringLiteral("Arhstr2");
// found by archiver discovery
inline const QString Sys = QStringLiteral("Sys");
// archiver kind: 1 WinRAR, 2 WinZip, 0 other
inline const QString Tip = QStringLiteral("Tip");
}  // namespace ArchiverField

// The values of VidPeriod.
enum class Period {
    OnDemand = 0,
    AtEveryStart = 1,
    Hourly = 2,
    Daily = 3,
    Weekly = 4,
    Monthly = 5,
};

// A VidPeriod that names one of the periods above; a damaged or foreign table may hold others.
inline bool knownPeriod(int vidPeriod) {
    return vidPeriod >= int(Period::OnDemand) && vidPeriod <= int(Period::Monthly);
}

const QList<FieldDef>& tasksLayout();      // 26 fields
const QList<FieldDef>& objectsLayout();    // 7 fields; tasksm.dbf and tasksmt.dbf
const QList<FieldDef>& archiversLayout();  // 11 fields

// The width of a text field of a layout (the most characters it holds).
int fieldWidth(const QList<FieldDef>& layout, const QString& field);

// A typed text as a text field keeps it: without its trailing blanks, which a field filled to
// its width loses when it is read back. Windows store this form, so that what they compare,
// store and show is one text.
QString withoutTrailingBlanks(const QString& text);

}  // namespace kv
