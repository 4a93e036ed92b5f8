#include "platform/programfolder.h"

namespace kv {
namespace {
QString folder = QStringLiteral("./");
}

QString programFolder() {
    return folder;
}

void setProgramFolder(const QString& f) {
    folder = f.endsWith(u'/') ? f : f + u'/';
}

QString inProgramFolder(const QString& relative) {
    return folder + relative;
}

}  // namespace kv
