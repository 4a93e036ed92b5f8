#include <QDesktopServices>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QUrl>
#include <memory>

#include "archiving/tform3.h"
#include "archiving/tform5.h"
#include "language/mainwindowtexts.h"
#include "platform/programsearch.h"
#include "platform/registryfile.h"
#include "store/programtables.h"
#include "support/scripteddialogs.h"
#include "support/scriptedmessageboxes.h"
#include "support/tablefolder.h"
#include "widgets/buttonglyphs.h"
#include "widgets/dbgrid.h"
#include "widgets/labelededit.h"

using namespace kv;

namespace {

const QByteArray kRegistry =
    "REGEDIT4\n"
    "[HKEY_CLASSES_ROOT\\Applications\\WinRAR.exe\\shell\\open\\command]\n"
    "@=\"\\\"/opt/WinRAR/WinRAR.exe\\\" \\\"%1\\\"\"\n"
    "[HKEY_CLASSES_ROOT\\Applications\\WinZip.exe\\shell\\open\\command]\n"
    "@=\"\\\"/opt/WinZip/WINZIP32.exe\\\" \\\"%1\\\"\"\n";

// Records the files that the desktop would open.
class OpenedFiles : public QObject {
    Q_OBJECT
public:
    OpenedFiles() { QDesktopServices::setUrlHandler("file", this, "open"); }
    ~OpenedFiles() override { QDesktopServices::unsetUrlHandler("file"); }
    QList<QUrl> urls;
public Q_SLOTS:
    void open(const QUrl& url) { urls << url; }
};

// A program folder with the tables and, optionally, registry.reg; the window over archers.dbf.
struct Fixture {
    explicit Fixture(const QByteArray& registry = {}) {
        resetRegistryReports();
        if (!registry.isEmpty()) {
            folder.write("registry.reg", registry);
        }
    }

    void addRows(const QList<test::Row>& rows) {
        for (const test::Row& row : rows) {
            folder.addRow(kArchiversFile, row);
        }
    }

    TForm3& open() {
        form = std::make_unique<TForm3>(tables, texts);
        form->show();
        return *form;
    }

    QList<bool> flags() const {
        QList<bool> out;
        for (int row = 0; row < archivers.recordCount(); ++row) {
            out << archivers.peekBool(row, archivers.fieldIndex(ArchiverField::Flag));
        }
        return out;
    }

    QString field(int row, const Field<QString>& name) const {
        return archivers.peekString(row, archivers.fieldIndex(name));
    }

    // Types the six entries.
    void type(const QString& name, const QString& program, const QString& archiveCommand,
              const QString& archiveSwitches, const QString& restoreCommand,
              const QString& restoreSwitches) {
        form->ui.LabeledEdit6->setText(name);
        form->ui.LabeledEdit1->setText(program);
        form->ui.LabeledEdit2->setText(archiveCommand);
        form->ui.LabeledEdit3->setText(archiveSwitches);
        form->ui.LabeledEdit5->setText(restoreCommand);
        form->ui.LabeledEdit4->setText(restoreSwitches);
    }

    test::TableFolder folder;
    test::ScriptedMessageBoxes boxes;
    test::ScriptedDialogs dialogs;
    const ScopedProgramSearchPath searchPath{{}};  // 7-Zip is found only where a test puts it
    MainWindowTexts texts = mainWindowTexts();
    ProgramTables tables;
    Table& archivers = tables.archivers;
    std::unique_ptr<TForm3> form;
};

void clickTick(DBGrid* grid, int row) {
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {},
                      grid->visualRect(grid->model()->index(row, 0)).center());
}

}  // namespace

class TestTForm3 : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void oneDefaultAtMost();
    void systemConfigurationIsShownNotSaved();
    void saveComposesTheCommandStrings();
    void saveRefusesWhatCannotBeStored();
    void saveWritesTheRowThatWasOpened();
    void winRarThenWinZipGivesWinZip();
    void deletedSystemRowComesBack();
    void buttonsShowTheDrawnPictures();
    void sevenZipIsOfferedToAnOlderList();
};

