#include <QDir>
#include <QFile>
#include <QTest>
#include <memory>

#include "archiving/findarchivers.h"
#include "language/mainwindowtexts.h"
#include "platform/programsearch.h"
#include "platform/registryfile.h"
#include "store/layouts.h"
#include "store/table.h"
#include "support/scriptedmessageboxes.h"
#include "support/tablefolder.h"

using namespace kv;

namespace {

const QByteArray kZipCommand = "@=\"\\\"/opt/WinZip/WINZIP32.exe\\\" \\\"%1\\\"\"\n";
const QByteArray kRarCommand =
    "@=\"\\\"C:\\\\Program Files\\\\WinRAR\\\\WinRAR.exe\\\" \\\"%1\\\"\"\n";

QByteArray section(const char* key, const QByteArray& value) {
    return QByteArray("[HKEY_CLASSES_ROOT\\") + key + "]\n" + value;
}

struct Row {
    bool flag;
    QString name, nameAr, param1, keys1, arhstr1, param2, keys2, arhstr2;
    bool sys;
    int tip;
};

// A program folder with empty tables, as the first start leaves them.
struct Fixture {
    Fixture() { resetRegistryReports(); }
    void registry(const QByteArray& sections) {
        folder.write("registry.reg", "REGEDIT4\n" + sections);
    }

    QList<Row> rows() {
        Table& t = archivers;
        t.open();
        QList<Row> out;
        for (t.first(); !t.eof(); t.next()) {
            out.append({t.asBool(ArchiverField::Flag), t.asString(ArchiverField::Name),
                        t.asString(ArchiverField::NameAr), t.asString(ArchiverField::Param1),
                        t.asString(ArchiverField::Keys1), t.asString(ArchiverField::Arhstr1),
                        t.asString(ArchiverField::Param2), t.asString(ArchiverField::Keys2),
                        t.asString(ArchiverField::Arhstr2), t.asBool(ArchiverField::Sys),
                        t.asInt(ArchiverField::Tip)});
        }
        t.close();
        return out;
    }

    // A folder of the search path holding programs of these names (empty files that may run).
    QString programs(const QString& folder, const QStringList& names) {
        for (const QString& name : names) {
            this->folder.write(folder + "/" + name, {});
            QFile::setPermissions(this->folder.file(folder + "/" + name),
                                  QFile::ReadOwner | QFile::ExeOwner);
        }
        return this->folder.file(folder);
    }

    test::TableFolder folder;
    test::ScriptedMessageBoxes boxes;
    Table archivers{kArchiversFile};
    MainWindowTexts texts = mainWindowTexts();
};

}  // namespace

class TestFindArchivers : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void pathFromCommand();
    void firstStartWithBothArchivers();
    void secondKeyStandsInForTheFirst();
    void userRowsDoNotCount();
    void deletedSystemRowComesBack();
    void uselessCommandsStillGiveRows();
    void nothingInstalledOrBrokenRegistry();
    void searchPathArchiversBecomeSystemConfigurations();
    void theDefaultMarkGoesWhereNoneIs();
    void pathsTheTableCannotHoldAreLeftOut();
    void sevenZipIsOfferedWhereNoConfigurationRunsIt();
};

void TestFindArchivers::pathFromCommand() {
    QCOMPARE(ArchiverPathFromCommand("\"C:\\Program Files\\WinRAR\\WinRAR.exe\" \"%1\""),
             QStringLiteral("C:\\Program Files\\WinRAR\\WinRAR.exe"));
    QCOMPARE(ArchiverPathFromCommand("\"/opt/a.exe/b.exe\" x"), QStringLiteral("/opt/a.exe"));
    QCOMPARE(ArchiverPathFromCommand(".exe"), QStringLiteral("exe"));
    // Without ".exe" a native command: its quoted program, or else its first word.
    QCOMPARE(ArchiverPathFromCommand("\"/opt/My Rar/rar\" \"%1\""),
             QStringLiteral("/opt/My Rar/rar"));
    QCOMPARE(ArchiverPathFromCommand("\"C:\\WINRAR.EXE\""), QStringLiteral("C:\\WINRAR.EXE"));
    QCOMPARE(ArchiverPathFromCommand("/usr/bin/rar x \"%1\""), QStringLiteral("/usr/bin/rar"));
    QCOMPARE(ArchiverPathFromCommand("/usr/bin/rar"), QStringLiteral("/usr/bin/rar"));
    QCOMPARE(ArchiverPathFromCommand("\"a"), QStringLiteral("a"));
    QCOMPARE(ArchiverPathFromCommand(""), QString());
}

