#include <QFile>
#include <QRegularExpression>
#include <QTest>

#include "app/tform1.h"
#include "mainwindowfixture.h"
#include "platform/inifile.h"

using namespace kv;

// The shipped dictionaries against the pass over every window: each holds every key that the
// windows read, and the numbered captions that the pass never writes. The English one fails
// while data/dictionaries/English.dic lacks a key or keeps a Russian text. Both hold the same
// keys: a key that only one of them holds is written back into the other with the texts of the
// language left.
class TestShippedDictionaries : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void complete_data();
    void complete();
    void bothHoldTheSameKeys();
};

void TestShippedDictionaries::complete_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("caption");
    QTest::newRow("English") << "English.dic"
                             << "Kelvotrin";
    // The built-in texts, so that switching back to Russian restores every one of them; where a
    // window has none (hints), a Russian text.
    QTest::newRow("Russian") << "Russian.dic"
                             << "Кельвотрин";
}

void TestShippedDictionaries::complete() {
    QFETCH(QString, file);
    QFETCH(QString, caption);
    test::MainWindowFixture fx;
    fx.folder.write("Pass.dic", {});
    fx.folder.write("lang.txt", "Pass\r\n");
    {
        auto form = fx.makeForm();
        fx.openEveryWindowOnce(*form);
    }
    const IniFile pass(fx.folder.file("Pass.dic"));
    // Keys whose text the pass does not give: the numbered captions, and the caption, which the
    // pass writes as every language but Russian has it.
    const QStringList numbered = {"Form1/BitBtn3--Caption1",  "Form1/BitBtn3--Caption2",
                                  "Form1/BitBtn11--Caption1", "Form1/BitBtn11--Caption2",
                                  "Form1/BitBtn11--Caption3", "Form1/Form1--Caption"};
    const QStringList keys = test::dictionaryKeys(fx.folder.read("Pass.dic")) + numbered;

    const QString shipped = QFINDTESTDATA("../../data/dictionaries/" + file);
    QVERIFY2(!shipped.isEmpty(), qPrintable("data/dictionaries/" + file + " is missing"));
    const IniFile dictionary(shipped);
    const bool russian = caption != "Kelvotrin";
    const QRegularExpression cyrillic("\\p{Cyrillic}");
    QStringList missing;
    QStringList wrong;
    for (const QString& key : keys) {
        const QString section = key.section('/', 0, 0);
        const QString name = key.section('/', 1);
        const QString text = dictionary.readString(section, name);
        const QString builtIn = pass.readString(section, name);
        if (text.isEmpty() && (!builtIn.isEmpty() || numbered.contains(key))) {
            missing << key;
        } else if (russian ? !numbered.contains(key) && text.trimmed() != builtIn &&
                                 !(builtIn.isEmpty() && text.contains(cyrillic))
                           : text.contains(cyrillic)) {
            wrong << key;
        }
    }
    QVERIFY2(missing.isEmpty(), qPrintable("no text: " + missing.join(", ")));
    QVERIFY2(wrong.isEmpty(), qPrintable((russian ? "not the built-in text: " : "Russian left: ") +
                                         wrong.join(", ")));
    QCOMPARE(dictionary.readString("Form1", "Form1--Caption"), caption);
}

void TestShippedDictionaries::bothHoldTheSameKeys() {
    const QString russianPath = QFINDTESTDATA("../../data/dictionaries/Russian.dic");
    const QString englishPath = QFINDTESTDATA("../../data/dictionaries/English.dic");
    QFile russianFile(russianPath);
    QFile englishFile(englishPath);
    QVERIFY(russianFile.open(QIODevice::ReadOnly) && englishFile.open(QIODevice::ReadOnly));
    QStringList keys = test::dictionaryKeys(russianFile.readAll());
    keys += test::dictionaryKeys(englishFile.readAll());
    keys.removeDuplicates();
    const IniFile russian(russianPath);
    const IniFile english(englishPath);
    QStringList onlyOne;
    for (const QString& key : keys) {
        const QString section = key.section('/', 0, 0);
        const QString name = key.section('/', 1);
        if (russian.readString(section, name).isEmpty() !=
            english.readString(section, name).isEmpty()) {
            onlyOne << key;
        }
    }
    QVERIFY2(onlyOne.isEmpty(), qPrintable("in one dictionary only: " + onlyOne.join(", ")));
}

QTEST_MAIN(TestShippedDictionaries)
#include "tst_shippeddictionaries.moc"
