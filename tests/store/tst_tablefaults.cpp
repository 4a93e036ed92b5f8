// The table engine under failing and crashing writes, through the memory file layer: every
// failure and every crash point leaves the committed rows readable, and a changed row whole.

#include <QtTest>
#include <functional>
#include <optional>

#include "platform/clock.h"
#include "store/fileio.h"
#include "store/layouts.h"
#include "store/table.h"
#include "support/manualclock.h"
#include "support/memoryfileio.h"

using namespace kv;
using kv::test::MemoryFileIo;

namespace {

const QString kName = QStringLiteral("tasksm.dbf");
using Rows = QList<QVariantList>;

Rows contents(Table& t) {
    Rows out;
    for (int pos = 0; pos < t.recordCount(); ++pos) {
        QVariantList row;
        for (int f = 0; f < t.fields().size(); ++f) {
            switch (t.fields()[f].type) {
                case FieldType::String:
                    row << t.peekString(pos, f);
                    break;
                case FieldType::Integer:
                    row << t.peekInt(pos, f);
                    break;
                case FieldType::Boolean:
                    row << t.peekBool(pos, f);
                    break;
                case FieldType::DateTime:
                    row << t.peekDateTime(pos, f);
                    break;
            }
        }
        out << row;
    }
    return out;
}

Rows reopened(const std::shared_ptr<MemoryFileIo>& io, const QString& name = kName) {
    Table t(name);
    t.setFileIo(io);
    t.open();
    return contents(t);
}

void fillObject(Table& t, int i) {
    t.setString(ObjectField::Name, QStringLiteral("task %1").arg(i % 3));
    t.setString(ObjectField::Path,
                QStringLiteral("/home/user/Документы/%1/").arg(i) + QString(150, u'p'));
    t.setString(ObjectField::Path1, QString(200 + i, u'q'));
    t.setInt(ObjectField::TipFile1, i);
    t.setString(ObjectField::Name1, QStringLiteral("file%1.txt").arg(i));
    t.setString(ObjectField::Size, QString::number(1000 * i));
}

// A table of the object layout with seven committed rows, the third one deleted. Rows are 821
// bytes, so several of them cross a page boundary of the file.
std::shared_ptr<MemoryFileIo> setUp(const QString& name = kName) {
    auto io = std::make_shared<MemoryFileIo>();
    Table::create(name, objectsLayout(), *io);
    Table t(name);
    t.setFileIo(io);
    t.open();
    for (int i = 0; i < 7; ++i) {
        t.insert();
        fillObject(t, i);
        t.post();
    }
    t.moveTo(2);
    t.deleteRecord();
    return io;
}

struct Operation {
    const char* name;
    std::function<void(Table&)> run;
};

const QList<Operation>& operations() {
    static const QList<Operation> ops = {
        {"append",
         [](Table& t) {
             t.insert();
             fillObject(t, 42);
             t.post();
         }},
        {"edit crossing a page",
         [](Table& t) {
             t.moveTo(3);  // row 4 of the file: bytes 3689..4509
             t.edit();
             t.setString(ObjectField::Path, QStringLiteral("changed"));
             t.setInt(ObjectField::TipFile1, -7);
             t.post();
         }},
        {"edit within a page",
         [](Table& t) {
             t.moveTo(0);
             t.edit();
             t.setString(ObjectField::Size, QStringLiteral("Папка"));
             t.post();
         }},
        {"delete",
         [](Table& t) {
             t.moveTo(4);
             t.deleteRecord();
         }},
        {"pack", [](Table& t) { t.pack(); }},
        {"empty", [](Table& t) { t.emptyTable(); }},
    };
    return ops;
}

// What an operation does without faults: the rows before and after, its writes and bytes.
struct CleanRun {
    Rows before;
    Rows after;
    int writes;
    qint64 bytes;
};

CleanRun cleanRun(const Operation& op) {
    auto io = setUp();
    Table t(kName);
    t.setFileIo(io);
    t.open();
    CleanRun run{contents(t), {}, 0, 0};
    io->resetFaults();
    op.run(t);
    run.writes = io->writeCount();
    run.bytes = io->bytesWritten();
    run.after = contents(t);
    t.close();
    if (reopened(io) != run.after) {
        qFatal("%s: the file does not hold what the table showed", op.name);
    }
    return run;
}

// Appends one more row and checks that the file then holds `expected` and that row.
void checkStillUsable(Table& t, const std::shared_ptr<MemoryFileIo>& io, Rows expected) {
    t.insert();
    fillObject(t, 99);
    t.post();
    const Rows now = contents(t);
    QCOMPARE(now.size(), expected.size() + 1);
    expected << now.last();
    QCOMPARE(now, expected);
    t.close();
    QCOMPARE(reopened(io), expected);
}

}  // namespace