void TestTForm3::oneDefaultAtMost() {
    Fixture f;
    f.addRows({{{ArchiverField::Name, "one"}, {ArchiverField::Flag, true}},
               {{ArchiverField::Name, "two"}, {ArchiverField::Flag, false}},
               {{ArchiverField::Name, "three"}, {ArchiverField::Flag, true}}});
    TForm3& form = f.open();
    QCOMPARE(form.marks().at(2), true);

    clickTick(form.ui.cyDBGrid1, 1);
    QCOMPARE(f.flags(), (QList<bool>{false, true, false}));
    QCOMPARE((QList<bool>{form.marks().at(0), form.marks().at(1), form.marks().at(2)}), f.flags());
    QCOMPARE(f.archivers.recNo(), 1);

    // Clearing the only tick leaves no default.
    clickTick(form.ui.cyDBGrid1, 1);
    QCOMPARE(f.flags(), (QList<bool>{false, false, false}));
}

void TestTForm3::systemConfigurationIsShownNotSaved() {
    Fixture f(kRegistry);
    TForm3& form = f.open();  // discovery adds the two system rows
    QCOMPARE(f.archivers.recordCount(), 2);
    const QSize listSize = form.size();
    QVERIFY(!form.ui.LabeledEdit1->isVisible());

    form.BitBtn6Click();
    QVERIFY(form.editState());
    QVERIFY(form.ui.LabeledEdit1->isVisible());
    QVERIFY(form.height() > listSize.height());
    QCOMPARE(form.ui.LabeledEdit1->text(), f.field(0, ArchiverField::NameAr));
    QVERIFY(!form.ui.BitBtn8->isEnabled());
    QVERIFY(!form.ui.BitBtn1->isEnabled() && !form.ui.BitBtn6->isEnabled() &&
            !form.ui.BitBtn2->isEnabled());
    QVERIFY(form.ui.BitBtn5->isVisible() && form.ui.BitBtn11->isVisible());

    form.BitBtn4Click();
    QVERIFY(!form.editState());
    QCOMPARE(form.size(), listSize);
    QVERIFY(form.ui.BitBtn1->isEnabled());

    form.BitBtn1Click();
    QVERIFY(form.ui.BitBtn8->isEnabled());
    QCOMPARE(form.ui.LabeledEdit1->text(), QString());

    // Closing leaves the edit state.
    form.BitBtn10Click();
    QVERIFY(!form.editState());
}

void TestTForm3::saveComposesTheCommandStrings() {
    Fixture f;
    f.folder.write("tools/pack", "");
    const QString pack = f.folder.file("tools/pack");
    TForm3& form = f.open();

    form.BitBtn1Click();
    // Trailing blanks go before the checks and the save.
    f.type("Pack ", QString(), "a ", "-r  ", "x", QString());
    f.dialogs.answer(pack + u' ');
    form.BitBtn9Click();
    form.BitBtn8Click();
    QCOMPARE(form.ui.LabeledEdit1->text(), pack);
    QVERIFY(f.boxes.shown.isEmpty());
    QVERIFY(!form.editState());
    QCOMPARE(f.archivers.recordCount(), 1);
    QCOMPARE(f.field(0, ArchiverField::Name), QStringLiteral("Pack"));
    QCOMPARE(f.field(0, ArchiverField::Arhstr1), pack + " a -r");
    QCOMPARE(f.field(0, ArchiverField::Arhstr2), pack + " x ");  // empty switches: a blank
    QCOMPARE(f.archivers.asInt(ArchiverField::Tip), 0);
    QCOMPARE(f.archivers.asBool(ArchiverField::Sys), false);
    QCOMPARE(f.archivers.asBool(ArchiverField::Flag), false);

    // An empty archive command: No goes back to the field and saves nothing; Yes puts in "a".
    form.BitBtn6Click();
    form.ui.LabeledEdit3->setText(QStringLiteral("-m"));
    form.ui.LabeledEdit2->setText(QString());
    f.boxes.answer(MbResult::No);
    form.BitBtn8Click();
    QCOMPARE(f.field(0, ArchiverField::Arhstr1), pack + " a -r");
    QVERIFY(form.editState());
    QCOMPARE(form.focusWidget(), form.ui.LabeledEdit2->edit());
    form.ui.LabeledEdit3->setText(QStringLiteral("-r"));
    f.boxes.answer(MbResult::Yes);
    form.BitBtn8Click();
    QCOMPARE(f.boxes.shown.size(), 2);
    QCOMPARE(f.boxes.shown[0].buttons, MbButtons::YesNo);
    QCOMPARE(f.field(0, ArchiverField::Param1), QStringLiteral("a"));
    QCOMPARE(f.field(0, ArchiverField::Arhstr1), pack + " a -r");
}

