// The table engine on real files: byte layout, values, cursor, pack and empty, damaged files,
// locks.

#include <QSignalSpy>
#include <QtTest>
#include <optional>

#include "platform/clock.h"
#include "store/layouts.h"
#include "store/table.h"
#include "support/manualclock.h"
#include "support/tempprogramfolder.h"

using namespace kv;

namespace {

QDateTime at(int y, int mo, int d, int h = 0, int mi = 0, int s = 0, int ms = 0) {
    return naiveDateTime(QDate(y, mo, d), QTime(h, mi, s, ms));
}

// The fields of a small table of the tests.
constexpr Field<bool> kMark{"Mark"};
constexpr Field<QString> kLabel{"Label", 10};
constexpr Field<int> kNum{"Num"};
constexpr Field<QDateTime> kWhen{"When"};

QList<FieldDef> smallLayout() {
    return layoutOf(kMark, kLabel, kNum, kWhen);
}

void addRow(Table& t, const QString& name, int num, bool flag = false) {
    t.insert();
    t.setString(kLabel, name);
    t.setInt(kNum, num);
    t.setBool(kMark, flag);
    t.post();
}

QStringList names(Table& t, const Field<QString>& field = kLabel) {
    QStringList out;
    for (int i = 0; i < t.recordCount(); ++i) {
        out << t.peekString(i, t.fieldIndex(field));
    }
    return out;
}

// A getter of another type than the field's does not compile.
template <typename F>
concept ReadsAsText = requires(const Table& t, const F& field) {
    t.asString(field);
};
static_assert(ReadsAsText<Field<QString>> && !ReadsAsText<Field<int>> &&
              !ReadsAsText<Field<bool>> && !ReadsAsText<Field<QDateTime>>);

template <typename F>
QString errorOf(F&& f) {
    try {
        f();
    } catch (const StoreError& e) {
        return e.message();
    }
    return {};
}

}  // namespace

class TestTable : public QObject {
    Q_OBJECT

private:
    std::optional<test::ManualClock> clock_;

private Q_SLOTS:
    void init() { clock_.emplace(at(2025, 12, 8, 9, 0)); }
    void cleanup() { clock_.reset(); }

    // A new table's file, byte for byte, is the layout that other programs and older copies
    // read: the files under data/ were checked field by field against that layout (header,
    // descriptors, widths above 255 split over length and decimal count, end marks).
    void emptyTablesAreByteExact() {
        test::TempProgramFolder folder;
        for (const auto& [file, layout] :
             {std::pair{kTasksFile, &tasksLayout}, std::pair{kObjectsFile, &objectsLayout},
              std::pair{kArchiversFile, &archiversLayout},
              std::pair{kTaskExtrasFile, &taskExtrasLayout}}) {
            Table::create(file, layout());
            QFile expected(QFINDTESTDATA("data/" + file));
            QVERIFY2(expected.open(QIODevice::ReadOnly), qPrintable(file));
            QCOMPARE(folder.read(file), expected.readAll());
        }
    }

    void appendedRowBytes() {
        test::TempProgramFolder folder;
        Table::create("t.dbf", smallLayout());
        Table t("t.dbf");
        t.open();
        t.insert();
        // Names are looked up without regard to case.
        t.setBool(Field<bool>("mark"), true);
        t.setString(Field<QString>("LABEL", 10), QString::fromUtf8("Жук"));
        t.setInt(kNum, 0);
        t.setDateTime(kWhen, at(2000, 1, 1, 12, 0, 0, 5));
        t.post();
        t.insert();
        t.post();  // never written
        t.close();

        const QByteArray file = folder.read("t.dbf");
        const int header = 68 + 4 * 48 + 1;
        QCOMPARE(file.size(), header + 2 * 24 + 1);
        QCOMPARE(file.mid(4, 4), QByteArray::fromHex("02000000"));
        QCOMPARE(file.mid(header, 24), QByteArray::fromHex("20"
                                                           "54"
                                                           "c6f3ea00000000000000"
                                                           "80000000"
                                                           "00256859"
                                                           "02932e05"));
        QCOMPARE(file.mid(header + 24, 24), QByteArray::fromHex("20"
                                                                "20"
                                                                "00000000000000000000"
                                                                "00000000"
                                                                "0000000000000000"));
        QCOMPARE(file.back(), char(0x1A));
    }