class TestTableFaults : public QObject {
    Q_OBJECT

private:
    std::optional<test::ManualClock> clock_;

private Q_SLOTS:
    void init() { clock_.emplace(); }
    void cleanup() { clock_.reset(); }

    // A write that fails (or stops at a page boundary) makes the operation raise and leaves
    // the table as it was, in memory and in the file; a table that reports success holds the
    // new rows. Either way the table goes on working.
    void failedWritesLeaveTheTableAsItWas() {
        for (const Operation& op : operations()) {
            const CleanRun run = cleanRun(op);
            const Rows& before = run.before;
            const Rows& after = run.after;
            const int writes = run.writes;
            QVERIFY(writes > 0);
            for (int n = 1; n <= writes; ++n) {
                for (bool shortOne : {false, true}) {
                    const QByteArray where = QByteArray(op.name) +
                                             (shortOne ? " short write " : " failed write ") +
                                             QByteArray::number(n);
                    auto io = setUp();
                    Table t(kName);
                    t.setFileIo(io);
                    t.open();
                    io->resetFaults();
                    shortOne ? io->shortWrite(n) : io->failWrite(n);
                    bool threw = false;
                    try {
                        op.run(t);
                    } catch (const StoreError& e) {
                        threw = true;
                        QVERIFY2(e.message().startsWith("Table \"tasksm.dbf\" "), where);
                    }
                    QVERIFY2(t.isOpen(), where);
                    QVERIFY2(t.state() == Table::State::Browse, where);
                    const Rows expected = threw ? before : after;
                    QVERIFY2(contents(t) == expected, where);
                    QVERIFY2(reopened(io) == expected, where);
                    QVERIFY2(reopened(io->afterCrash()) == expected, where);  // a crash right now
                    checkStillUsable(t, io, expected);
                    if (QTest::currentTestFailed()) {
                        qWarning() << where;
                        return;
                    }
                }
            }
        }
    }

    // The process dies at every write and at every page boundary an operation writes: the file
    // then opens, every committed row is there, and the operation happened wholly or not at all.
    void crashesLeaveOldOrNewRows() {
        for (const Operation& op : operations()) {
            const CleanRun run = cleanRun(op);
            const Rows& before = run.before;
            const Rows& after = run.after;
            const int writes = run.writes;
            const qint64 bytes = run.bytes;
            auto crashRun = [&](const QByteArray& where,
                                const std::function<void(MemoryFileIo&)>& inject) {
                auto io = setUp();
                {
                    Table t(kName);
                    t.setFileIo(io);
                    t.open();
                    io->resetFaults();
                    inject(*io);
                    try {
                        op.run(t);
                    } catch (const StoreError&) {
                    }
                }  // the dead process's table goes away; its writes are all dropped
                io->restart();
                const Rows first = reopened(io);
                QVERIFY2(first == before || first == after, where);
                QCOMPARE(reopened(io), first);  // a second opening finds the same
                Table t(kName);
                t.setFileIo(io);
                t.open();
                checkStillUsable(t, io, first);
                QVERIFY2(io->files() == QStringList({kName}),
                         where + " " + io->files().join(u' ').toUtf8());
            };
            for (int n = 1; n <= writes + 1; ++n) {
                crashRun(QByteArray(op.name) + " crash at write " + QByteArray::number(n),
                         [n](MemoryFileIo& io) { io.crashAtWrite(n); });
                if (QTest::currentTestFailed()) {
                    return;
                }
            }
            const qint64 step = 1;
            for (qint64 b = 0; b <= bytes + step; b += step) {
                crashRun(QByteArray(op.name) + " crash after " + QByteArray::number(b) + " bytes",
                         [b](MemoryFileIo& io) { io.crashAfterBytes(b); });
                if (QTest::currentTestFailed()) {
                    return;
                }
            }
        }
    }

    // A file that can no longer be written under the open table (its undo fails as well):
    // every operation raises, and the rows are as they were, also at the next opening once the
    // file can be written again.
    void unwritableFileKeepsTheRowsAsTheyWere() {
        for (const Operation& op : operations()) {
            auto io = setUp();
            Rows before;
            {
                Table t(kName);
                t.setFileIo(io);
                t.open();
                t.moveTo(1);  // a first write, which dates the header
                t.edit();
                t.setInt(ObjectField::TipFile1, 77);
                t.post();
                before = contents(t);
                io->setImmutable(kName, true);
                QVERIFY_THROWS_EXCEPTION(StoreError, op.run(t));
            }
            io->setImmutable(kName, false);
            QVERIFY2(reopened(io) == before, op.name);
            QVERIFY2(io->files() == QStringList({kName}), op.name);
        }
    }