void TestTForm3::saveRefusesWhatCannotBeStored() {
    Fixture f;
    f.folder.write("pack", "");
    TForm3& form = f.open();
    form.BitBtn1Click();
    const QString longPath = '/' + QString(ArchiverField::NameAr.width() - 1, 'p');
    const QList<QStringList> refused = {
        {"empty path", QString(), "a"},
        {"quote", f.folder.file("pa\"ck"), "a"},
        {"not in 1251", f.folder.file("pack"), "日本"},
        {"composed too long", longPath, "abcde"},
    };
    for (const QStringList& entries : refused) {
        f.boxes.shown.clear();
        f.type("x", entries[1], entries[2], QString(25, 's'), "x", QString());
        form.BitBtn8Click();
        QVERIFY2(f.boxes.shown.size() == 1, qPrintable(entries[0]));
        QCOMPARE(f.boxes.shown[0].buttons, MbButtons::Ok);
        QCOMPARE(f.archivers.recordCount(), 0);
        QVERIFY(form.editState());
    }

    // A path that names no file: No keeps the entries, Yes stores them.
    f.type("x", f.folder.file("missing"), "a", QString(), "x", QString());
    f.boxes.answer(MbResult::No);
    form.BitBtn8Click();
    QCOMPARE(f.archivers.recordCount(), 0);
    QVERIFY(form.editState());
    f.boxes.answer(MbResult::Yes);
    form.BitBtn8Click();
    QCOMPARE(f.archivers.recordCount(), 1);

    // A chosen path longer than the field is not cut into the field.
    form.BitBtn1Click();
    f.dialogs.answer(longPath + "xx");
    form.BitBtn9Click();
    QCOMPARE(form.ui.LabeledEdit1->text(), QString());
    QCOMPARE(f.boxes.shown.last().buttons, MbButtons::Ok);
}

void TestTForm3::saveWritesTheRowThatWasOpened() {
    Fixture f;
    f.folder.write("pack", "");
    f.addRows({{{ArchiverField::Name, "one"},
                {ArchiverField::NameAr, f.folder.file("pack")},
                {ArchiverField::Param1, "a"}},
               {{ArchiverField::Name, "two"},
                {ArchiverField::NameAr, f.folder.file("pack")},
                {ArchiverField::Param1, "a"}}});
    TForm3& form = f.open();
    form.BitBtn6Click();
    // The list stays usable while the panel is open.
    QTest::mouseClick(
        form.ui.cyDBGrid1->viewport(), Qt::LeftButton, {},
        form.ui.cyDBGrid1->visualRect(form.ui.cyDBGrid1->model()->index(1, 1)).center());
    QCOMPARE(f.archivers.recNo(), 1);
    form.ui.LabeledEdit6->setText("renamed");
    form.BitBtn8Click();
    QCOMPARE(f.field(0, ArchiverField::Name), QStringLiteral("renamed"));
    QCOMPARE(f.field(1, ArchiverField::Name), QStringLiteral("two"));
}

