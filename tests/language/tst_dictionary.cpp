#include <QTest>

#include "language/dictionary.h"
#include "platform/inifile.h"
#include "support/tempprogramfolder.h"

using kv::IniFile;
using kv::ReadDicText;
using kv::ReadDicTextOrKey;

class TestDictionary : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void readDicTextWritesBackOnlyWhenAsked();
    void readDicTextOrKeyNeverWrites();
};

void TestDictionary::readDicTextWritesBackOnlyWhenAsked() {
    kv::test::TempProgramFolder dir;
    IniFile dic(dir.file("English.dic"));
    QCOMPARE(ReadDicText("cm1", "Form2", dic, false, "Внимание!"), QString("Внимание!"));
    QCOMPARE(ReadDicText("", "Form2", dic, true, "x"), QString("x"));
    QVERIFY(!dic.exists());

    QCOMPARE(ReadDicText("cm1", "Form2", dic, true, "Внимание!"), QString("Внимание!"));
    QCOMPARE(dic.readString("Form2", "cm1"), QString("Внимание!"));
    QVERIFY(dic.writeString("Form2", "cm1", "Attention!"));
    QCOMPARE(ReadDicText("cm1", "Form2", dic, true, "Внимание!"), QString("Attention!"));
}

void TestDictionary::readDicTextOrKeyNeverWrites() {
    kv::test::TempProgramFolder dir;
    IniFile dic(dir.file("English.dic"));
    QCOMPARE(ReadDicTextOrKey("BitBtn3--Caption1", "Form1", dic), QString("BitBtn3--Caption1"));
    QVERIFY(!dic.exists());
    QVERIFY(dic.writeString("Form1", "BitBtn3--Caption1", "Restore"));
    QVERIFY(dic.writeString("Form1", "BitBtn3--Caption2", ""));
    QCOMPARE(ReadDicTextOrKey("BitBtn3--Caption1", "Form1", dic), QString("Restore"));
    QCOMPARE(ReadDicTextOrKey("BitBtn3--Caption2", "Form1", dic), QString("BitBtn3--Caption2"));
}

QTEST_GUILESS_MAIN(TestDictionary)
#include "tst_dictionary.moc"
