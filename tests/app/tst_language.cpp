#include <QAbstractButton>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QTest>
#include <functional>

#include <sys/stat.h>

#include "app/aboutbox.h"
#include "app/startup.h"
#include "app/tform1.h"
#include "archiving/tform3.h"
#include "archiving/tform5.h"
#include "editor/tform2.h"
#include "editor/tform4.h"
#include "mainwindowfixture.h"
#include "platform/codepage1251.h"
#include "platform/inifile.h"
#include "store/layouts.h"
#include "store/tasktable.h"

using namespace kv;

namespace {

QByteArray lines(const QStringList& lines) {
    return cp1251::encode(lines.join("\r\n") + "\r\n");
}

// A dictionary for `caption` with the stored texts cf1 to cf4 given, and anything else.
QByteArray dictionary(const QString& caption, const QStringList& cf, const QStringList& more = {}) {
    QStringList out = {"[Form1]", "Form1--Caption=" + caption};
    for (int i = 0; i < cf.size(); ++i) {
        out << QString("cf%1=%2").arg(i + 1).arg(cf[i]);
    }
    return lines(out + more);
}

const QStringList kEnglish = {"Default WinZip configuration", "Default WinRAR configuration",
                              "Run on demand only", "At the next start"};
const QStringList kGerman = {"WinZip-Standard", "WinRAR-Standard", "Nur manuell", ""};

// `dictionary` with the caption of every control changed by `change`.
QByteArray withCaptions(const QByteArray& dictionary,
                        const std::function<QString(const QString&)>& change) {
    QStringList out = cp1251::decode(dictionary).split("\r\n");
    for (QString& line : out) {
        const qsizetype eq = line.indexOf(u'=');
        if (line.left(eq).contains("--Caption") && !line.mid(eq + 1).trimmed().isEmpty()) {
            line = line.left(eq + 1) + change(line.mid(eq + 1).remove(u'"').trimmed());
        }
    }
    return cp1251::encode(out.join("\r\n"));
}

// The captions of `window` that do not show whole, as "window.control, ...": a label or button
// with a text, not wrapped, smaller than the text asks.
QString cutCaptions(const QWidget& window) {
    QStringList cut;
    for (const QWidget* w : window.findChildren<QWidget*>()) {
        const auto* label = qobject_cast<const QLabel*>(w);
        const auto* button = qobject_cast<const QAbstractButton*>(w);
        const bool captioned = (label && !label->text().isEmpty() && !label->wordWrap()) ||
                               (button && !button->text().isEmpty());
        if (captioned && w->isVisible() &&
            (w->width() < w->sizeHint().width() || w->height() < w->sizeHint().height())) {
            cut << window.objectName() + '.' + w->objectName();
        }
    }
    return cut.join(", ");
}

void choose(TForm1& form, const QString& language) {
    form.ui.ComboBox1->setCurrentIndex(form.ui.ComboBox1->findText(language));
    form.ComboBox1Change();
}

}  // namespace

class TestLanguage : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void firstPassWritesEveryWindowInOrder();
    void switchingRewritesTheStoredTexts();
    void aNameMatchingOnlyInCaseRewritesOnceTheTablesAreOpen();
    void withoutDictionariesNothingIsReadOrWritten();
    void aMissingDictionaryIsReportedAndStartedByTheMessageTexts();
    void theListHoldsFilesAndFoldersOnly();
    void aLanguageIsTheFileListed();
    void aTextTheTablesCannotHoldIsToldAndKeptOut();
    void longerCaptionsFitAfterASwitch();
};

// Every window once over an empty dictionary: each section in the order its window reads it.
void TestLanguage::firstPassWritesEveryWindowInOrder() {
    test::MainWindowFixture fx;
    fx.folder.write("First.dic", {});
    fx.folder.write("lang.txt", "First\r\n");
    auto form = fx.makeForm();
    fx.openEveryWindowOnce(*form);
    QCOMPARE(fx.boxes.shown.size(), 0);

    QFile expected(QFINDTESTDATA("data/firstpass.dic"));
    QVERIFY(expected.open(QIODevice::ReadOnly));
    const QByteArray written = fx.folder.read("First.dic");
    if (written != expected.readAll()) {
        QFile actual(QDir(qEnvironmentVariable("KV_TEST_BINARY_DIR")).filePath("firstpass.dic"));
        QVERIFY(actual.open(QIODevice::WriteOnly));
        actual.write(written);
        QFAIL(qPrintable("the pass wrote otherwise; see " + actual.fileName()));
    }
}