void TestFindArchivers::firstStartWithBothArchivers() {
    Fixture f;
    f.registry(section("WinRAR\\shell\\open\\command", kRarCommand) +
               section("Applications\\WinZip.exe\\shell\\open\\command", kZipCommand));
    f.archivers.open();  // discovery opens and closes the table whatever its state
    FindArchivers(f.archivers, f.texts);
    QVERIFY(!f.archivers.isOpen());
    const QList<Row> rows = f.rows();
    QCOMPARE(rows.size(), 2);
    const Row& zip = rows[0];
    QCOMPARE(zip.flag, true);
    QCOMPARE(zip.name, QStringLiteral("Основная конфигурация WinZip"));
    QCOMPARE(zip.nameAr, QStringLiteral("/opt/WinZip/WINZIP32.exe"));
    QCOMPARE(zip.param1, QStringLiteral("a"));
    QCOMPARE(zip.keys1, QStringLiteral("-ep3"));
    QCOMPARE(zip.arhstr1, QStringLiteral("/opt/WinZip/WINZIP32.exe a -ep3"));
    QCOMPARE(zip.param2, QStringLiteral("x"));
    QCOMPARE(zip.keys2, QStringLiteral("-ep3"));
    QCOMPARE(zip.arhstr2, QStringLiteral("/opt/WinZip/WINZIP32.exe x -ep3"));
    QCOMPARE(zip.sys, true);
    QCOMPARE(zip.tip, 2);
    const Row& rar = rows[1];
    QCOMPARE(rar.flag, false);
    QCOMPARE(rar.name, QStringLiteral("Основная конфигурация WinRar"));
    QCOMPARE(rar.arhstr1, QStringLiteral("C:\\Program Files\\WinRAR\\WinRAR.exe a -ep3"));
    QCOMPARE(rar.sys, true);
    QCOMPARE(rar.tip, 1);

    // Any number of further passes adds nothing.
    for (int i = 0; i < 3; ++i) {
        FindArchivers(f.archivers, f.texts);
    }
    QCOMPARE(f.rows().size(), 2);
    QVERIFY(f.boxes.shown.isEmpty());
}

void TestFindArchivers::secondKeyStandsInForTheFirst() {
    Fixture f;
    // Only WinRAR, under its second key; names in the language in use.
    f.texts.set(Form1Text::cf2, "Default WinRar configuration");
    f.registry(section("winrar\\Shell\\Open\\Command", kRarCommand));
    FindArchivers(f.archivers, f.texts);
    QList<Row> rows = f.rows();
    QCOMPARE(rows.size(), 1);
    QCOMPARE(rows[0].flag, true);
    QCOMPARE(rows[0].tip, 1);
    QCOMPARE(rows[0].name, QStringLiteral("Default WinRar configuration"));

    // Both keys of one kind: the first one gives the row, the second adds nothing.
    Fixture g;
    g.registry(
        section("Applications\\WinZip.exe\\shell\\open\\command", "@=\"\\\"/one.exe\\\"\"\n") +
        section("WinZip\\shell\\open\\command", "@=\"\\\"/two.exe\\\"\"\n"));
    FindArchivers(g.archivers, g.texts);
    rows = g.rows();
    QCOMPARE(rows.size(), 1);
    QCOMPARE(rows[0].nameAr, QStringLiteral("/one.exe"));
}

