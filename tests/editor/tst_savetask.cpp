#include <QDir>
#include <QTest>

#include "editor/form2texts.h"
#include "editor/objectlist.h"
#include "editor/savetask.h"
#include "platform/clock.h"
#include "platform/programfolder.h"
#include "store/layouts.h"
#include "store/taskextras.h"
#include "support/manualclock.h"
#include "support/memoryfileio.h"
#include "support/tablefolder.h"

using namespace kv;
using kv::test::ManualClock;
using kv::test::MemoryFileIo;

namespace {

const QString kNew = QStringLiteral("Новая задача");

// Every live row, field by field.
QStringList dump(const Table& t) {
    QStringList out;
    for (int i = 0; i < t.recordCount(); ++i) {
        QStringList row;
        for (int f = 0; f < t.fields().size(); ++f) {
            const FieldType type = t.fields()[f].type;
            row << (type == FieldType::String    ? t.peekString(i, f)
                    : type == FieldType::Integer ? QString::number(t.peekInt(i, f))
                    : type == FieldType::Boolean
                        ? QString::number(t.peekBool(i, f))
                        : t.peekDateTime(i, f).toString(Qt::ISODateWithMs));
        }
        out << row.join(u'|');
    }
    return out;
}

// What is stored, read afresh: the task rows, the object rows by task name, the list files.
struct Stored {
    QStringList tasks;
    QMap<QString, QStringList> objects;
    QMap<QString, QByteArray> lists;
    QMap<QString, QStringList> extras;

    bool operator==(const Stored&) const = default;
};

// The tables and files of a program folder, on the real file system or in memory.
struct Store {
    test::TableFolder folder{test::TableFolder::Tables::Missing};
    ManualClock clock{naiveDateTime(QDate(2025, 12, 8), QTime(14, 5))};
    std::shared_ptr<MemoryFileIo> memory;  // null: the real file system
    ProgramTables tables;
    Table& tasks = tables.tasks;
    Table& objects = tables.objects;
    Table& working = tables.working;
    Table& archivers = tables.archivers;
    Table& extras = tables.extras;
    WorkingList list{working};
    const EditorTexts texts = editorTexts();

    explicit Store(bool inMemory = false) {
        if (inMemory) {
            memory = std::make_shared<MemoryFileIo>();
        }
        folder.makeTables(io());
        Table::create(kTaskExtrasFile, taskExtrasLayout(), io());
        for (Table* table : {&tasks, &objects, &working, &archivers, &extras}) {
            table->setFileIo(memory);
            table->open();
        }
        test::appendRow(archivers, {{ArchiverField::Name, "7z"},
                                    {ArchiverField::Arhstr1, "/usr/bin/7zz a -ssc"},
                                    {ArchiverField::Arhstr2, "/usr/bin/7zz x"}});
    }

    FileIo& io() { return memory ? static_cast<FileIo&>(*memory) : *posixFileIo(); }
    QString listPath(const QString& list) const { return programFolder() + list; }

    // An existing task with its object rows and list file.
    void addTask(const QString& name, const QString& list, const QStringList& paths) {
        test::appendRow(tasks, {{TaskField::Flag, true},
                                {TaskField::Name, name},
                                {TaskField::VidPeriod, 3},
                                {TaskField::List, list}});
        QByteArray bytes;
        for (const QString& p : paths) {
            test::appendRow(objects, {{ObjectField::Name, name},
                                      {ObjectField::Path, p},
                                      {ObjectField::Size, kSizeMissing}});
            bytes += p.toUtf8() + "\r\n";
        }
        QDir().mkpath(programFolder() + "Lists");
        auto f = io().open(listPath(list), FileIo::Mode::Create, FileIo::Links::NotFollowed);
        f->write(0, bytes.constData(), bytes.size());
    }

