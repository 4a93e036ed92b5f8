#pragma once

#include <QDateTime>
#include <QString>

namespace kv {

// Date and time texts of the program: the system locale's short date format and long time
// format, with the program-wide date and time separators in place of the locale's own.
// Until a separator is set, the locale's own is used. Under the C or POSIX locale the short
// date is "dd/MM/yyyy".

void setDateSeparator(const QString& separator);
void setTimeSeparator(const QString& separator);
QString dateSeparator();  // the one in force
QString timeSeparator();
// Sets the separators that every date and time text of the program uses from the first run of a
// task on: "." and ":".
void useRunSeparators();

// Formats with a Qt date-time pattern in which '/' stands for the date separator and ':' for the
// time separator, outside quoted text (for example "dd/MM/yyyy HH:mm").
QString formatDateTime(const QString& pattern, const QDateTime& value);

QString shortDateText(QDate date);  // the locale's short date
QString longTimeText(QTime time);   // the locale's long time (without a time-zone name)

// A date-time as the program shows it: the date, then, unless the time of day is 00:00:00
// (milliseconds ignored), a blank and the time. The zero date-time shows as the empty text.
QString dateTimeText(const QDateTime& value);

// Locale formats in use (tests set them to be independent of the machine). Both use '/' and ':'
// as placeholders for the separators, as formatDateTime() does.
void setLocaleFormats(const QString& shortDate, const QString& longTime);
void resetLocaleFormats();  // back to the system locale's

}  // namespace kv
