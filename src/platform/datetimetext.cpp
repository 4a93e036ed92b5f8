#include "platform/datetimetext.h"

#include <QLocale>

#include "platform/clock.h"

namespace kv {
namespace {

QString dateSep;  // empty: the locale's own
QString timeSep;
QString shortDateTemplate;  // locale formats with '/' and ':' as placeholders
QString longTimeTemplate;
QString localeDateSep;
QString localeTimeSep;
bool formatsLoaded = false;

bool isPatternLetter(QChar c) {
    return c.isLetter();
}

// Replaces the first separator character of a locale format (outside quotes) by `placeholder`
// everywhere outside quotes; returns the character found in `found`.
QString toTemplate(const QString& format, QChar placeholder, QString* found) {
    QChar sep;
    bool quoted = false;
    for (QChar c : format) {
        if (c == u'\'') {
            quoted = !quoted;
        } else if (!quoted && !isPatternLetter(c) && !c.isSpace()) {
            sep = c;
            break;
        }
    }
    *found = sep.isNull() ? QString(placeholder) : QString(sep);
    if (sep.isNull()) {
        return format;
    }
    QString out;
    quoted = false;
    for (QChar c : format) {
        if (c == u'\'') {
            quoted = !quoted;
        }
        out += (!quoted && c == sep) ? placeholder : c;
    }
    return out;
}

// The long time format without its time-zone name: program times are naive.
QString withoutTimeZone(QString format) {
    QString out;
    bool quoted = false;
    for (QChar c : format) {
        if (c == u'\'') {
            quoted = !quoted;
        }
        if (!quoted && c == u't') {
            continue;
        }
        out += c;
    }
    return out.trimmed();
}

// Whether dates and times follow the C (or POSIX) locale, decided as the C library chooses the
// locale of LC_TIME: LC_ALL, else LC_TIME, else LANG, else C.
bool timeLocaleIsC() {
    QString name = qEnvironmentVariable("LC_ALL");
    if (name.isEmpty()) {
        name = qEnvironmentVariable("LC_TIME");
    }
    if (name.isEmpty()) {
        name = qEnvironmentVariable("LANG");
    }
    return name.isEmpty() || QLocale(name).language() == QLocale::C;
}

void loadLocaleFormats() {
    if (formatsLoaded) {
        return;
    }
    const QLocale locale = QLocale::system();
    // The C locale's short date spells the month ("9 Dec 2026") and has no separator to replace.
    const QString shortDate =
        timeLocaleIsC() ? QStringLiteral("dd/MM/yyyy") : locale.dateFormat(QLocale::ShortFormat);
    shortDateTemplate = toTemplate(shortDate, u'/', &localeDateSep);
    longTimeTemplate =
        toTemplate(withoutTimeZone(locale.timeFormat(QLocale::LongFormat)), u':', &localeTimeSep);
    formatsLoaded = true;
}

QString quote(const QString& text) {
    QString q = text;
    q.replace(u'\'', QStringLiteral("''"));
    return u'\'' + q + u'\'';
}

// Turns a pattern with placeholders into a Qt format with the separators quoted in.
QString toQtFormat(const QString& pattern) {
    QString out;
    bool quoted = false;
    for (QChar c : pattern) {
        if (c == u'\'') {
            quoted = !quoted;
            out += c;
        } else if (!quoted && c == u'/') {
            out += quote(dateSeparator());
        } else if (!quoted && c == u':') {
            out += quote(timeSeparator());
        } else {
            out += c;
        }
    }
    return out;
}

}  // namespace

void setDateSeparator(const QString& separator) {
    dateSep = separator;
}
void setTimeSeparator(const QString& separator) {
    timeSep = separator;
}

QString dateSeparator() {
    loadLocaleFormats();
    return dateSep.isEmpty() ? localeDateSep : dateSep;
}

QString timeSeparator() {
    loadLocaleFormats();
    return timeSep.isEmpty() ? localeTimeSep : timeSep;
}

void useRunSeparators() {
    setDateSeparator(QStringLiteral("."));
    setTimeSeparator(QStringLiteral(":"));
}

QString formatDateTime(const QString& pattern, const QDateTime& value) {
    return QLocale::system().toString(value, toQtFormat(pattern));
}

QString shortDateText(QDate date) {
    loadLocaleFormats();
    return QLocale::system().toString(date, toQtFormat(shortDateTemplate));
}

QString longTimeText(QTime time) {
    loadLocaleFormats();
    return QLocale::system().toString(time, toQtFormat(longTimeTemplate));
}

QString dateTimeText(const QDateTime& value) {
    if (isZeroDateTime(value)) {
        return {};
    }
    const QTime t = value.time();
    if (t.hour() == 0 && t.minute() == 0 && t.second() == 0) {
        return shortDateText(value.date());
    }
    return shortDateText(value.date()) + u' ' + longTimeText(t);
}

void setLocaleFormats(const QString& shortDate, const QString& longTime) {
    loadLocaleFormats();
    shortDateTemplate = shortDate;
    longTimeTemplate = longTime;
}

void resetLocaleFormats() {
    formatsLoaded = false;
}

}  // namespace kv