    SaveRequest request(const QString& name, bool newTask, const QString& edited) {
        SaveRequest r;
        r.fields = newTaskFields();
        r.fields.name = name;
        r.fields.path2 = QStringLiteral("Arch/");
        r.fields.weekTime = QTime(7, 30, 15);
        r.configuration = 0;
        r.newTask = newTask;
        r.editedTaskName = edited;
        r.workingName = newTask ? kNew : edited;
        return r;
    }
    SaveResult save(const SaveRequest& r) { return saveTask(tables, r, texts, io()); }

    Stored stored(FileIo& from) {
        const std::shared_ptr<FileIo> layer(memory ? &from : nullptr, [](FileIo*) {});
        Stored s;
        Table t(kTasksFile);
        Table o(kObjectsFile);
        Table x(kTaskExtrasFile);
        for (Table* table : {&t, &o, &x}) {
            table->setFileIo(layer);
            table->open();
        }
        const QStringList extras = dump(x);
        for (int i = 0; i < extras.size(); ++i) {
            s.extras[x.peekString(i, x.fieldIndex(TaskExtraField::Name))] << extras[i];
        }
        s.tasks = dump(t);
        for (int i = 0; i < t.recordCount(); ++i) {
            const QString list = t.peekString(i, t.fieldIndex(TaskField::List));
            auto f = from.open(listPath(list), FileIo::Mode::ReadOnly, FileIo::Links::Follow);
            QByteArray bytes(f ? f->size() : 0, '\0');
            s.lists[list] = f && f->read(0, bytes.data(), bytes.size()) >= 0 ? bytes : "(none)";
        }
        const QStringList rows = dump(o);
        for (int i = 0; i < rows.size(); ++i) {
            s.objects[o.peekString(i, o.fieldIndex(ObjectField::Name))] << rows[i];
        }
        return s;
    }
    Stored stored() { return stored(io()); }
};

enum class Kind { NewTask, SameName, Renamed };

// Whether `message` is `text` with its placeholders filled in.
bool fills(const QString& text, const QString& message) {
    QString pattern = QRegularExpression::escape(text);
    pattern.replace(QRegularExpression(QStringLiteral(R"(\\%\d)")), QStringLiteral(".*"));
    return QRegularExpression(u'^' + pattern + u'$', QRegularExpression::DotMatchesEverythingOption)
        .match(message)
        .hasMatch();
}

// A store with two tasks, "Old" open in the editor unless the task is new, one more object in
// the working list than stored; and the request that saves it.
std::unique_ptr<Store> prepared(Kind kind, SaveRequest* request) {
    auto s = std::make_unique<Store>(true);
    s->addTask(QStringLiteral("Other"), QStringLiteral("Lists/1.txt"), {QStringLiteral("/o")});
    s->addTask(QStringLiteral("Old"), QStringLiteral("Lists/7.txt"),
               {QStringLiteral("/a/x"), QStringLiteral("/a/y")});
    test::appendRow(s->extras, {{TaskExtraField::Name, "Old"},
                                {TaskExtraField::Keep, int(KeepRule::YoungerThan)}});
    const bool isNew = kind == Kind::NewTask;
    const QString edited = isNew ? QString() : QStringLiteral("Old");
    *request = s->request(kind == Kind::SameName ? edited : QStringLiteral("New"), isNew, edited);
    request->retention = {KeepRule::Newest, 3, 30};
    if (!isNew) {
        LoadWorkingList(s->list, s->objects, edited);
    }
    AddObjectRow(s->list, request->workingName, QStringLiteral("/b/"), QStringLiteral("z"),
                 kSizeMissing);
    s->memory->resetFaults();
    return s;
}

}  // namespace

Q_DECLARE_METATYPE(Kind)