    void valuesRoundTrip() {
        test::TempProgramFolder folder;
        Table::create(kArchiversFile, archiversLayout());
        Table::create("t.dbf", smallLayout());
        const QString cyrillic = QString::fromUtf8("Архив «Ёжик» №1 ");
        const QString long285 = QString(280, u'ж') + QStringLiteral("12345XYZ");
        {
            Table a(kArchiversFile);
            a.open();
            a.insert();
            a.setString(ArchiverField::Name, cyrillic);
            a.setString(ArchiverField::Arhstr1, long285);
            a.setString(ArchiverField::Param1, QStringLiteral("abcdefgh"));  // width 5
            a.setString(ArchiverField::Keys1, QStringLiteral("  x  "));
            a.setInt(ArchiverField::Tip, -1);
            a.post();
            Table t("t.dbf");
            t.open();
            const int lowest = std::numeric_limits<int>::min();
            for (int v : {lowest, lowest + 1, -2, 0, 1, std::numeric_limits<int>::max()}) {
                t.insert();
                t.setInt(kNum, v);
                t.setDateTime(kWhen, at(2025, 3, 30, 2, 30, 59, 999));
                t.post();
            }
            t.insert();
            t.setDateTime(kWhen, zeroDateTime());
            t.post();
        }
        Table a(kArchiversFile);
        a.open();
        QCOMPARE(a.asString(ArchiverField::Name), cyrillic);
        QCOMPARE(a.asString(ArchiverField::Arhstr1), long285.left(285));
        QCOMPARE(a.asString(ArchiverField::Param1), QStringLiteral("abcde"));
        QCOMPARE(a.asString(ArchiverField::Keys1), QStringLiteral("  x  "));
        QCOMPARE(a.asInt(ArchiverField::Tip), -1);
        QCOMPARE(a.asBool(ArchiverField::Sys), false);
        QCOMPARE(a.asString(ArchiverField::NameAr), QString());

        Table t("t.dbf");
        t.open();
        QList<int> ints;
        for (t.first(); !t.eof(); t.next()) {
            ints << t.asInt(kNum);
            if (ints.size() <= 6) {
                QCOMPARE(t.asDateTime(kWhen), at(2025, 3, 30, 2, 30, 59, 999));
            }
        }
        // The lowest int has the stored form of a never-written field.
        QCOMPARE(ints, QList<int>({0, std::numeric_limits<int>::min() + 1, -2, 0, 1,
                                   std::numeric_limits<int>::max(), 0}));
        QCOMPARE(t.asDateTime(kWhen), zeroDateTime());
        QVERIFY(isZeroDateTime(t.asDateTime(kWhen)));
    }

    void gettersAndSettersRefuseBadUse() {
        test::TempProgramFolder folder;
        Table::create("t.dbf", smallLayout());
        Table t("t.dbf");
        QVERIFY(errorOf([&] { t.asInt(kNum); }).contains("\"t.dbf\" is not open"));
        t.open();
        QVERIFY(errorOf([&] { t.asInt(Field<int>("Nope")); }).contains("no field \"Nope\""));
        QVERIFY(errorOf([&] {
                    t.asInt(t.fieldIndex(Field<int>("Nope")));
                }).contains("no field \"Nope\""));
        // A declaration that the file does not match.
        QVERIFY(errorOf([&] { t.asString(Field<QString>("Num", 10)); }).contains("t.dbf"));
        QVERIFY(errorOf([&] { t.setInt(kNum, 1); }).contains("not being edited"));
        QVERIFY(errorOf([&] { t.edit(); }).contains("empty"));
        QVERIFY(errorOf([&] { t.deleteRecord(); }).contains("empty"));
        // An empty table reads as never written.
        QCOMPARE(t.asInt(2), 0);
        QCOMPARE(t.asBool(0), false);
        QCOMPARE(t.asString(1), QString());
        QCOMPARE(t.asDateTime(3), zeroDateTime());
        QVERIFY(errorOf([&] {
                    t.setDateTime(kWhen, naiveDateTime(QDate(-4714, 1, 1), QTime()));
                }).contains("not being edited"));
        t.insert();
        QVERIFY(!errorOf([&] {
                     t.setDateTime(kWhen, naiveDateTime(QDate(-4800, 1, 1), QTime(1, 0)));
                 }).isEmpty());
        t.cancel();
        QVERIFY(t.isEmpty());
    }