void TestTForm3::winRarThenWinZipGivesWinZip() {
    Fixture f(kRegistry);
    OpenedFiles opened;
    TForm3& form = f.open();
    form.BitBtn1Click();
    form.ui.LabeledEdit6->setText("zip");
    form.BitBtn5Click();
    QCOMPARE(form.ui.LabeledEdit1->text(), QStringLiteral("/opt/WinRAR/WinRAR.exe"));
    form.BitBtn7Click();
    f.boxes.answer(MbResult::Yes);  // no such program here
    form.BitBtn8Click();
    const int row = f.archivers.recNo();
    QCOMPARE(f.archivers.asInt(ArchiverField::Tip), 2);
    QCOMPARE(f.field(row, ArchiverField::Name), QStringLiteral("zip"));
    QCOMPARE(f.field(row, ArchiverField::Arhstr1),
             QStringLiteral("/opt/WinZip/WINZIP32.exe a -ep3"));
    QCOMPARE(f.field(row, ArchiverField::Arhstr2),
             QStringLiteral("/opt/WinZip/WINZIP32.exe x -ep3"));

    form.BitBtn1Click();
    form.BitBtn11Click();
    QCOMPARE(opened.urls, QList<QUrl>{QUrl::fromLocalFile("/opt/WinZip/winzip.hlp")});
}

void TestTForm3::deletedSystemRowComesBack() {
    Fixture f(kRegistry);
    f.open();
    const int rows = f.archivers.recordCount();
    f.boxes.answer(MbResult::Yes);
    f.form->BitBtn2Click();
    QCOMPARE(f.archivers.recordCount(), rows - 1);
    f.form->BitBtn10Click();
    f.archivers.close();

    f.open();
    QCOMPARE(f.archivers.recordCount(), rows);
}

// Both windows show the drawn button pictures, as every other window does, none from the
// desktop's icon theme.
void TestTForm3::buttonsShowTheDrawnPictures() {
    QList<QImage> drawn;
    for (int kind = 0; kind < 200; ++kind) {
        const QIcon glyph = buttonGlyph(QStyle::StandardPixmap(kind));
        if (!glyph.isNull()) {
            drawn << glyph.pixmap(32).toImage();
        }
    }
    Fixture f;
    TForm3& configurations = f.open();
    f.tables.tasks.open();
    TForm5 restore(f.tables);
    for (const QWidget* window :
         {static_cast<QWidget*>(&configurations), static_cast<QWidget*>(&restore)}) {
        for (const QPushButton* b : window->findChildren<QPushButton*>()) {
            QVERIFY2(b->icon().isNull() || drawn.contains(b->icon().pixmap(32).toImage()),
                     qPrintable(window->objectName() + '.' + b->objectName()));
        }
    }
}

// A list made before 7-Zip was installed: each opening offers to add it until a configuration
// runs it.
void TestTForm3::sevenZipIsOfferedToAnOlderList() {
    Fixture fx;
    fx.folder.write("bin/7zz", {});
    const QString sevenZip = fx.folder.file("bin/7zz");
    QFile::setPermissions(sevenZip, QFile::ReadOwner | QFile::ExeOwner);
    const ScopedProgramSearchPath path({fx.folder.file("bin")});
    fx.boxes.answer(MbResult::No);
    fx.open();
    QCOMPARE(fx.archivers.recordCount(), 0);
    fx.boxes.answer(MbResult::Yes);
    fx.open();
    QCOMPARE(fx.boxes.shown.size(), 2);
    QVERIFY(fx.boxes.shown[1].text.contains(sevenZip));
    QCOMPARE(fx.field(0, ArchiverField::NameAr), sevenZip);
    QCOMPARE(fx.form->marks().at(0), true);  // the only configuration, ticked for new tasks
    fx.open();
    QCOMPARE(fx.boxes.shown.size(), 2);
}

QTEST_MAIN(TestTForm3)
#include "tst_tform3.moc"
