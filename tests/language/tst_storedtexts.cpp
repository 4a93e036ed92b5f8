#include <QTest>

#include "language/storedtexts.h"
#include "platform/error.h"
#include "store/programtables.h"
#include "support/memoryfileio.h"
#include "support/tablefolder.h"

using namespace kv;

namespace {

QStringList column(Table& table, const Field<QString>& field) {
    QStringList out;
    const auto index = table.fieldIndex(field);
    for (int i = 0; i < table.recordCount(); ++i) {
        out << table.peekString(i, index);
    }
    return out;
}

// archers.dbf and tasks.dbf of `tables` made in memory and opened.
std::shared_ptr<test::MemoryFileIo> openInMemory(ProgramTables& tables) {
    auto io = std::make_shared<test::MemoryFileIo>();
    Table::create(kArchiversFile, archiversLayout(), *io);
    Table::create(kTasksFile, tasksLayout(), *io);
    for (Table* table : {&tables.archivers, &tables.tasks}) {
        table->setFileIo(io);
        table->open();
    }
    return io;
}

}  // namespace

class TestStoredTexts : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void aFailedTaskTableLeavesTheConfigurationsAsTheyWere();
    void textsTheTablesCannotHoldAreNotWritten();
    void everyConfigurationNameFollows();
};

// The tasks name their configuration: when tasks.dbf cannot take the new texts, archers.dbf
// must not keep them either.
void TestStoredTexts::aFailedTaskTableLeavesTheConfigurationsAsTheyWere() {
    const StoredTexts from{"Zip", "Rar", "Manual", "Next start"};
    const StoredTexts to{"Zip2", "Rar2", "Manual2", "Next2"};
    auto archiversIo = std::make_shared<test::MemoryFileIo>();
    auto tasksIo = std::make_shared<test::MemoryFileIo>();
    ProgramTables tables;
    Table& archivers = tables.archivers;
    Table& tasks = tables.tasks;
    Table::create(kArchiversFile, archiversLayout(), *archiversIo);
    Table::create(kTasksFile, tasksLayout(), *tasksIo);
    archivers.setFileIo(archiversIo);
    tasks.setFileIo(tasksIo);
    archivers.open();
    tasks.open();
    test::appendRow(archivers, {{ArchiverField::Name, "Zip"}});
    test::appendRow(tasks, {{TaskField::Name, "A"},
                            {TaskField::NameArhSys, "Zip"},
                            {TaskField::SledTimeStr, "Manual"}});
    archivers.close();
    const QByteArray archiversBefore = archiversIo->file(kArchiversFile);
    const QByteArray tasksBefore = tasksIo->file(kTasksFile);

    tasksIo->failWrite(1);
    QVERIFY_THROWS_EXCEPTION(Error, rewriteStoredTexts(tables, from, to));
    QCOMPARE(archiversIo->file(kArchiversFile), archiversBefore);
    QCOMPARE(tasksIo->file(kTasksFile), tasksBefore);
    QVERIFY(!archivers.isOpen());

    // Written, both follow.
    tasksIo->resetFaults();
    rewriteStoredTexts(tables, from, to);
    archivers.open();
    QCOMPARE(archivers.asString(ArchiverField::Name), QString("Zip2"));
    QCOMPARE(tasks.asString(TaskField::NameArhSys), QString("Zip2"));
    QCOMPARE(tasks.asString(TaskField::SledTimeStr), QString("Manual2"));
}

// A text is never cut, garbled, or made the name of a second configuration: it is left out, its
// copies keep the old text, and the caller learns which and why.
void TestStoredTexts::textsTheTablesCannotHoldAreNotWritten() {
    ProgramTables tables;
    const auto io = openInMemory(tables);
    Table& archivers = tables.archivers;
    Table& tasks = tables.tasks;
    for (const char* name : {"Zip", "Rar", "Mine"}) {
        test::appendRow(archivers, {{ArchiverField::Name, name}});
    }
    test::appendRow(tasks, {{TaskField::Name, "A"},
                            {TaskField::NameArhSys, "Rar"},
                            {TaskField::SledTimeStr, "Manual"}});
    test::appendRow(
        tasks,
        {{TaskField::Name, "B"}, {TaskField::NameArhSys, "Zip"}, {TaskField::SledTimeStr, "Next"}});
    const QString longText(31, u'x');
    using Why = RefusedText::Why;

    // cf1 is written; cf2 would name a second configuration like it; 1251 cannot hold cf3; cf4
    // is longer than the field.
    StoredTextsRewrite done = rewriteStoredTexts(tables, {"Zip", "Rar", "Manual", "Next"},
                                                 {"Same", "Same", "手動", longText});
    QCOMPARE(done.written, (StoredTexts{"Same", "Rar", "Manual", "Next"}));
    QCOMPARE(done.refused.size(), 3);
    QCOMPARE(done.refused[0].why, Why::NameTaken);
    QCOMPARE(done.refused[1].why, Why::CodePage);
    QCOMPARE(done.refused[2].why, Why::TooLong);
    QCOMPARE(column(archivers, ArchiverField::Name), QStringList({"Same", "Rar", "Mine"}));
    QCOMPARE(column(tasks, TaskField::SledTimeStr), QStringList({"Manual", "Next"}));

    // A name another configuration has is not taken either.
    done = rewriteStoredTexts(tables, {"Same", "Rar", "Manual", "Next"},
                              {"Mine", "Rar", "Manual", "Next"});
    QCOMPARE(done.refused.size(), 1);
    QCOMPARE(done.refused[0].why, Why::NameTaken);
    QCOMPARE(column(tasks, TaskField::NameArhSys), QStringList({"Rar", "Same"}));
}

// The names of the configurations found on the search path follow like the others, and none
// may take a name that an earlier one is given.
void TestStoredTexts::everyConfigurationNameFollows() {
    ProgramTables tables;
    const auto io = openInMemory(tables);
    Table& archivers = tables.archivers;
    Table& tasks = tables.tasks;
    for (const char* name : {"Zip", "7z", "rar"}) {
        test::appendRow(archivers, {{ArchiverField::Name, name}});
    }
    for (const char* name : {"7z", "rar"}) {
        test::appendRow(tasks, {{TaskField::Name, name}, {TaskField::NameArhSys, name}});
    }
    const StoredTextsRewrite done = rewriteStoredTexts(
        tables, {"Zip", "Rar", "M", "N", "7z", "rar"}, {"Zip2", "Rar", "M", "N", "Zip2", "rar2"});
    QCOMPARE(done.refused.size(), 1);
    QCOMPARE(done.refused[0].kept, QString("7z"));
    QCOMPARE(column(archivers, ArchiverField::Name), QStringList({"Zip2", "7z", "rar2"}));
    QCOMPARE(column(tasks, TaskField::NameArhSys), QStringList({"7z", "rar2"}));
}

QTEST_MAIN(TestStoredTexts)
#include "tst_storedtexts.moc"
