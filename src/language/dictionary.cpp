#include "language/dictionary.h"

#include "platform/error.h"
#include "platform/inifile.h"

namespace kv {

MessageTable<DictionaryText>& dictionaryTexts() {
    static MessageTable<DictionaryText> texts({
        {DictionaryText::NoDictionary, QStringLiteral("cd1"), QStringLiteral("No exists ")},
        {DictionaryText::CannotWrite, QStringLiteral("cd2"),
         QStringLiteral("Unable to write to %s")},
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
        QString message = dictionaryTexts().text(DictionaryText::CannotWrite);
        throw Error(message.replace(QLatin1String("%s"), dictionary.path()));
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
