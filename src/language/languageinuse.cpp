#include "language/languageinuse.h"

#include <QDir>
#include <QFileInfo>

#include "platform/programfolder.h"

namespace kv {

QString dictionaryPathOf(const QString& languageName) {
    QString name = languageName;
    name.replace(u'/', u'_');
    const QString path = inProgramFolder(name + QStringLiteral(".dic"));
    if (QFileInfo::exists(path)) {
        return path;
    }
    const QStringList spellings =
        QDir(programFolder())
            .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QString& entry : spellings) {
        if (entry.size() == name.size() + 4 && entry.startsWith(name) &&
            entry.endsWith(QStringLiteral(".dic"), Qt::CaseInsensitive)) {
            return inProgramFolder(entry);
        }
    }
    return path;
}

QString LanguageInUse::dictionaryPath() const {
    return dictionaryPathOf(currentLanguage);
}

}  // namespace kv