// English -> German -> Russian: the stored copies of cf1..cf4 follow every change and nothing
// else; a key left empty keeps the text in use and is written back with it.
void TestLanguage::switchingRewritesTheStoredTexts() {
    test::MainWindowFixture fx;
    // Junk lines and a byte that 1251 lacks cost no other key.
    fx.folder.write("English.dic", dictionary("Kelvotrin", kEnglish, {"no equals sign"}) +
                                       "\x98\x98=\x98\r\ncm7=No help file\r\n");
    fx.folder.write(
        "German.dic",
        dictionary("Kelvotrin", {"WinZip-Standard", "WinRAR-Standard", "\"Nur manuell\"", ""},
                   {"[Form5]", "cm4=Keine Archive"}));
    fx.folder.write(
        "Russian.dic",
        dictionary("Кельвотрин", {"Основная конфигурация WinZip", "Основная конфигурация WinRar",
                                  "Только ручной запуск", "При следующем запуске"}));
    fx.folder.write("lang.txt", "English\r\n");
    fx.folder.makeTables();
    for (const QString& name : {kEnglish[0], kEnglish[1], QString("Mine")}) {
        fx.folder.addRow(kArchiversFile, {{ArchiverField::Name, name}});
    }
    fx.folder.addRow(kTasksFile, {{TaskField::Name, "A"},
                                  {TaskField::SledTimeStr, kEnglish[2]},
                                  {TaskField::NameArhSys, kEnglish[0]}});
    fx.folder.addRow(kTasksFile, {{TaskField::Name, "B"},
                                  {TaskField::SledTimeStr, kEnglish[3]},
                                  {TaskField::NameArhSys, kEnglish[1]},
                                  {TaskField::Path2, "/nonexistent/"},
                                  {TaskField::NameArh, "b"}});
    fx.folder.addRow(kTasksFile, {{TaskField::Name, "C"},
                                  {TaskField::SledTimeStr, "01.02.2026 10:00"},
                                  {TaskField::NameArhSys, "Mine"}});

    auto form = fx.makeForm();
    // Started in English: translated, the tables untouched.
    QCOMPARE(form->windowTitle(), QString("Kelvotrin"));
    QCOMPARE(form->texts().text(Form1Text::cf1), kEnglish[0]);
    QCOMPARE(form->texts().text(Form1Text::cm7), QString("No help file"));
    QCOMPARE(test::column(kArchiversFile, ArchiverField::Name),
             QStringList({kEnglish[0], kEnglish[1], "Mine"}));

    fx.tables.tasks.moveTo(1);
    choose(*form, "German");
    QCOMPARE(fx.folder.read("lang.txt"), QByteArray("German\r\n"));
    QCOMPARE(test::column(kArchiversFile, ArchiverField::Name),
             QStringList({"WinZip-Standard", "WinRAR-Standard", "Mine"}));
    QCOMPARE(test::column(kTasksFile, TaskField::SledTimeStr),
             QStringList({"Nur manuell", kEnglish[3], "01.02.2026 10:00"}));
    QCOMPARE(test::column(kTasksFile, TaskField::NameArhSys),
             QStringList({"WinZip-Standard", "WinRAR-Standard", "Mine"}));
    QCOMPARE(currentTaskName(fx.tables.tasks), QString("B"));
    QCOMPARE(IniFile(fx.folder.file("German.dic")).readString("Form1", "cf4"), kEnglish[3]);
    // The windows opened now apply German.
    TForm5 restore(fx.tables, form->language());
    QCOMPARE(restore.ui.ListBox1->item(0)->text(), QString("Keine Archive"));

    choose(*form, "Russian");
    QCOMPARE(form->windowTitle(), QString("Кельвотрин"));
    QCOMPARE(test::column(kArchiversFile, ArchiverField::Name),
             QStringList({"Основная конфигурация WinZip", "Основная конфигурация WinRar", "Mine"}));
    QCOMPARE(test::column(kTasksFile, TaskField::SledTimeStr),
             QStringList({"Только ручной запуск", "При следующем запуске", "01.02.2026 10:00"}));

    // The language in use again: translated anew, the tables left alone.
    const auto before = test::snapshot(fx.folder.path());
    choose(*form, "Russian");
    QCOMPARE(test::snapshot(fx.folder.path()), before);
    QCOMPARE(fx.boxes.shown.size(), 0);
}

