#include "editor/savetask.h"

#include <QDir>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSet>
#include <optional>

#include "platform/clock.h"
#include "platform/codepage1251.h"
#include "platform/error.h"
#include "platform/programfolder.h"
#include "store/layouts.h"

namespace kv {
namespace {

constexpr int kListNumbers = 1000000;
constexpr int kListDraws = 100000;  // draws before giving up on a folder that is nearly full

// The width of the field in the open table, which may be another program's file.
int fieldWidth(const Table& table, const Field<QString>& field) {
    const int i = table.fieldIndex(field).value();
    return i < 0 ? 0 : table.fields().at(i).width;
}

// The first row whose Name equals `name` (exact), -1 when none does.
int findTask(const Table& tasks, const QString& name) {
    const auto field = tasks.fieldIndex(TaskField::Name);
    for (int position = 0; position < tasks.recordCount(); ++position) {
        if (tasks.peekString(position, field) == name) {
            return position;
        }
    }
    return -1;
}

// Whether a row other than `edited` has the name, its trailing blanks aside: a name stored with
// them by an earlier release shows the same as `name`.
bool nameTaken(const Table& tasks, const QString& name, int edited) {
    const auto field = tasks.fieldIndex(TaskField::Name);
    for (int position = 0; position < tasks.recordCount(); ++position) {
        if (position != edited &&
            withoutTrailingBlanks(tasks.peekString(position, field)) == name) {
            return true;
        }
    }
    return false;
}

// The configuration's commands and name as the task keeps them.
struct Configuration {
    QString name;
    QString archive;
    QString extract;
};

// The chosen configuration's commands and name; with none chosen, those the edited task keeps
// (none for a new task), so that a save never empties them.
Configuration taskConfiguration(const Table& archivers, int position, const Table& tasks,
                                int edited) {
    // A closed table raises its error here rather than leave the commands empty.
    if (position >= 0 && (!archivers.isOpen() || position < archivers.recordCount())) {
        return {archivers.peekString(position, archivers.fieldIndex(ArchiverField::Name)),
                archivers.peekString(position, archivers.fieldIndex(ArchiverField::Arhstr1)),
                archivers.peekString(position, archivers.fieldIndex(ArchiverField::Arhstr2))};
    }
    if (edited < 0) {
        return {};
    }
    return {tasks.peekString(edited, tasks.fieldIndex(TaskField::NameArhSys)),
            tasks.peekString(edited, tasks.fieldIndex(TaskField::NameArhivator1)),
            tasks.peekString(edited, tasks.fieldIndex(TaskField::NameArhivator2))};
}

// Why the save is refused, or nothing when it may go on. `f` holds the texts as stored.
std::optional<QString> refusal(const Table& tasks, const QString& typedName, const TaskFields& f,
                               bool nameTaken, const Configuration& configuration,
                               const EditorTexts& texts) {
    if (typedName.isEmpty()) {
        return texts.text(Form2Text::cm5);
    }
    if (typedName.trimmed().isEmpty()) {
        return texts.text(Form2Text::cm7);
    }
    if (const int width = fieldWidth(tasks, TaskField::Name); f.name.size() > width) {
        return texts.text(Form2Text::cm8).arg(width);
    }
    if (!cp1251::canEncode(f.name)) {
        return texts.text(Form2Text::cm10).arg(f.name);
    }
    if (nameTaken) {
        return texts.text(Form2Text::cm6);
    }
    // The run puts both into a quoted argument of the archiver's command line.
    for (const QString* text : {&f.path2, &f.nameArh}) {
        if (text->contains(u'"')) {
            return texts.text(Form2Text::cm11).arg(*text);
        }
    }
    const std::pair<Field<QString>, const QString*> typed[] = {
        {TaskField::Opis, &f.opis},
        {TaskField::Path2, &f.path2},
        {TaskField::NameArh, &f.nameArh},
    };
    for (const auto& [field, text] : typed) {
        const int width = fieldWidth(tasks, field);
        if (text->size() > width) {
            return texts.text(Form2Text::cm9).arg(*text, QString::number(width));
        }
        if (!cp1251::canEncode(*text)) {
            return texts.text(Form2Text::cm10).arg(*text);
        }
    }
    // A command cut to its field would run something else than the configuration says.
    const int commandWidth = std::min(fieldWidth(tasks, TaskField::NameArhivator1),
                                      fieldWidth(tasks, TaskField::NameArhivator2));
    if (configuration.archive.size() > commandWidth ||
        configuration.extract.size() > commandWidth) {
        return texts.text(Form2Text::cm12).arg(configuration.name, QString::number(commandWidth));
    }
    // Every run would fail to start an archiver.
    if (configuration.archive.trimmed().isEmpty()) {
        return texts.text(Form2Text::cm20);
    }
    return std::nullopt;
}

// --- the list file ------------------------------------------------------------------------------

Error listError(const EditorTexts& texts, const QString& list, const QString& why) {
    return Error(texts.text(Form2Text::cm18).arg(list, why));
}

// A number below 1000000 that names no file in Lists and no list of another task.
QString drawListName(const Table& tasks, FileIo& io, const EditorTexts& texts) {
    QSet<QString> taken;
    const auto field = tasks.fieldIndex(TaskField::List);
    for (int position = 0; position < tasks.recordCount(); ++position) {
        taken.insert(listFileName(tasks.peekString(position, field)));
    }
    const qint64 ms = clock().now().toMSecsSinceEpoch();
    QRandomGenerator random(quint32(ms) ^ quint32(ms >> 32));
    for (int draw = 0; draw < kListDraws; ++draw) {
        const QString name = QStringLiteral("Lists/%1.txt").arg(random.bounded(kListNumbers));
        if (!taken.contains(name) && !io.exists(programFolder() + name)) {
            return name;
        }
    }
    throw Error(texts.text(Form2Text::cm19));
}

void writeWhole(FileIo& io, const QString& path, const QByteArray& bytes, const QString& list,
                const EditorTexts& texts) {
    auto file = io.open(path, FileIo::Mode::Create, FileIo::Links::NotFollowed);
    if (!file) {
        throw listError(texts, list, io.errorString());
    }
    if (file->write(0, bytes.constData(), bytes.size()) != bytes.size() || !file->sync()) {
        const QString why = file->errorString();
        file.reset();
        io.remove(path);
        throw listError(texts, list, why);
    }
}

std::optional<QByteArray> readWhole(FileIo& io, const QString& path, const QString& list,
                                    const EditorTexts& texts) {
    if (!io.exists(path)) {
        return std::nullopt;
    }
    auto file = io.open(path, FileIo::Mode::ReadOnly, FileIo::Links::Follow);
    const qint64 size = file ? file->size() : -1;
    QByteArray bytes(qMax<qint64>(size, 0), '\0');
    if (size < 0 || file->read(0, bytes.data(), size) != size) {
        throw listError(texts, list, file ? file->errorString() : io.errorString());
    }
    return bytes;
}

// The list file: written beside its place first, then renamed over it; the former contents
// are kept to put them back.
class ListFile {
public:
    ListFile(FileIo& io, QString list, const EditorTexts& texts)
        : io_(io),
          list_(std::move(list)),
          path_(programFolder() + list_),
          beside_(path_ + QStringLiteral(".new")),
          texts_(texts) {}
    ~ListFile() {
        if (!placed_) {
            io_.remove(beside_);
        }
    }
    ListFile(const ListFile&) = delete;
    ListFile& operator=(const ListFile&) = delete;

