#include "app/startup.h"

#include <QDir>
#include <QFileInfo>
#include <algorithm>
#include <functional>

#include "archiving/findarchivers.h"
#include "archiving/runtask.h"
#include "language/dictionary.h"
#include "language/languageinuse.h"
#include "platform/codepage1251.h"
#include "platform/error.h"
#include "platform/inifile.h"
#include "platform/messagebox.h"
#include "platform/platformtexts.h"
#include "platform/programfolder.h"
#include "platform/regularfile.h"
#include "platform/savefile.h"
#include "store/programtables.h"

namespace kv {

QString mainWindowCaption(const QString& languageName) {
    return languageName == kRussian ? QStringLiteral("Кельвотрин") : kProgramName;
}

namespace {

// lang.txt holds one name; anything larger is no language file.
constexpr qint64 kMaxLanguageFile = 64 * 1024;

// The first line of lang.txt, without its line break: 1251, or UTF-8 by the dictionaries' rule;
// null when the file cannot be read.
QString firstLine(const QString& path, bool* readable) {
    const FileRead read = readRegularFile(path, kMaxLanguageFile);
    *readable = read.status == FileRead::Status::Read;
    if (!*readable) {
        return {};
    }
    const QByteArray& bytes = read.bytes;
    qsizetype end = 0;
    while (end < bytes.size() && end < 4095 && bytes[end] != '\r' && bytes[end] != '\n') {
        ++end;
    }
    const QByteArray line = bytes.left(end);
    if (cp1251::isUtf8Text(bytes)) {
        return QString::fromUtf8(line.startsWith("\xEF\xBB\xBF") ? line.mid(3) : line);
    }
    return cp1251::decode(line);
}

}  // namespace

QString languageNameAtEntry() {
    // A missing lang.txt cannot be opened either.
    bool readable = false;
    const QString name = firstLine(inProgramFolder(kLanguageFile), &readable);
    return readable ? name : kRussian;
}

void writeLanguageFile(const QString& name) {
    // A name that 1251 cannot hold (a dictionary named in another script) is kept in UTF-8.
    const QByteArray bytes = cp1251::canEncode(name) ? cp1251::encode(name) : name.toUtf8();
    saveWholeFile(inProgramFolder(kLanguageFile), bytes + "\r\n");
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
    IniFile dictionary(dictionaryPathOf(languageName));
    if (languageName == kRussian || !dictionary.exists()) {
        return entry.text;
    }
    return ReadDicText(entry.name, QStringLiteral("Form1"), dictionary, false, entry.text);
}

namespace {

bool createIfMissing(const QString& fileName, const QList<FieldDef>& layout) {
    if (QFileInfo::exists(inProgramFolder(fileName))) {
        return false;
    }
    Table::create(inProgramFolder(fileName), layout);
    return true;
}

// tasksx.dbf, made when missing; what the user should know about it.
QStringList openTaskExtras(Table& extras, const Table& tasks, const MainWindowTexts& texts) {
    QStringList messages;
    try {
        if (createIfMissing(kTaskExtrasFile, taskExtrasLayout()) && tasks.isOpen()) {
            // Only a task with a date in its archive names could have kept fewer archives.
            const auto vidNameArh = tasks.fieldIndex(TaskField::VidNameArh);
            for (int position = 0; position < tasks.recordCount(); ++position) {
                if (archiveNameIsDated(tasks.peekInt(position, vidNameArh))) {
                    messages << texts.text(Form1Text::cm96).arg(kTaskExtrasFile);
                    break;
                }
            }
        }
        extras.open();
    } catch (const Error& e) {
        messages << texts.text(Form1Text::cm97).arg(e.message(), kTaskExtrasFile);
    }
    return messages;
}

}  // namespace

// An error ends only its step, and the start-up goes on.
QStringList createAndOpenTables(ProgramTables& tables, const MainWindowTexts& texts) {
    QStringList failures;
    const auto step = [&failures](const std::function<void()>& work) {
        try {
            work();
        } catch (const Error& e) {
            failures << e.message();
        }
    };
    step([&] {
        createIfMissing(kTasksFile, tasksLayout());
        tables.tasks.open();
    });
    step([&] {
        createIfMissing(kObjectsFile, objectsLayout());
        tables.objects.open();
    });
    step([&] {
        createIfMissing(kWorkingObjectsFile, objectsLayout());
        tables.working.open();
    });
    step([&] {
        if (createIfMissing(kArchiversFile, archiversLayout())) {
            FindArchivers(tables.archivers, texts);
            FindArchiversOnPath(tables.archivers, texts);
        }
    });
    failures += openTaskExtras(tables.extras, tables.tasks, texts);
    return failures;
}

void ensureListsFolder() {
    const QString path = inProgramFolder(kListsFolder);
    if (!QFileInfo(path).isDir()) {
        QDir().mkpath(path);
    }
}

}  // namespace kv