    void cursorOverRows() {
        test::TempProgramFolder folder;
        Table::create("t.dbf", smallLayout());
        Table t("t.dbf");
        t.open();
        QVERIFY(t.bof() && t.eof() && t.isEmpty());
        QCOMPARE(t.recNo(), -1);
        t.next();
        QVERIFY(t.bof() && t.eof());

        for (int i = 0; i < 4; ++i) {
            addRow(t, QStringLiteral("r%1").arg(i), i);
            QCOMPARE(t.recNo(), i);  // insert+post rests on the new row
        }
        t.first();
        QVERIFY(t.bof() && !t.eof());
        QCOMPARE(t.asString(kLabel), QStringLiteral("r0"));
        t.next();
        t.next();
        t.next();
        QCOMPARE(t.asString(kLabel), QStringLiteral("r3"));
        QVERIFY(!t.eof() && !t.bof());
        t.next();  // past the last row: eof, cursor stays
        QVERIFY(t.eof());
        QCOMPARE(t.asString(kLabel), QStringLiteral("r3"));
        t.prior();
        QCOMPARE(t.asString(kLabel), QStringLiteral("r2"));
        QVERIFY(!t.eof());

        // Delete in the middle, at the start and at the end.
        t.moveTo(1);
        t.deleteRecord();
        QCOMPARE(t.asString(kLabel), QStringLiteral("r2"));
        t.first();
        t.deleteRecord();
        QCOMPARE(t.asString(kLabel), QStringLiteral("r2"));
        t.moveTo(1);
        t.deleteRecord();
        QCOMPARE(t.recNo(), 0);
        QCOMPARE(t.asString(kLabel), QStringLiteral("r2"));
        QVERIFY(!t.eof());
        t.deleteRecord();
        QVERIFY(t.isEmpty() && t.bof() && t.eof());
        QCOMPARE(t.asString(kLabel), QString());

        // Deleted rows stay invisible after reopening.
        addRow(t, "x", 1);
        t.close();
        t.open();
        QCOMPARE(names(t), QStringList({"x"}));
    }

    void editingAndMovingPosts() {
        test::TempProgramFolder folder;
        Table::create("t.dbf", smallLayout());
        Table t("t.dbf");
        t.open();
        addRow(t, "a", 1);
        addRow(t, "b", 2);
        t.first();
        t.edit();
        t.setInt(kNum, 10);
        QCOMPARE(t.asInt(kNum), 10);   // pending value
        QCOMPARE(t.peekInt(0, 2), 1);  // stored value
        t.next();                      // posts
        QCOMPARE(t.state(), Table::State::Browse);
        QCOMPARE(t.peekInt(0, 2), 10);
        t.edit();
        t.setString(kLabel, "zz");
        t.cancel();
        QCOMPARE(t.asString(kLabel), QStringLiteral("b"));
        t.insert();
        t.setString(kLabel, "c");
        t.first();  // posts the insert, then moves
        QCOMPARE(names(t), QStringList({"a", "b", "c"}));
        t.edit();
        t.setString(kLabel, "A");
        t.close();  // drops the edit
        t.open();
        QCOMPARE(names(t), QStringList({"a", "b", "c"}));
        t.edit();
        t.setString(kLabel, "A");
        t.insert();  // posts the edit first
        t.cancel();
        QCOMPARE(names(t), QStringList({"A", "b", "c"}));
    }