    bool hadFormer() const { return former_.has_value(); }
    bool placed() const { return placed_; }

    void prepare(const QByteArray& contents) {
        QDir().mkpath(programFolder() + QStringLiteral("Lists"));
        former_ = readWhole(io_, path_, list_, texts_);
        writeWhole(io_, beside_, contents, list_, texts_);
    }
    void place() {
        if (!io_.rename(beside_, path_)) {
            throw listError(texts_, list_, io_.errorString());
        }
        placed_ = true;
        io_.syncFolderOf(path_);
    }
    void putBack() {
        if (!former_) {
            if (!io_.remove(path_)) {
                throw listError(texts_, list_, io_.errorString());
            }
            return;
        }
        placed_ = false;
        writeWhole(io_, beside_, *former_, list_, texts_);
        place();
    }

private:
    FileIo& io_;
    QString list_;
    QString path_;
    QString beside_;
    const EditorTexts& texts_;
    std::optional<QByteArray> former_;
    bool placed_ = false;
};

// --- the object rows ----------------------------------------------------------------------------

// Deletes, within a batch, every object row of the task `name`; returns how many.
int deleteRowsOf(Table& objects, const QString& name) {
    return deleteRowsWhere(objects, ObjectField::Name, name);
}

// The working rows under `name`, in place of the rows stored under it.
void replaceObjectRows(Table& objects, const Table& working, const QString& name) {
    Batch batch(objects);
    const int deleted = deleteRowsOf(objects, name);
    const int rows = working.recordCount();
    for (int position = 0; position < rows; ++position) {
        objects.insert();
        objects.setString(ObjectField::Name, name);
        // Every other field as the working row has it.
        for (const FieldDef& field : objectsLayout()) {
            if (field.name == ObjectField::Name.name()) {
                continue;
            }
            const int from = working.fieldIndex(field.name);
            const int to = objects.fieldIndex(field.name);
            switch (working.fields().at(from).type) {
                case FieldType::String:
                    objects.setString(to, working.peekString(position, from));
                    break;
                case FieldType::Integer:
                    objects.setInt(to, working.peekInt(position, from));
                    break;
                case FieldType::Boolean:
                    objects.setBool(to, working.peekBool(position, from));
                    break;
                case FieldType::DateTime:
                    objects.setDateTime(to, working.peekDateTime(position, from));
                    break;
            }
        }
        objects.post();
    }
    if (deleted > 0 || rows > 0) {
        objects.commitBatch();
    }
}

// Every working row takes the name; the file is written anew without the deleted rows.
void renameWorkingRows(Table& working, const QString& name) {
    ControlsDisabled quiet(working);
    Batch batch(working);
    const auto field = working.fieldIndex(ObjectField::Name);
    for (int position = 0; position < working.recordCount(); ++position) {
        working.moveTo(position);
        working.edit();
        working.setString(field, name);
        working.post();
    }
    working.commitBatch();
}

// The list file's contents: each working row's Path on a line of its own, in UTF-8, CR LF
// after every line.
QByteArray listContents(const Table& working) {
    QByteArray out;
    const auto field = working.fieldIndex(ObjectField::Path);
    for (int position = 0; position < working.recordCount(); ++position) {
        out += working.peekString(position, field).toUtf8();
        out += "\r\n";
    }
    return out;
}

}  // namespace

QString listFileName(const QString& list) {
    static const QRegularExpression pattern(QStringLiteral(R"(^Lists[/\\]([^/\\]+)$)"));
    const QRegularExpressionMatch m = pattern.match(list);
    if (!m.hasMatch() || m.captured(1) == u"." || m.captured(1) == u"..") {
        return {};
    }
    return QStringLiteral("Lists/") + m.captured(1);
}

SaveResult saveTask(ProgramTables& tables, const SaveRequest& request, const EditorTexts& texts,
                    FileIo& io) {
    Table& tasks = tables.tasks;
    Table& objects = tables.objects;
    // What is compared and stored is the text as the table keeps it.
    const TaskFields fields = withStoredTexts(request.fields);
    const QString& name = fields.name;
    SaveResult result;
    result.workingName = request.workingName;
    const auto failed = [&](const QString& why) {
        result.outcome = SaveResult::Outcome::Failed;
        result.message = texts.text(Form2Text::cm16).arg(why);
        return result;
    };

    // Checks: nothing is written before they pass.
    int edited = -1;
    Configuration configuration;
    try {
        if (!tasks.isOpen()) {
            tasks.first();  // raises the engine's error
        }
        edited = request.newTask ? -1 : findTask(tasks, request.editedTaskName);
        configuration = taskConfiguration(tables.archivers, request.configuration, tasks, edited);
        const bool taken = nameTaken(tasks, name, edited);
        if (const auto why =
                refusal(tasks, request.fields.name, fields, taken, configuration, texts)) {
            result.message = *why;
            return result;
        }
    } catch (const Error& e) {
        return failed(e.message());
    }

    const bool asNew = edited < 0;
    // Rows stored under the name belong to this task or to none: the name test made sure.
    const bool sameName = !asNew && name == request.editedTaskName;

    // The working rows first: they are the editor's own copy, nothing stored changes yet.
    try {
        renameWorkingRows(tables.working, name);
    } catch (const Error& e) {
        return failed(e.message());
    }
    result.workingName = name;

    Table& extras = tables.extras;
    std::optional<ListFile> listFile;
    std::optional<Table::SavedRows> formerObjects;
    std::optional<Table::SavedRows> formerExtras;
    bool objectsReplaced = false;
    bool extrasReplaced = false;
    try {
        QString list =
            asNew ? QString()
                  : listFileName(tasks.peekString(edited, tasks.fieldIndex(TaskField::List)));
        if (list.isEmpty()) {
            list = drawListName(tasks, io, texts);
        }
        listFile.emplace(io, list, texts);
        listFile->prepare(listContents(tables.working));

        if (asNew) {
            tasks.insert();
            tasks.setDateTime(TaskField::SledTime, clock().now().addYears(10));
        } else {
            tasks.moveTo(edited);
            tasks.edit();
        }
        setTaskFields(tasks, fields);
        tasks.setString(TaskField::List, list);
        tasks.setString(TaskField::NameArhivator1, configuration.archive);
        tasks.setString(TaskField::NameArhivator2, configuration.extract);
        tasks.setString(TaskField::NameArhSys, configuration.name);

        formerObjects = objects.savedRows();
        replaceObjectRows(objects, tables.working, name);
        objectsReplaced = true;
        if (extras.isOpen()) {
            formerExtras = extras.savedRows();
            Batch batch(extras);
            putRetention(extras, name, request.retention);
            extras.commitBatch();
            extrasReplaced = true;
        }
        listFile->place();
        tasks.post();
    } catch (const Error& e) {
        tasks.cancel();
        // Put back what was done, newest first. Only the object rows of a task that keeps its
        // name and a list file that was there before matter; the rest belong to no task.
        QStringList notBack;
        if (listFile && listFile->placed()) {
            try {
                listFile->putBack();
            } catch (const Error& undo) {
                if (listFile->hadFormer()) {
                    notBack << undo.message();
                }
            }
        }
        // The rows of a renamed task are under the new name, which no task has yet.
        const auto restore = [&](Table& table, const std::optional<Table::SavedRows>& former) {
            try {
                table.restoreRows(*former);
            } catch (const Error& undo) {
                if (sameName) {
                    notBack << undo.message();
                }
            }
        };
        if (extrasReplaced) {
            restore(extras, formerExtras);
        }
        if (objectsReplaced) {
            restore(objects, formerObjects);
        }
        if (!notBack.isEmpty()) {
            result.outcome = SaveResult::Outcome::Failed;
            result.message =
                texts.text(Form2Text::cm17).arg(e.message(), notBack.join(QStringLiteral("; ")));
            return result;
        }
        return failed(e.message());
    }

    // The rows under the former name belong to no task any more. Should they stay (a failure
    // here), a later save under that name takes them away.
    const QString& former = request.editedTaskName;
    if (former != name && findTask(tasks, former) < 0) {
        // The task is saved; rows left behind by a failure belong to no task.
        try {
            Batch batch(objects);
            if (deleteRowsOf(objects, former) > 0) {
                objects.commitBatch();
            }
        } catch (const Error&) {
        }
        try {
            forgetRetention(extras, former);
        } catch (const Error&) {
        }
    }
    result.outcome = SaveResult::Outcome::Saved;
    if (!extras.isOpen() && !request.retention.keepsAll()) {
        result.message = texts.text(Form2Text::cm22).arg(kTaskExtrasFile);
    }
    return result;
}

}  // namespace kv
