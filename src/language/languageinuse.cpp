#include "language/languageinuse.h"

#include "platform/programfolder.h"

namespace kv {

QString dictionaryPathOf(const QString& languageName) {
    QString name = languageName;
    name.replace(u'/', u'_');
    return inProgramFolder(name + QStringLiteral(".dic"));
}

QString LanguageInUse::dictionaryPath() const {
    return dictionaryPathOf(currentLanguage);
}

}  // namespace kv
