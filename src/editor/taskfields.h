#pragma once

#include <QStringList>
#include <QTime>

#include "editor/form2texts.h"
#include "store/table.h"

namespace kv {

// The fields of a task row that the task editor shows and saves, one member per field, holding
// what the field holds (WeekDay 1 Monday to 7 Sunday, 0 none; VidArhivator 0 without archiver).
// Of the three times only the time of day counts.
struct TaskFields {
    bool flag = false;      // Flag: the task is enabled
    QString name;           // Name
    QString opis;           // Opis: description
    int vidNameArh = 0;     // VidNameArh: 0 name, 1 name and date, 2 name, date and time
    bool bak = false;       // Bak: keep a .BAK copy
    QString path2;          // Path2: destination folder
    QString nameArh;        // NameArh: archive file name
    int vidPeriod = 0;      // VidPeriod: 0 on demand ... 5 monthly
    int minuta = 0;         // Minuta: hourly, the minute
    QTime dayTime{0, 0};    // DayTime: daily
    int monthDay = 0;       // MonthDay: monthly, the day
    QTime monthTime{0, 0};  // MonthTime: monthly
    int weekDay = 0;        // WeekDay: weekly, the day
    QTime weekTime{0, 0};   // WeekTime: weekly
    bool lastDay = false;   // LastDay: monthly, the last day of shorter months
    int propusk = 0;        // Propusk: a missed run, 0 at once, 1 at the next period
    int vidArhivator = 1;   // VidArhivator: 1 with the chosen configuration, 0 without archiver

    bool operator==(const TaskFields&) const = default;
};

// The fields of the current row of tasks.dbf (empty values on an empty table).
TaskFields readTaskFields(const Table& tasks);
// The destination folder of a new task: "Backups/" in the user's home folder. Nothing makes it
// beforehand: the archiver makes the folders of the archive path that are missing (7-Zip
// does), so it appears with the first archive.
QString defaultDestinationFolder();
// What the editor shows for a new task: enabled, hourly, the archive "Archive" in the default
// destination folder.
TaskFields newTaskFields();
// Sets the fields on the row being edited or inserted (times on the zero date).
void setTaskFields(Table& tasks, const TaskFields& fields);
// The fields with their texts as tasks.dbf keeps them: without trailing blanks.
TaskFields withStoredTexts(TaskFields fields);

// The configuration choice: the Name of every archers.dbf row in table order; the position of
// the last row marked for new tasks (Flag), -1 when none is; the position of the first name
// equal to `nameArhSys` regardless of case, -1 when none is.
QStringList configurationNames(const Table& archivers);
int defaultConfiguration(const Table& archivers);
int configurationPosition(const QStringList& names, const QString& nameArhSys);

// The destination folder as it is stored: blanks and control characters at either end removed,
// then a closing '/' when the text is not empty and has none.
QString normalizeDestinationFolder(const QString& text);

// Which schedule controls a period shows.
struct PeriodControls {
    bool missedRun = false;  // the missed-run choice
    bool hourly = false;     // minute of the hour
    bool daily = false;      // time of day
    bool weekly = false;     // weekday and time
    bool monthly = false;    // day, time, and the last-day box by the day rule
};
PeriodControls periodControls(int vidPeriod);

// The day rule: the last-day box is shown from day 29 on, captioned with ct2, a blank, the day
// and ")".
bool lastDayBoxShown(int monthDay);
QString lastDayCaption(const EditorTexts& texts, int monthDay);

}  // namespace kv
