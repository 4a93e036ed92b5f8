#include "platform/desktopentry.h"

namespace kv {

QString desktopEntryString(const QString& value) {
    QString out;
    out.reserve(value.size() + 8);
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value[i];
        if (c == u'\\') {
            out += QStringLiteral("\\\\");
        } else if (c == u'\n') {
            out += QStringLiteral("\\n");
        } else if (c == u'\t') {
            out += QStringLiteral("\\t");
        } else if (c == u'\r') {
            out += QStringLiteral("\\r");
        } else if (c == u' ' && i == 0) {
            out += QStringLiteral("\\s");
        } else {
            out += c;
        }
    }
    return out;
}

QString desktopEntryExecArgument(const QString& argument) {
    QString quoted(u'"');
    for (QChar c : argument) {
        if (c == u'"' || c == u'`' || c == u'$' || c == u'\\') {
            quoted += u'\\';
        } else if (c == u'%') {
            quoted += u'%';
        }
        quoted += c;
    }
    quoted += u'"';
    return desktopEntryString(quoted);
}

}  // namespace kv