    void locateOnOneAndTwoFields() {
        test::TempProgramFolder folder;
        Table::create("t.dbf", smallLayout());
        Table t("t.dbf");
        t.open();
        addRow(t, "Dup", 1, true);
        addRow(t, "dup", 2);
        addRow(t, "Dup", 3);
        t.edit();
        t.setDateTime(kWhen, at(2024, 2, 29, 23, 59, 59, 1));
        t.post();
        t.moveTo(1);
        QVERIFY(t.locate({"label"}, {"Dup"}));
        QCOMPARE(t.asInt(kNum), 1);
        QVERIFY(t.locate({kLabel.name(), kMark.name()}, {"Dup", false}));
        QCOMPARE(t.asInt(kNum), 3);
        QVERIFY(t.locate(kWhen, at(2024, 2, 29, 23, 59, 59, 1)));
        QCOMPARE(t.asInt(kNum), 3);
        QVERIFY(t.locate(kNum, 2));
        QCOMPARE(t.asString(kLabel), QStringLiteral("dup"));
        QVERIFY(!t.locate(kLabel, "DUP"));
        QVERIFY(!t.locate(kLabel, "Dup "));
        QVERIFY(!t.locate({kLabel.name(), kNum.name()}, {"Dup", 2}));
        QCOMPARE(t.asString(kLabel), QStringLiteral("dup"));  // unchanged
        QVERIFY(t.locate(kLabel, "") == false);
        QVERIFY(!errorOf([&] { t.locate({kLabel.name()}, {}); }).isEmpty());
    }

    void packAndEmptyReplaceTheFile() {
        test::TempProgramFolder folder;
        Table::create(kObjectsFile, objectsLayout());
        Table t(kObjectsFile);
        t.open();
        for (int i = 0; i < 5; ++i) {
            t.insert();
            t.setString(ObjectField::Name, QStringLiteral("n%1").arg(i));
            t.setInt(ObjectField::TipFile1, 1);
            t.setString(ObjectField::Path, QString(200, QChar(u'a' + i)));
            t.post();
        }
        t.moveTo(1);
        t.edit();
        t.setInt(ObjectField::TipFile1, 2);
        t.post();
        QVERIFY(QFile::exists(folder.file("tasksm.dbf.jnl")));
        t.deleteRecord();
        t.moveTo(2);
        t.deleteRecord();
        const QByteArray before = folder.read(kObjectsFile);
        QCOMPARE(before.size(), 405 + 5 * 821 + 1);

        QSignalSpy resets(&t, &Table::reset);
        t.pack();
        QCOMPARE(resets.size(), 1);
        QVERIFY(t.isOpen());
        QCOMPARE(t.access(), Table::Access::Shared);
        QCOMPARE(t.recNo(), 0);
        QVERIFY(t.bof());
        QCOMPARE(names(t, ObjectField::Name), QStringList({"n0", "n2", "n4"}));
        const QByteArray after = folder.read(kObjectsFile);
        QCOMPARE(after.size(), 405 + 3 * 821 + 1);
        QCOMPARE(after.mid(4, 4), QByteArray::fromHex("03000000"));
        QCOMPARE(after.mid(405, 821), before.mid(405, 821));
        QCOMPARE(after.mid(405 + 821, 821), before.mid(405 + 2 * 821, 821));
        QVERIFY(!QFile::exists(folder.file("tasksm.dbf.jnl")));
        QCOMPARE(QDir(folder.path()).entryList(QDir::Files), QStringList({kObjectsFile}));

        // The table stays usable after packing, and the file is still shared with readers.
        Table reader(kObjectsFile);
        reader.open();
        QCOMPARE(names(reader, ObjectField::Name), QStringList({"n0", "n2", "n4"}));
        QVERIFY(errorOf([&] { t.emptyTable(); }).contains("in use"));
        QCOMPARE(names(t, ObjectField::Name), QStringList({"n0", "n2", "n4"}));
        QCOMPARE(t.access(), Table::Access::Shared);
        reader.close();
        t.emptyTable();
        QVERIFY(t.isEmpty() && t.bof() && t.eof());
        QCOMPARE(folder.read(kObjectsFile).size(), 405 + 1);
        t.insert();
        t.setString(ObjectField::Name, "again");
        t.post();
        t.close();
        t.open();
        QCOMPARE(t.asString(ObjectField::Name), QStringLiteral("again"));
    }

    void exclusiveAccess() {
        test::TempProgramFolder folder;
        Table::create("t.dbf", smallLayout());
        Table a("t.dbf");
        Table b("t.dbf");
        a.open();
        QVERIFY(errorOf([&] { b.open(Table::Access::Exclusive); }).contains("in use"));
        QVERIFY(!b.isOpen());
        b.open();  // shared with shared is fine
        b.close();
        a.close();
        a.open(Table::Access::Exclusive);
        QCOMPARE(a.access(), Table::Access::Exclusive);
        QVERIFY(errorOf([&] { b.open(); }).contains("\"t.dbf\" is in use"));
        QVERIFY(errorOf([&] { Table::create("t.dbf", smallLayout()); }).contains("in use"));
        addRow(a, "x", 1);
        a.pack();
        QCOMPARE(a.access(), Table::Access::Exclusive);
        QVERIFY(errorOf([&] { b.open(); }).contains("in use"));
        a.close();
        b.open();
        QCOMPARE(names(b), QStringList({"x"}));
    }