// lang.txt naming a listed language in other letter case: the change of language that this is
// rewrites the stored Russian texts once the tables are open, and lang.txt takes the list's
// spelling.
void TestLanguage::aNameMatchingOnlyInCaseRewritesOnceTheTablesAreOpen() {
    test::MainWindowFixture fx;
    fx.folder.write("English.dic", dictionary("Kelvotrin", kEnglish));
    fx.folder.write("lang.txt", "english\r\n");
    fx.folder.makeTables();
    fx.folder.addRow(kTasksFile,
                     {{TaskField::Name, "A"}, {TaskField::SledTimeStr, "Только ручной запуск"}});
    auto form = fx.makeForm();
    QCOMPARE(fx.boxes.shown.size(), 0);
    QCOMPARE(form->language().currentLanguage, QString("English"));
    QCOMPARE(fx.folder.read("lang.txt"), QByteArray("English\r\n"));
    QCOMPARE(test::column(kTasksFile, TaskField::SledTimeStr), QStringList({kEnglish[2]}));
}

void TestLanguage::withoutDictionariesNothingIsReadOrWritten() {
    test::MainWindowFixture fx;
    fx.folder.write("lang.txt", "English\r\n");
    auto form = fx.makeForm();
    QVERIFY(!form->ui.ComboBox1->isVisibleTo(form.get()));
    QCOMPARE(form->windowTitle(), QString("Кельвотрин"));
    QCOMPARE(form->trayToolTip(false), QString("Кельвотрин.\r\nЗадачи выполняются"));
    fx.openEveryWindowOnce(*form);
    QCOMPARE(QDir(fx.folder.path()).entryList({"*.dic"}, QDir::AllEntries | QDir::Hidden),
             QStringList());
    QCOMPARE(fx.boxes.shown.size(), 0);
}

// Russian in use while only another language has a dictionary: each other window reports the
// missing Russian.dic, and its message texts start that file.
void TestLanguage::aMissingDictionaryIsReportedAndStartedByTheMessageTexts() {
    test::MainWindowFixture fx;
    fx.folder.write("English.dic", dictionary("Kelvotrin", kEnglish));
    auto form = fx.makeForm();
    QCOMPARE(form->ui.ComboBox1->currentIndex(), -1);
    QCOMPARE(fx.boxes.shown.size(), 0);

    TForm5 restore(fx.tables, form->language());
    QCOMPARE(fx.boxes.shown.size(), 1);
    QCOMPARE(fx.boxes.shown[0].text, "No exists " + fx.folder.file("Russian.dic"));
    QCOMPARE(test::dictionaryKeys(fx.folder.read("Russian.dic")),
             QStringList({"Form5/cm1", "Form5/cm2", "Form5/cm3", "Form5/cm4", "Form5/cm5",
                          "Form5/cm6", "Form5/cm7"}));

    // A hand-edited lang.txt naming a path: the dictionary stays inside the program folder.
    const QString name = QDir(fx.folder.path()).dirName() + "-outside";
    LanguageInUse outside = form->language();
    outside.currentLanguage = "../" + name;
    TForm5 again(fx.tables, outside);
    QVERIFY(!QFile::exists(fx.folder.file("../" + name + ".dic")));
    QVERIFY(QFile::exists(fx.folder.file(".._" + name + ".dic")));
}

void TestLanguage::theListHoldsFilesAndFoldersOnly() {
    test::MainWindowFixture fx;
    QDir dir(fx.folder.path());
    fx.folder.write("English.dic", {});
    fx.folder.write(".Hidden.dic", {});
    fx.folder.write("Upper.DIC", {});
    fx.folder.write("notes.txt", {});
    QVERIFY(dir.mkdir("Folder.dic"));
    QVERIFY(QFile::link(fx.folder.file("English.dic"), fx.folder.file("Linked.dic")));
    QVERIFY(QFile::link(fx.folder.file("gone"), fx.folder.file("Dangling.dic")));
    QCOMPARE(::mkfifo(QFile::encodeName(fx.folder.file("Pipe.dic")).constData(), 0600), 0);

    bool present = false;
    QCOMPARE(dictionaryLanguages(&present),
             QStringList({".Hidden", "English", "Folder", "Linked", "Upper"}));
    QVERIFY(present);

    QDir(fx.folder.path()).removeRecursively();
    QVERIFY(dir.mkpath("."));
    QCOMPARE(::mkfifo(QFile::encodeName(fx.folder.file("Pipe.dic")).constData(), 0600), 0);
    QCOMPARE(dictionaryLanguages(&present), QStringList());
    QVERIFY(!present);
}

