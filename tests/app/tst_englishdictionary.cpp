#include <QRegularExpression>
#include <QTest>

#include "app/tform1.h"
#include "mainwindowfixture.h"
#include "platform/inifile.h"

using namespace kv;

// The shipped English dictionary against the pass over every window. It fails while
// data/dictionaries/English.dic lacks a key that the windows read.
class TestEnglishDictionary : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void complete();
};

// Every key of the pass over all windows, and the numbered captions that the pass never
// writes, has an English text wherever the built-in one is not empty, and no Russian.
void TestEnglishDictionary::complete() {
    test::MainWindowFixture fx;
    fx.folder.write("Pass.dic", {});
    fx.folder.write("lang.txt", "Pass\r\n");
    {
        auto form = fx.makeForm();
        test::MainWindowFixture::openEveryWindowOnce(*form);
    }
    const IniFile pass(fx.folder.file("Pass.dic"));
    const QStringList numbered = {"Form1/BitBtn3--Caption1", "Form1/BitBtn3--Caption2",
                                  "Form1/BitBtn11--Caption1", "Form1/BitBtn11--Caption2",
                                  "Form1/BitBtn11--Caption3"};
    const QStringList keys = test::dictionaryKeys(fx.folder.read("Pass.dic")) + numbered;

    const QString shipped = QFINDTESTDATA("../../data/dictionaries/English.dic");
    QVERIFY2(!shipped.isEmpty(), "data/dictionaries/English.dic is missing");
    const IniFile english(shipped);
    const QRegularExpression cyrillic("\\p{Cyrillic}");
    QStringList missing;
    QStringList russian;
    for (const QString& key : keys) {
        const QString section = key.section('/', 0, 0);
        const QString name = key.section('/', 1);
        const QString text = english.readString(section, name);
        if (text.isEmpty() &&
            (!pass.readString(section, name).isEmpty() || numbered.contains(key))) {
            missing << key;
        }
        if (text.contains(cyrillic)) {
            russian << key;
        }
    }
    QVERIFY2(missing.isEmpty(), qPrintable("no English text: " + missing.join(", ")));
    QVERIFY2(russian.isEmpty(), qPrintable("Russian left: " + russian.join(", ")));
    QCOMPARE(english.readString("Form1", "Form1--Caption"), QString("Kelvotrin"));
}

QTEST_MAIN(TestEnglishDictionary)
#include "tst_englishdictionary.moc"
