#include "language/languageinuse.h"

#include "platform/programfolder.h"

namespace kv {

QString LanguageInUse::dictionaryPath() const {
    return inProgramFolder(currentLanguage + QStringLiteral(".dic"));
}

}  // namespace kv