class TestSaveTask : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void newTaskSavedTwiceUnderTwoNames() {
        Store s;
        s.folder.write("Docs/Отчёт.txt", "1234");
        QDir().mkpath(s.folder.file("Docs/sub"));
        s.addTask(QStringLiteral("Other"), QStringLiteral("Lists/1.txt"), {QStringLiteral("/o")});
        const QString docs = s.folder.file("Docs/");
        for (const QString& p : {docs + "Отчёт.txt", docs + "sub", docs + "*.txt"}) {
            AddObjectPath(s.list, kNew, p);
        }

        SaveRequest r = s.request(QStringLiteral("A"), true, {});
        SaveResult result = s.save(r);
        QCOMPARE(result.outcome, SaveResult::Outcome::Saved);
        QCOMPARE(result.workingName, QStringLiteral("A"));
        QCOMPARE(s.tasks.recNo(), 1);  // the cursor rests on the saved row
        QCOMPARE(readTaskFields(s.tasks), r.fields);
        QCOMPARE(s.tasks.asString(TaskField::NameArhivator1),
                 QStringLiteral("/usr/bin/7zz a -ssc"));
        QCOMPARE(s.tasks.asDateTime(TaskField::SledTime), s.clock.now().addYears(10));
        const QString list = s.tasks.asString(TaskField::List);
        QVERIFY(QRegularExpression("^Lists/(0|[1-9][0-9]{0,5})\\.txt$").match(list).hasMatch());
        const QByteArray bytes =
            (docs + "Отчёт.txt\r\n" + docs + "sub\r\n" + docs + "*.txt\r\n").toUtf8();
        QCOMPARE(s.folder.read(list), bytes);

