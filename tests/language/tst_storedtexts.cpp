#include <QTest>

#include "language/storedtexts.h"
#include "platform/error.h"
#include "store/programtables.h"
#include "support/memoryfileio.h"
#include "support/tablefolder.h"

using namespace kv;

class TestStoredTexts : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void aFailedTaskTableLeavesTheConfigurationsAsTheyWere();
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

QTEST_MAIN(TestStoredTexts)
#include "tst_storedtexts.moc"