void TestFindArchivers::userRowsDoNotCount() {
    Fixture f;
    f.archivers.open();
    test::appendRow(f.archivers, {{ArchiverField::Flag, true},
                                  {ArchiverField::Name, "mine"},
                                  {ArchiverField::NameAr, "C:\\Program Files\\WinRAR\\WinRAR.exe"},
                                  {ArchiverField::Tip, 1},
                                  {ArchiverField::Sys, false}});
    f.archivers.close();
    f.registry(section("WinRAR\\shell\\open\\command", kRarCommand));
    FindArchivers(f.archivers, f.texts);
    const QList<Row> rows = f.rows();
    QCOMPARE(rows.size(), 2);
    QCOMPARE(rows[0].name, QStringLiteral("mine"));
    // The Flag rule looks only at this pass: two marked rows now.
    QCOMPARE(rows[0].flag, true);
    QCOMPARE(rows[1].flag, true);
    QCOMPARE(rows[1].sys, true);
}

void TestFindArchivers::deletedSystemRowComesBack() {
    Fixture f;
    f.registry(section("WinZip\\shell\\open\\command", kZipCommand) +
               section("WinRAR\\shell\\open\\command", kRarCommand));
    FindArchivers(f.archivers, f.texts);
    Table& t = f.archivers;
    t.open();
    t.first();
    QCOMPARE(t.asInt(ArchiverField::Tip), 2);
    t.deleteRecord();
    t.close();
    FindArchivers(f.archivers, f.texts);
    const QList<Row> rows = f.rows();
    QCOMPARE(rows.size(), 2);
    QCOMPARE(rows[0].tip, 1);
    QCOMPARE(rows[0].flag, false);  // the WinRAR row keeps its own mark
    QCOMPARE(rows[1].tip, 2);
    QCOMPARE(rows[1].flag, true);
}

void TestFindArchivers::uselessCommandsStillGiveRows() {
    Fixture f;
    f.registry(section("WinZip\\shell\\open\\command", "@=\"\\\"/usr/bin/7zz\\\" \\\"%1\\\"\"\n") +
               section("WinRAR\\shell\\open\\command", "\"NotTheDefault\"=\"x\"\n"));
    FindArchivers(f.archivers, f.texts);
    const QList<Row> rows = f.rows();
    QCOMPARE(rows.size(), 2);
    QCOMPARE(rows[0].arhstr1, QStringLiteral("/usr/bin/7zz a -ep3"));
    QCOMPARE(rows[1].nameAr, QString());
    QCOMPARE(rows[1].arhstr1, QStringLiteral(" a -ep3"));
    QCOMPARE(rows[1].arhstr2, QStringLiteral(" x -ep3"));
}

void TestFindArchivers::nothingInstalledOrBrokenRegistry() {
    Fixture f;
    FindArchivers(f.archivers, f.texts);  // no registry.reg
    QCOMPARE(f.rows().size(), 0);
    f.registry(section("Other\\shell\\open\\command", kRarCommand));
    FindArchivers(f.archivers, f.texts);
    QCOMPARE(f.rows().size(), 0);
    QVERIFY(f.boxes.shown.isEmpty());

    // A broken file: told once, counts as empty, discovery goes on quietly afterwards.
    f.registry(section("WinRAR\\shell\\open\\command", "@=\"unterminated\n"));
    FindArchivers(f.archivers, f.texts);
    FindArchivers(f.archivers, f.texts);
    QCOMPARE(f.rows().size(), 0);
    QCOMPARE(f.boxes.shown.size(), 1);
    QVERIFY(!f.archivers.isOpen());
}