        // Given another name and saved again: still one task, one set of rows, the same list.
        r.fields.name = QStringLiteral("B");
        r.newTask = false;
        r.editedTaskName = r.workingName = QStringLiteral("A");
        result = s.save(r);
        QCOMPARE(result.outcome, SaveResult::Outcome::Saved);
        const Stored after = s.stored();
        QCOMPARE(s.tasks.asString(TaskField::List), list);
        QCOMPARE(after.tasks.size(), 2);
        QCOMPARE(after.objects.keys(), (QStringList{"B", "Other"}));
        QCOMPARE(after.objects["B"].size(), 3);
        QCOMPARE(after.lists[list], bytes);
        // The working rows follow the name.
        QCOMPARE(s.working.peekString(2, s.working.fieldIndex(ObjectField::Name)),
                 QStringLiteral("B"));
    }

    void renamingAnExistingTaskMovesItsRowsAndKeepsItsList() {
        Store s;
        s.addTask(QStringLiteral("Old"), QStringLiteral("Lists/7.txt"), {"/a/x", "/a/y"});
        s.addTask(QStringLiteral("Other"), QStringLiteral("Lists/1.txt"), {"/o"});
        // Rows under the new name that no task owns are not taken over.
        test::appendRow(s.objects, {{ObjectField::Name, "New"}, {ObjectField::Path, "/stray"}});
        LoadWorkingList(s.list, s.objects, QStringLiteral("Old"));
        const Stored before = s.stored();

        const SaveRequest r = s.request(QStringLiteral("New"), false, QStringLiteral("Old"));
        QCOMPARE(s.save(r).outcome, SaveResult::Outcome::Saved);
        const Stored after = s.stored();
        QCOMPARE(after.tasks[1], before.tasks[1]);
        QCOMPARE(after.objects.keys(), (QStringList{"New", "Other"}));
        QCOMPARE(after.objects["New"].size(), 2);
        QVERIFY(after.objects["New"][0].contains("/a/x"));
        QCOMPARE(s.tasks.asString(TaskField::List), QStringLiteral("Lists/7.txt"));
        QCOMPARE(after.lists["Lists/7.txt"], before.lists["Lists/7.txt"]);
        QCOMPARE(s.tasks.recNo(), 0);
    }

    // The retention row follows the task's name; without tasksx.dbf the task is saved all the
    // same, and told that it keeps all its archives when it was meant to keep fewer.
    void retentionFollowsTheTask() {
        Store s;
        SaveRequest r = s.request(QStringLiteral("A"), true, {});
        r.retention = {KeepRule::Newest, 3, 30};
        QCOMPARE(s.save(r).outcome, SaveResult::Outcome::Saved);
        r.fields.name = QStringLiteral("B");
        r.newTask = false;
        r.editedTaskName = r.workingName = QStringLiteral("A");
        QCOMPARE(s.save(r).outcome, SaveResult::Outcome::Saved);
        QCOMPARE(s.stored().extras.keys(), QStringList{"B"});
        QCOMPARE(retentionOf(s.extras, QStringLiteral("B")), r.retention);

        s.extras.close();
        r.editedTaskName = r.workingName = r.fields.name;
        QCOMPARE(s.save(r).message, s.texts.text(Form2Text::cm22).arg(kTaskExtrasFile));
        r.retention = {};
        const SaveResult keepsAll = s.save(r);
        QCOMPARE(keepsAll.outcome, SaveResult::Outcome::Saved);
        QVERIFY(keepsAll.message.isEmpty());
    }

    void refusalsWriteNothing() {
        Store s;
        s.addTask(QStringLiteral("Old"), QStringLiteral("Lists/7.txt"), {"/a/x"});
        s.addTask(QStringLiteral("Other"), QStringLiteral("Lists/1.txt"), {"/o"});
        test::appendRow(s.archivers, {{ArchiverField::Name, "long"},
                                      {ArchiverField::Arhstr1, QString(256, u'a')}});
        test::appendRow(s.archivers, {{ArchiverField::Name, "bare"}});
        const auto folder = test::snapshot(s.folder.path());
        const int current = s.tasks.recNo();
        struct Case {
            QString name;
            bool newTask;
            std::function<void(SaveRequest&)> change;
            Form2Text key;
        };
        const QList<Case> cases = {
            {"", true, {}, Form2Text::cm5},
            {"  ", true, {}, Form2Text::cm7},
            {QString(31, u'n'), true, {}, Form2Text::cm8},
            {"日本", true, {}, Form2Text::cm10},
            {"Old", true, {}, Form2Text::cm6},
            {"Other", false, {}, Form2Text::cm6},
            {"N", true, [](SaveRequest& r) { r.fields.path2 = "a\"b/"; }, Form2Text::cm11},
            {"N", true, [](SaveRequest& r) { r.fields.nameArh = "x\""; }, Form2Text::cm11},
            {"N", true, [](SaveRequest& r) { r.fields.opis = QString(101, u'o'); }, Form2Text::cm9},
            {"N", true, [](SaveRequest& r) { r.fields.path2 = QString(255, u'p') + "/"; },
             Form2Text::cm9},
            {"N", true, [](SaveRequest& r) { r.fields.nameArh = "a✓"; }, Form2Text::cm10},
            {"N", true, [](SaveRequest& r) { r.configuration = 1; }, Form2Text::cm12},
            // Left without an archive command: none chosen, or one without commands.
            {"N", true, [](SaveRequest& r) { r.configuration = -1; }, Form2Text::cm20},
            {"Old", false, [](SaveRequest& r) { r.configuration = -1; }, Form2Text::cm20},
            {"Old", false, [](SaveRequest& r) { r.configuration = 2; }, Form2Text::cm20},
        };
        for (const Case& c : cases) {
            SaveRequest r = s.request(c.name, c.newTask, c.newTask ? QString() : "Old");
            if (c.change) {
                c.change(r);
            }
            const SaveResult result = s.save(r);
            QCOMPARE(result.outcome, SaveResult::Outcome::Refused);
            QVERIFY2(fills(s.texts.text(c.key), result.message), qPrintable(result.message));
            QCOMPARE(result.workingName, r.workingName);
        }
        QCOMPARE(test::snapshot(s.folder.path()), folder);
        QCOMPARE(s.tasks.recNo(), current);

        // Its own name, and a name that differs from another only in case, are free.
        QCOMPARE(s.save(s.request("Old", false, "Old")).outcome, SaveResult::Outcome::Saved);
        QCOMPARE(s.save(s.request("other", true, {})).outcome, SaveResult::Outcome::Saved);
    }

    // With no configuration chosen (it was renamed or deleted since) the task keeps its commands.
    void commandsAreKeptWhenNoConfigurationIsChosen() {
        Store s;
        test::appendRow(s.tasks, {{TaskField::Name, "Old"},
                                  {TaskField::List, "Lists/3.txt"},
                                  {TaskField::NameArhSys, "gone"},
                                  {TaskField::NameArhivator1, "/opt/pack a"},
                                  {TaskField::NameArhivator2, "/opt/pack x"}});
        const QStringList kept = s.stored().tasks;
        SaveRequest r = s.request(QStringLiteral("Old"), false, QStringLiteral("Old"));
        r.configuration = -1;
        r.fields = readTaskFields(s.tasks);
        QCOMPARE(s.save(r).outcome, SaveResult::Outcome::Saved);
        QCOMPARE(s.stored().tasks, kept);
    }

    // Texts are compared and stored without trailing blanks: a name cut at a blank by its field
    // stays one task when saved again, and a name that differs from another only by closing
    // blanks, typed or stored, is taken.
    void textsLoseTheirTrailingBlanks() {
        Store s;
        s.addTask(QStringLiteral("Old"), QStringLiteral("Lists/7.txt"), {});
        s.addTask(QStringLiteral("Stored "), QStringLiteral("Lists/8.txt"), {});
        const QString cut = QStringLiteral("Еженедельный архив документов ");
        SaveRequest r = s.request(cut, true, {});
        r.fields.opis = QStringLiteral("о ");
        r.fields.nameArh = QStringLiteral("a.7z  ");
        const SaveResult first = s.save(r);
        QCOMPARE(first.outcome, SaveResult::Outcome::Saved);
        TaskFields expected = r.fields;
        expected.name = cut.chopped(1);
        expected.opis = QStringLiteral("о");
        expected.nameArh = QStringLiteral("a.7z");
        QCOMPARE(readTaskFields(s.tasks), expected);
        QCOMPARE(first.workingName, expected.name);

        r.newTask = false;
        r.editedTaskName = r.workingName = first.workingName;
        QCOMPARE(s.save(r).outcome, SaveResult::Outcome::Saved);
        QCOMPARE(s.tasks.recordCount(), 3);
        for (const QString& name : {QStringLiteral("Old  "), QStringLiteral("Stored")}) {
            const SaveResult taken = s.save(s.request(name, true, {}));
            QCOMPARE(taken.message, s.texts.text(Form2Text::cm6));
        }
    }

    void destinationFolderAndConfigurationChoice() {
        QCOMPARE(normalizeDestinationFolder(QStringLiteral(" \t/back up\x7f ")), "/back up/");
        QCOMPARE(normalizeDestinationFolder(QStringLiteral("/")), "/");
        QCOMPARE(normalizeDestinationFolder(QStringLiteral(" \n")), "");

        Store s;  // "7z", then:
        test::appendRow(s.archivers, {{ArchiverField::Name, "Rar"}, {ArchiverField::Flag, true}});
        test::appendRow(s.archivers, {{ArchiverField::Name, "Zip"}, {ArchiverField::Flag, true}});
        test::appendRow(s.archivers, {{ArchiverField::Name, "Zip"}});
        QCOMPARE(defaultConfiguration(s.archivers), 2);  // the last one marked
        const QStringList names = configurationNames(s.archivers);
        QCOMPARE(configurationPosition(names, QStringLiteral("zIP")), 2);
        QCOMPARE(configurationPosition(names, QStringLiteral("Zip ")), -1);
    }

    void anInterruptedSaveLosesNothing_data() {
        QTest::addColumn<Kind>("kind");
        QTest::newRow("new task") << Kind::NewTask;
        QTest::newRow("same name") << Kind::SameName;
        QTest::newRow("renamed") << Kind::Renamed;
    }
    void anInterruptedSaveLosesNothing() {
        QFETCH(Kind, kind);
        SaveRequest r;
        Stored before;
        Stored saved;
        int writes = 0;
        {
            auto s = prepared(kind, &r);
            before = s->stored();
            QCOMPARE(s->save(r).outcome, SaveResult::Outcome::Saved);
            writes = s->memory->writeCount();
            saved = s->stored();
        }
        const QString name = r.fields.name;
        const QString former = r.editedTaskName;
        for (int n = 1; n <= writes; ++n) {
            const QByteArray at = QByteArray::number(n);
            // A failing write: the task as it was, or saved (with rows left under the former
            // name when only their clean-up failed); a retry then goes through.
            auto s = prepared(kind, &r);
            s->memory->failWrite(n);
            const SaveResult result = s->save(r);
            Stored now = s->stored();
            if (result.outcome == SaveResult::Outcome::Saved) {
                now.objects.remove(kind == Kind::Renamed ? former : QString());
                now.extras.remove(kind == Kind::Renamed ? former : QString());
                QVERIFY2(now == saved, at);
            } else {
                QVERIFY2(fills(s->texts.text(Form2Text::cm16), result.message),
                         qPrintable(result.message));
                QVERIFY2(now == before, at);
                s->memory->resetFaults();
                QCOMPARE(s->save(r).outcome, SaveResult::Outcome::Saved);
                QVERIFY2(s->stored() == saved, at);
            }

            // A crash: the task row, as it was or saved, comes with its own object rows; the
            // saved row also with its list file.
            s.reset();  // its folder and clock go first
            s = prepared(kind, &r);
            s->memory->crashAtWrite(n);
            s->save(r);
            const auto restarted = s->memory->afterCrash();
            now = s->stored(*restarted);
            QVERIFY2(now.tasks == before.tasks || now.tasks == saved.tasks, at);
            QCOMPARE(now.objects.value("Other"), before.objects.value("Other"));
            if (now.tasks == saved.tasks) {
                QVERIFY2(now.objects.value(name) == saved.objects.value(name), at);
                QVERIFY2(now.lists == saved.lists, at);
                QVERIFY2(now.extras.value(name) == saved.extras.value(name), at);
            } else if (kind == Kind::SameName) {
                QVERIFY2(now.objects.value(name) == before.objects.value(name) ||
                             now.objects.value(name) == saved.objects.value(name),
                         at);
                QVERIFY2(now.extras.value(name) == before.extras.value(name) ||
                             now.extras.value(name) == saved.extras.value(name),
                         at);
            } else {
                QVERIFY2(now.objects.value(former) == before.objects.value(former), at);
                QVERIFY2(now.extras.value(former) == before.extras.value(former), at);
            }
        }

        // tasks.dbf made unwritable under the open table: neither the row nor its undo can be
        // written. The save says that nothing changed, and so the next opening finds it.
        auto s = prepared(kind, &r);
        s->memory->setImmutable(kTasksFile, true);
        const SaveResult result = s->save(r);
        QVERIFY2(fills(s->texts.text(Form2Text::cm16), result.message), qPrintable(result.message));
        s->memory->setImmutable(kTasksFile, false);
        QVERIFY(s->stored() == before);

        // tasksm.dbf in use elsewhere: the engine refuses, nothing changes.
        s.reset();
        s = prepared(kind, &r);
        Table other(kObjectsFile);
        other.setFileIo(s->memory);
        other.open();
        QCOMPARE(s->save(r).outcome, SaveResult::Outcome::Failed);
        QVERIFY(s->stored() == before);
    }
};

QTEST_GUILESS_MAIN(TestSaveTask)
#include "tst_savetask.moc"
