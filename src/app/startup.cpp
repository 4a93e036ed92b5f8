#include "app/startup.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <algorithm>

#include "archiving/findarchivers.h"
#include "language/dictionary.h"
#include "language/languageinuse.h"
#include "platform/codepage1251.h"
#include "platform/error.h"
#include "platform/inifile.h"
#include "platform/messagebox.h"
#include "platform/platformtexts.h"
#include "platform/programfolder.h"
#include "store/layouts.h"
#include "store/table.h"

namespace kv {

QString mainWindowCaption(const QString& languageName) {
    return languageName == kRussian ? QStringLiteral("Кельвотрин") : QStringLiteral("Kelvotrin");
}

namespace {

// The first line of a 1251 text file, without its line break; null when the file cannot be read.
QString firstLine(const QString& path, bool* readable) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *readable = false;
        return {};
    }
    *readable = true;
    QByteArray line = file.readLine(4096);
    while (line.endsWith('\n') || line.endsWith('\r')) {
        line.chop(1);
    }
    return cp1251::decode(line);
}

}  // namespace

QString languageNameAtEntry() {
    const QString path = inProgramFolder(kLanguageFile);
    if (!QFileInfo::exists(path)) {
        return kRussian;
    }
    bool readable = false;
    const QString name = firstLine(path, &readable);
    return readable ? name : kRussian;
}

void writeLanguageFile(const QString& name) {
    const QString path = inProgramFolder(kLanguageFile);
    const auto failed = [&path](const QSaveFile& file) {
        return Error(platformText(PlatformText::CannotWrite)
                         .arg(QDir::toNativeSeparators(path), file.errorString()));
    };
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        throw failed(file);
    }
    const QByteArray bytes = cp1251::encode(name) + "\r\n";
    // commit() does not notice a failure of the write that it flushes itself (a full disk), and
    // would put an empty file in place: the write is flushed and checked first. Unless committed,
    // QSaveFile removes its temporary file and the old lang.txt stays as it was.
    if (file.write(bytes) != bytes.size() || !file.flush()) {
        throw failed(file);
    }
    if (!file.commit()) {
        throw failed(file);
    }
}

QString readOrCreateLanguageFile() {
    const QString path = inProgramFolder(kLanguageFile);
    if (QFileInfo::exists(path)) {
        bool readable = false;
        const QString name = firstLine(path, &readable);
        if (!readable) {
            throw Error(platformText(PlatformText::CannotRead).arg(QDir::toNativeSeparators(path)));
        }
        return name;
    }
    writeLanguageFile(kRussian);
    return kRussian;
}

QStringList dictionaryLanguages(bool* present) {
    QDir dir(programFolder());
    const QFileInfoList entries = dir.entryInfoList(
        {QStringLiteral("*.dic")},
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    QStringList names;
    for (const QFileInfo& entry : entries) {
        // isFile() and isDir() follow links, and neither holds for a socket, FIFO or device.
        if (!entry.isFile() && !entry.isDir()) {
            continue;
        }
        // The name without the part after its last dot.
        const QString name = entry.fileName();
        names << name.left(name.lastIndexOf(u'.'));
    }
    *present = !names.isEmpty();
    std::sort(names.begin(), names.end(), [](const QString& a, const QString& b) {
        return a.compare(b, Qt::CaseInsensitive) < 0;
    });
    return names;
}

QString textAtEntry(Form1Text key, const QString& languageName) {
    const MainWindowTexts texts = mainWindowTexts();
    const MainWindowTexts::Entry& entry = texts.entries()[qsizetype(key)];
    const IniFile dictionary(dictionaryPathOf(languageName));
    if (languageName == kRussian || !dictionary.exists()) {
        return entry.text;
    }
    const QString found = dictionary.readString(QStringLiteral("Form1"), entry.name);
    return found.isEmpty() ? entry.text : found;
}

namespace {

bool createIfMissing(const QString& fileName, const QList<FieldDef>& layout) {
    if (QFileInfo::exists(inProgramFolder(fileName))) {
        return false;
    }
    Table::create(inProgramFolder(fileName), layout);
    return true;
}

}  // namespace

// Each step reports its error, and the start-up goes on.
void createAndOpenTables(Table& tasks, Table& objects, Table& workingObjects, Table& archivers,
                         const MainWindowTexts& texts) {
    runReportingErrors([&] {
        createIfMissing(kTasksFile, tasksLayout());
        tasks.open();
    });
    runReportingErrors([&] {
        createIfMissing(kObjectsFile, objectsLayout());
        objects.open();
    });
    runReportingErrors([&] {
        createIfMissing(kWorkingObjectsFile, objectsLayout());
        workingObjects.open();
    });
    runReportingErrors([&] {
        if (createIfMissing(kArchiversFile, archiversLayout())) {
            FindArchivers(archivers, texts);
        }
    });
}

void ensureListsFolder() {
    const QString path = inProgramFolder(kListsFolder);
    if (!QFileInfo(path).isDir()) {
        QDir().mkpath(path);
    }
}

}  // namespace kv