    // A row cut at a page boundary by a crash is completed from the journal at the next open.
    void tornRowIsCompletedFromTheJournal() {
        auto io = setUp();
        Rows wanted;
        {
            Table t(kName);
            t.setFileIo(io);
            t.open();
            io->resetFaults();
            // The date of the header, the journal, then the row: 3689..4095 reach the file,
            // 4096.. do not.
            io->crashAfterBytes(3 + 32 + 821 + 8 + (4096 - 3689));
            t.moveTo(3);
            t.edit();
            t.setString(ObjectField::Name1, QString(255, u'z'));
            t.setString(ObjectField::Path, QString(255, u'y'));
            wanted = contents(t);
            QVERIFY_THROWS_EXCEPTION(StoreError, t.post());
            wanted[3][5] = QString(255, u'z');
            wanted[3][2] = QString(255, u'y');
        }
        const QByteArray torn = io->file(kName);
        QVERIFY(torn.mid(3689 + 32, 255) == QByteArray(255, 'y'));   // Path: before 4096
        QVERIFY(torn.mid(3689 + 546, 255) != QByteArray(255, 'z'));  // Name1: after it
        QVERIFY(io->files().contains(kName + ".jnl"));
        io->restart();
        QCOMPARE(reopened(io), wanted);
        QVERIFY(!io->files().contains(kName + ".jnl"));
    }

    void foreignOrDamagedJournalIsIgnored() {
        auto io = setUp();
        const Rows rows = reopened(io);
        QByteArray journal;
        {
            // Obtain a genuine journal record of this file.
            Table t(kName);
            t.setFileIo(io);
            t.open();
            t.moveTo(1);
            t.edit();
            t.setInt(ObjectField::TipFile1, 12345);
            t.post();
            journal = io->file(kName + ".jnl");
            t.edit();
            t.setInt(ObjectField::TipFile1, rows[1][4].toInt());
            t.post();
        }
        QVERIFY(!journal.isEmpty());
        const QByteArray table = io->file(kName);

        QByteArray damaged = journal;
        damaged[40] = char(damaged[40] ^ 1);
        QByteArray cut = journal.left(journal.size() - 1);
        QByteArray foreign = journal;
        foreign[5] = char(foreign[5] ^ 0x55);  // another file's identity
        for (const QByteArray& bad : {damaged, cut, foreign, QByteArray("KVJ1")}) {
            io->setFile(kName + ".jnl", bad);
            QCOMPARE(reopened(io), rows);
            QCOMPARE(io->file(kName), table);
            QVERIFY(!io->files().contains(kName + ".jnl"));
        }
        // The genuine one is replayed, once or twice alike.
        io->setFile(kName + ".jnl", journal);
        Rows changed = rows;
        changed[1][4] = 12345;
        QCOMPARE(reopened(io), changed);
        io->setFile(kName + ".jnl", journal);
        QCOMPARE(reopened(io), changed);

        // Not while someone else has the table open: the journal is theirs.
        Table holder(kName);
        holder.setFileIo(io);
        holder.open();
        io->setFile(kName + ".jnl", damaged);
        QCOMPARE(reopened(io), changed);
        QVERIFY(io->files().contains(kName + ".jnl"));
    }

    // Replacing a table with create() fails cleanly at every write.
    void createFailureKeepsTheOldFile() {
        auto io = setUp();
        const QByteArray old = io->file(kName);
        io->resetFaults();
        Table::create(kName, tasksLayout(), *io);
        const int writes = io->writeCount();
        const QByteArray fresh = io->file(kName);
        for (int n = 1; n <= writes; ++n) {
            io->setFile(kName, old);
            io->resetFaults();
            io->failWrite(n);
            try {
                Table::create(kName, tasksLayout(), *io);
            } catch (const StoreError& e) {
                QVERIFY(e.message().contains("tasksm.dbf"));
            }
            const QByteArray now = io->file(kName);
            QVERIFY(now == old || now == fresh);
            QCOMPARE(io->files(), QStringList({kName}));
        }
    }
};

QTEST_GUILESS_MAIN(TestTableFaults)
#include "tst_tablefaults.moc"