    void readsBlankPaddedFileOfAnotherProgram() {
        // A dBASE III file as other programs write it: 32-byte descriptors, text padded with
        // blanks, no end mark.
        QByteArray file(32, '\0');
        file[0] = 0x03;
        file[1] = 99;
        file[2] = 1;
        file[3] = 1;
        file[4] = 2;  // rows
        file[8] = 32 + 2 * 32 + 1;
        file[10] = 1 + 8 + 1;
        auto level3 = [](const char* name, char type, int length) {
            QByteArray d(32, '\0');
            std::memcpy(d.data(), name, std::strlen(name));
            d[11] = type;
            d[16] = char(length);
            return d;
        };
        file += level3("LABEL", 'C', 8);
        file += level3("OK", 'L', 1);
        file += char(0x0D);
        file += QByteArray(" \xc0\xe1  x   Y", 10);
        file += QByteArray("*deleted?N", 10);
        QCOMPARE(file.size(), 32 + 64 + 1 + 20);

        test::TempProgramFolder folder;
        folder.write("other.dbf", file);
        Table t("other.dbf");
        t.open();
        QCOMPARE(t.recordCount(), 1);
        // Fields declared as the program writes them, found without regard to case.
        const Field<QString> label("Label", 8);
        QCOMPARE(t.asString(label), QString::fromUtf8("Аб  x"));
        QCOMPARE(t.asBool(Field<bool>("ok")), true);
        t.edit();
        t.setString(Field<QString>("label", 8), "new");
        t.post();
        t.insert();
        t.setString(Field<QString>("LABEL", 8), "two");
        t.post();
        t.pack();
        t.close();
        t.open();
        QCOMPARE(t.recordCount(), 2);
        QCOMPARE(t.asString(label), QStringLiteral("new"));
        QCOMPARE(folder.read("other.dbf").left(1), QByteArray("\x03"));
    }