// German.DIC is the dictionary listed as German: it is the one read and written back into. A
// name that 1251 cannot hold is kept in lang.txt all the same.
void TestLanguage::aLanguageIsTheFileListed() {
    test::MainWindowFixture fx;
    fx.folder.write("German.DIC", dictionary("Kelvotrin", kGerman));
    fx.folder.write("Ελληνικά.dic", {});
    auto form = fx.makeForm();
    choose(*form, "German");
    QCOMPARE(form->texts().text(Form1Text::cf1), kGerman[0]);
    QVERIFY(!IniFile(fx.folder.file("German.DIC")).readString("Form1", "cm7").isEmpty());
    QCOMPARE(QDir(fx.folder.path()).entryList({"German.*"}), QStringList{"German.DIC"});

    choose(*form, "Ελληνικά");
    QCOMPARE(languageNameAtEntry(), QString("Ελληνικά"));
    QCOMPARE(fx.boxes.shown.size(), 0);
}

// A UTF-8 dictionary whose next-run text 1251 cannot hold: the tables and what the program
// writes into them later keep the text before; the user is told once.
void TestLanguage::aTextTheTablesCannotHoldIsToldAndKeptOut() {
    test::MainWindowFixture fx;
    fx.folder.write("Chinese.dic", QString("[Form1]\r\ncf3=仅手动运行\r\n").toUtf8());
    Table::create(kTasksFile, tasksLayout());
    {
        Table t(kTasksFile);
        t.open();
        test::appendRow(t,
                        {{TaskField::Name, "A"}, {TaskField::SledTimeStr, "Только ручной запуск"}});
    }
    auto form = fx.makeForm();
    choose(*form, "Chinese");
    QCOMPARE(fx.boxes.shown.size(), 1);
    QVERIFY(fx.boxes.texts()[0].contains("仅手动运行"));
    QCOMPARE(form->texts().text(Form1Text::cf3), QString("Только ручной запуск"));
    QCOMPARE(test::column(kTasksFile, TaskField::SledTimeStr),
             QStringList({"Только ручной запуск"}));
}

// A switch to a language with longer texts: the main window's controls grow at once, within the
// window or with it, and every window opened afterwards shows them whole too.
void TestLanguage::longerCaptionsFitAfterASwitch() {
    test::MainWindowFixture fx;
    QFile shipped(QFINDTESTDATA("../../data/dictionaries/Russian.dic"));
    QVERIFY(shipped.open(QIODevice::ReadOnly));
    const QByteArray russian = shipped.readAll();
    fx.folder.write("Russian.dic", russian);
    fx.folder.write("Short.dic", withCaptions(russian, [](const QString& t) { return t.left(3); }));
    fx.folder.write("Longer.dic", withCaptions(russian, [](const QString& t) { return t + t; }));
    fx.folder.write("lang.txt", "Short\r\n");
    auto form = fx.makeForm();
    form->show();
    const QSize before = form->size();
    choose(*form, "Russian");
    QCOMPARE(cutCaptions(*form), QString());
    QCOMPARE(form->size(), before);

    choose(*form, "Longer");
    QCOMPARE(cutCaptions(*form), QString());
    QVERIFY(form->width() > before.width());
    const LanguageInUse in = form->language();
    TForm2 editor(fx.tables, form->texts(), true, {}, in);
    TForm3 configurations(fx.tables, form->texts(), in);
    TForm4 names(fx.tables, editor.texts(), in);
    TForm5 restore(fx.tables, in);
    TAboutBox about(in);
    for (QWidget* w :
         std::initializer_list<QWidget*>{&editor, &configurations, &names, &restore, &about}) {
        w->show();
        QCOMPARE(cutCaptions(*w), QString());
    }
    configurations.BitBtn1Click();  // the edit panel
    QCOMPARE(cutCaptions(configurations), QString());
}

QTEST_MAIN(TestLanguage)
#include "tst_language.moc"
