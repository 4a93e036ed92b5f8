#include "language/dictionary.h"

#include "platform/inifile.h"
#include "store/storeerror.h"

namespace kv {

MessageTexts& dictionaryTexts() {
    static MessageTexts texts({
        {QStringLiteral("cd1"), QStringLiteral("No exists ")},
        {QStringLiteral("cd2"), QStringLiteral("Unable to write to %s")},
    });
    return texts;
}

QString ReadDicText(const QString& key, const QString& section, IniFile& dictionary, bool writeBack,
                    const QString& defaultText) {
    if (key.isEmpty()) {
        return defaultText;
    }
    QString found = dictionary.readString(section, key);
    if (!found.isEmpty()) {
        return found;
    }
    if (writeBack && !dictionary.writeString(section, key, defaultText)) {
        QString message = dictionaryTexts().text(QStringLiteral("cd2"));
        throw StoreError(message.replace(QLatin1String("%s"), dictionary.path()));
    }
    return defaultText;
}

QString ReadDicTextOrKey(const QString& key, const QString& section, const IniFile& dictionary) {
    if (key.isEmpty()) {
        return key;
    }
    QString found = dictionary.readString(section, key);
    return found.isEmpty() ? key : found;
}

}  // namespace kv