    void damagedFilesAreRefusedUntouched_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("message");
        test::TempProgramFolder folder;
        Table::create("t.dbf", smallLayout());
        {
            Table t("t.dbf");
            t.open();
            addRow(t, "a", 1);
            addRow(t, "b", 2);
        }
        const QByteArray good = folder.read("t.dbf");
        const int header = 68 + 4 * 48 + 1;
        QTest::newRow("empty") << QByteArray() << "is not a dBASE table: the file is empty";
        QTest::newRow("text") << QByteArray("hello, world") << "is not a dBASE table";
        QTest::newRow("short header") << good.left(40) << "shorter than a table header";
        QTest::newRow("cut in header") << good.left(200) << "shorter than its header says";
        QTest::newRow("cut in rows") << good.left(header + 30) << "shorter than its header says";
        QByteArray noEnd = good;
        noEnd[header - 1] = 'X';
        QTest::newRow("no end mark") << noEnd << "end mark";
        QByteArray badType = good;
        badType[68 + 48 + 32] = 'Q';
        QTest::newRow("unknown type") << badType << "type 0x51";
        QByteArray badLength = good;
        badLength[10] = 25;
        QTest::newRow("row length") << badLength << "row length 25";
        QByteArray hugeCount = good;
        hugeCount[7] = char(0xFF);
        QTest::newRow("huge count") << hugeCount << "shorter than its header says";
        QByteArray intWidth = good;
        intWidth[68 + 2 * 48 + 33] = 5;
        QTest::newRow("integer width") << intWidth << "length 5";
        QByteArray otherVersion = good;
        otherVersion[0] = 0x03;
        QTest::newRow("other version") << otherVersion << "is a dBASE III file (version 0x03)";
        // A header one byte long would shift every row by one: the first letters of the names
        // would be read as row marks and written over.
        QByteArray longHeader = good;
        longHeader[8] = char(header + 1);
        QTest::newRow("header length") << longHeader << "header length 262";
        QByteArray badMark = good;
        badMark[header + 24] = 'X';
        QTest::newRow("row mark") << badMark << "row 2 begins with the byte 0x58";
    }

    void damagedFilesAreRefusedUntouched() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, message);
        test::TempProgramFolder folder;
        folder.write("tasks.dbf", bytes);
        const auto before = test::snapshot(folder.path());
        Table t("tasks.dbf");
        const QString error = errorOf([&] { t.open(); });
        QVERIFY2(error.startsWith("Table \"tasks.dbf\" "), qPrintable(error));
        QVERIFY2(error.contains(message), qPrintable(error));
        QVERIFY(!t.isOpen());
        QCOMPARE(test::snapshot(folder.path()), before);
    }

    // Links planted where the journal and the new copy go are replaced, their targets untouched.
    void sideFilesNeverFollowLinks() {
        test::TempProgramFolder folder;
        QTemporaryDir outside;
        Table::create("t.dbf", smallLayout());
        Table t("t.dbf");
        t.open();
        addRow(t, "a", 1);
        const QString target = outside.filePath("target");
        QVERIFY(QFile::link(target, folder.file("t.dbf.jnl")));
        QVERIFY(QFile::link(target, folder.file("t.dbf.new")));
        t.edit();
        t.setInt(kNum, 2);
        t.post();
        t.pack();
        t.close();
        QVERIFY(!QFileInfo::exists(target));
        t.open();
        QCOMPARE(t.asInt(kNum), 2);
    }

    void missingFileGivesMessage() {
        test::TempProgramFolder folder;
        Table t("absent.dbf");
        const QString error = errorOf([&] { t.open(); });
        QVERIFY2(error.contains("\"absent.dbf\" cannot be opened"), qPrintable(error));
        QVERIFY(!QFile::exists(folder.file("absent.dbf")));
    }

    void createRefusesBadLayouts() {
        test::TempProgramFolder folder;
        QVERIFY(errorOf([] { Table::create("t.dbf", {}); }).contains("without fields"));
        QVERIFY(errorOf([] {
                    Table::create("t.dbf", {{QString(32, 'a'), FieldType::Integer, 0}});
                }).contains("31"));
        QVERIFY(errorOf([] {
                    Table::create("t.dbf",
                                  {{"A", FieldType::Integer, 0}, {"a", FieldType::Boolean, 0}});
                }).contains("twice"));
        QVERIFY(errorOf([] {
                    Table::create("t.dbf", {{"A", FieldType::String, 0}});
                }).contains("width 0"));
        QVERIFY(!QFile::exists(folder.file("t.dbf")));
    }

    void signalsFollowChangesAndRespectSuspension() {
        test::TempProgramFolder folder;
        Table::create("t.dbf", smallLayout());
        Table t("t.dbf");
        QSignalSpy resets(&t, &Table::reset);
        QSignalSpy changed(&t, &Table::rowChanged);
        QSignalSpy moved(&t, &Table::cursorMoved);
        t.open();
        QCOMPARE(resets.size(), 1);
        addRow(t, "a", 1);
        addRow(t, "b", 2);
        QCOMPARE(resets.size(), 3);
        QCOMPARE(moved.last().at(0).toInt(), 1);
        t.first();
        QCOMPARE(moved.last().at(0).toInt(), 0);
        t.edit();
        t.setInt(kNum, 5);
        t.post();
        QCOMPARE(changed.size(), 1);
        QCOMPARE(changed.last().at(0).toInt(), 0);
        t.edit();
        t.post();  // nothing changed: no write, no signal
        QCOMPARE(changed.size(), 1);

        resets.clear();
        moved.clear();
        {
            ControlsDisabled outer(t);
            ControlsDisabled inner(t);
            for (t.first(); !t.eof(); t.next()) {
                t.edit();
                t.setBool(kMark, true);
                t.post();
            }
            addRow(t, "c", 3);
            t.deleteRecord();
            QVERIFY(t.controlsDisabled());
        }
        QVERIFY(!t.controlsDisabled());
        QCOMPARE(changed.size(), 1);
        QCOMPARE(resets.size(), 1);  // only the resumption
        t.close();
        QCOMPARE(resets.size(), 2);
    }
};

QTEST_GUILESS_MAIN(TestTable)
#include "tst_table.moc"
