#include "language/dictionary.h"

#include <QSet>

#include "platform/inifile.h"
#include "platform/messagebox.h"

namespace kv {

MessageTable<DictionaryText>& dictionaryTexts() {
    static MessageTable<DictionaryText> texts({
        {DictionaryText::NoDictionary, QStringLiteral("cd1"), QStringLiteral("No exists ")},
        {DictionaryText::CannotWrite, QStringLiteral("cd2"),
         QStringLiteral("Unable to write to %s")},
        {DictionaryText::TooLarge, QStringLiteral("cm41"),
         QStringLiteral("Словарь %1 не прочитан: он больше %2 МиБ.")},
    });
    return texts;
}

namespace {

// The dictionaries whose trouble the user has been told of, so that every window that opens
// does not tell it again.
QSet<QString>& failedWrites() {
    static QSet<QString> paths;
    return paths;
}
QSet<QString>& tooLarge() {
    static QSet<QString> paths;
    return paths;
}

}  // namespace

void reportWriteBackFailure(const IniFile& dictionary) {
    if (!dictionary.writeFailed() || failedWrites().contains(dictionary.path())) {
        return;
    }
    failedWrites().insert(dictionary.path());
    QString message = dictionaryTexts().text(DictionaryText::CannotWrite);
    messageBox(message.replace(QLatin1String("%s"), dictionary.path()));
}

void reportTooLarge(const IniFile& dictionary) {
    if (tooLarge().contains(dictionary.path())) {
        return;
    }
    tooLarge().insert(dictionary.path());
    messageBox(dictionaryTexts()
                   .text(DictionaryText::TooLarge)
                   .arg(dictionary.path())
                   .arg(IniFile::kMaxFileSize / (1024 * 1024)));
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
    if (writeBack && !dictionary.writeFailed() && !dictionary.tooLarge() &&
        dictionary.writeString(section, key, defaultText)) {
        failedWrites().remove(dictionary.path());
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