void TestFindArchivers::searchPathArchiversBecomeSystemConfigurations() {
    Fixture f;
    const QString only7z = f.programs("a", {"7z", "7za"});
    const QString all = f.programs("b", {"7zz", "7z", "rar"});
    {
        const ScopedProgramSearchPath path({only7z, all});
        FindArchiversOnPath(f.archivers, f.texts);
    }
    QVERIFY(!f.archivers.isOpen());
    const QList<Row> rows = f.rows();
    QCOMPARE(rows.size(), 2);
    // 7zz comes first wherever it is; the full path found, full paths kept in the archive,
    // progress on standard output, and a file in the way renamed by a restore. The first one
    // found is the default.
    const Row& sevenZip = rows[0];
    const QString zz = all + "/7zz";
    QCOMPARE(sevenZip.name, f.texts.text(Form1Text::cf5));
    QCOMPARE(sevenZip.nameAr, zz);
    QCOMPARE(sevenZip.arhstr1, zz + " a -spf -bsp1");
    QCOMPARE(sevenZip.arhstr2, zz + " x -spf -aot");
    QVERIFY(sevenZip.sys && sevenZip.flag);
    QCOMPARE(sevenZip.tip, 0);
    const Row& rar = rows[1];
    QCOMPARE(rar.name, f.texts.text(Form1Text::cf6));
    QCOMPARE(rar.arhstr1, all + "/rar a -ep3");
    QCOMPARE(rar.arhstr2, all + "/rar x ");
    QVERIFY(rar.sys && !rar.flag);

    // Nothing on the path, no row; without 7zz, 7z before 7za.
    Fixture g;
    for (const QStringList& folders :
         {QStringList{g.folder.file("none")},
          QStringList{g.programs("c", {"7za"}), g.programs("d", {"7z"})}}) {
        const ScopedProgramSearchPath path(folders);
        FindArchiversOnPath(g.archivers, g.texts);
    }
    QCOMPARE(g.rows().size(), 1);
    QCOMPARE(g.rows()[0].nameAr, g.folder.file("d/7z"));
}

// The registry's configuration, found first, keeps the mark.
void TestFindArchivers::theDefaultMarkGoesWhereNoneIs() {
    Fixture f;
    const ScopedProgramSearchPath path({f.programs("bin", {"7zz"})});
    f.registry(section("WinRAR\\shell\\open\\command", kRarCommand));
    FindArchivers(f.archivers, f.texts);
    FindArchiversOnPath(f.archivers, f.texts);
    const QList<Row> rows = f.rows();
    QCOMPARE(rows.size(), 2);
    QVERIFY(rows[0].flag && !rows[1].flag);
}

void TestFindArchivers::pathsTheTableCannotHoldAreLeftOut() {
    Fixture f;
    const QString deep = QString(100, u'd') + "/" + QString(100, u'e') + "/" + QString(60, u'f');
    const QString tooLong = f.programs(deep, {"7zz"});
    const QString foreign = f.programs("程序", {"rar"});
    const QString fits = f.programs("bin", {"7za"});
    const ScopedProgramSearchPath path({tooLong, foreign, fits});
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("7zz is not added"));
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("rar is not added"));
    FindArchiversOnPath(f.archivers, f.texts);
    const QList<Row> rows = f.rows();
    QCOMPARE(rows.size(), 1);
    QCOMPARE(rows[0].nameAr, fits + "/7za");
}

// A list made before 7-Zip was there is offered it unless a configuration runs 7-Zip or bears
// the name of its configuration.
void TestFindArchivers::sevenZipIsOfferedWhereNoConfigurationRunsIt() {
    const QList<std::pair<test::Row, bool>> lists{
        {{{ArchiverField::NameAr, "/x/arj"}}, true},
        {{{ArchiverField::NameAr, "/opt/7-Zip/7z"}}, false},
        {{{ArchiverField::Name, mainWindowTexts().text(Form1Text::cf5)}}, false},
    };
    for (const auto& [row, offered] : lists) {
        Fixture f;
        const ScopedProgramSearchPath path({f.programs("bin", {"7zz"})});
        f.archivers.open();
        test::appendRow(f.archivers, row);
        QCOMPARE(sevenZipToOffer(f.archivers, f.texts).isEmpty(), !offered);
    }
}

QTEST_GUILESS_MAIN(TestFindArchivers)
#include "tst_findarchivers.moc"
