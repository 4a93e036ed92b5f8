#pragma once

#include <QList>
#include <QString>

#include "store/field.h"

namespace kv {

// The tables of the program folder and their layouts.
inline const QString kTasksFile = QStringLiteral("tasks.dbf");             // Table1
inline const QString kObjectsFile = QStringLiteral("tasksm.dbf");          // Table2
inline const QString kWorkingObjectsFile = QStringLiteral("tasksmt.dbf");  // Table3
inline const QString kArchiversFile = QStringLiteral("archers.dbf");       // Table4
// The tasks' settings that tasks.dbf has no field for: its layout stays as other programs and
// older copies know it.
inline const QString kTaskExtrasFile = QStringLiteral("tasksx.dbf");

// The fields of each table, declared once: name as stored (part of the file format), type and,
// for text, width (the most characters the field holds). Code reaches a field only through these;
// the layouts below list them in the order of the file. A further table is its file name, its
// fields and its layout.

// tasks.dbf
namespace TaskField {
// enabled (the check mark in the task list)
inline constexpr Field<bool> Flag{"Flag"};
// the task's name, unique, case counts
inline constexpr Field<QString> Name{"Name", 30};
// description
inline constexpr Field<QString> Opis{"Opis", 100};
// date in the archive name: 0 none, 1 date, 2 date and time
inline constexpr Field<int> VidNameArh{"VidNameArh"};
// keep the previous archive as .BAK
inline constexpr Field<bool> Bak{"Bak"};
// destination folder
inline constexpr Field<QString> Path2{"Path2", 255};
// archive file name
inline constexpr Field<QString> NameArh{"NameArh", 255};
// kind of archiver configuration
inline constexpr Field<int> VidArhivator{"VidArhivator"};
// name of the archiver configuration
inline constexpr Field<QString> NameArhSys{"NameArhSys", 30};
// archive command
inline constexpr Field<QString> NameArhivator1{"NameArhivator1", 255};
// extract command
inline constexpr Field<QString> NameArhivator2{"NameArhivator2", 255};
// the period (Period)
inline constexpr Field<int> VidPeriod{"VidPeriod"};
// hourly: the minute
inline constexpr Field<int> Minuta{"Minuta"};
// daily: the time of day
inline constexpr Field<QDateTime> DayTime{"DayTime"};
// monthly: the day
inline constexpr Field<int> MonthDay{"MonthDay"};
// monthly: the time of day
inline constexpr Field<QDateTime> MonthTime{"MonthTime"};
// weekly: 1 Monday .. 7 Sunday
inline constexpr Field<int> WeekDay{"WeekDay"};
// weekly: the time of day
inline constexpr Field<QDateTime> WeekTime{"WeekTime"};
// monthly: the month's last day when it is shorter
inline constexpr Field<bool> LastDay{"LastDay"};
// a missed run: 0 run at once, 1 wait for the next period
inline constexpr Field<int> Propusk{"Propusk"};
// a missed-run check is pending
inline constexpr Field<bool> IsPropusk{"IsPropusk"};
// the next run
inline constexpr Field<QDateTime> SledTime{"SledTime"};
// the next run as shown
inline constexpr Field<QString> SledTimeStr{"SledTimeStr", 30};
// the last run
inline constexpr Field<QDateTime> WorkTime{"WorkTime"};
// the list file, relative to the program folder
inline constexpr Field<QString> List{"List", 255};
// never written
inline constexpr Field<bool> IsClosed{"IsClosed"};
}  // namespace TaskField

// tasksm.dbf and tasksmt.dbf
namespace ObjectField {
// never written
inline constexpr Field<bool> Flag{"Flag"};
// the task the row belongs to
inline constexpr Field<QString> Name{"Name", 30};
// the object as the list file holds it
inline constexpr Field<QString> Path{"Path", 255};
// its folder when it was added
inline constexpr Field<QString> Path1{"Path1", 255};
// 1 a folder, 2 anything else
inline constexpr Field<int> TipFile1{"TipFile1"};
// its name when it was added
inline constexpr Field<QString> Name1{"Name1", 255};
// what was found when it was added
inline constexpr Field<QString> Size{"Size", 20};
}  // namespace ObjectField

// archers.dbf
namespace ArchiverField {
// the default configuration
inline constexpr Field<bool> Flag{"Flag"};
// the configuration's name
inline constexpr Field<QString> Name{"Name", 30};
// the archiver program
inline constexpr Field<QString> NameAr{"NameAr", 255};
// archive command letter
inline constexpr Field<QString> Param1{"Param1", 5};
// archive switches
inline constexpr Field<QString> Keys1{"Keys1", 25};
// the composed archive command
inline constexpr Field<QString> Arhstr1{"Arhstr1", 285};
// extract command letter
inline constexpr Field<QString> Param2{"Param2", 5};
// extract switches
inline constexpr Field<QString> Keys2{"Keys2", 25};
// the composed extract command
inline constexpr Field<QString> Arhstr2{"Arhstr2", 285};
// found by archiver discovery
inline constexpr Field<bool> Sys{"Sys"};
// archiver kind: 1 WinRAR, 2 WinZip, 0 other
inline constexpr Field<int> Tip{"Tip"};
}  // namespace ArchiverField

// tasksx.dbf: at most one row per task, found by the task's Name
namespace TaskExtraField {
// the task's name, as in tasks.dbf
inline constexpr Field<QString> Name{"Name", 30};
// which of the archives with a date in their name a confirmed run keeps (KeepRule)
inline constexpr Field<int> Keep{"Keep"};
// KeepRule::Newest: how many
inline constexpr Field<int> KeepCount{"KeepCount"};
// KeepRule::YoungerThan: the age in days
inline constexpr Field<int> KeepDays{"KeepDays"};
}  // namespace TaskExtraField

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

const QList<FieldDef>& tasksLayout();       // 26 fields
const QList<FieldDef>& objectsLayout();     // 7 fields; tasksm.dbf and tasksmt.dbf
const QList<FieldDef>& archiversLayout();   // 11 fields
const QList<FieldDef>& taskExtrasLayout();  // 4 fields

// A typed text as a text field keeps it: without its trailing blanks, which a field filled to
// its width loses when it is read back. Windows store this form, so that what they compare,
// store and show is one text.
QString withoutTrailingBlanks(const QString& text);

}  // namespace kv
