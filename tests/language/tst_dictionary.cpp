#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "language/dictionary.h"
#include "platform/inifile.h"
#include "store/storeerror.h"

using kv::IniFile;
using kv::ReadDicText;
using kv::ReadDicTextOrKey;

class TestDictionary : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void readDicTextWritesBackMissingAndEmptyEntries();
    void readDicTextOrKeyNeverWrites();
    void failedWriteBackRaisesTheMessage();
};

void TestDictionary::readDicTextWritesBackMissingAndEmptyEntries() {
    QTemporaryDir dir;
    IniFile dic(dir.filePath("English.dic"));
    QCOMPARE(ReadDicText("cm1", "Form2", dic, false, "Внимание!"), QString("Внимание!"));
    QVERIFY(!dic.exists());  // no write-back asked for
    QCOMPARE(ReadDicText("", "Form2", dic, true, "x"), QString("x"));
    QVERIFY(!dic.exists());  // an empty key reads nothing

    QCOMPARE(ReadDicText("cm1", "Form2", dic, true, "Внимание!"), QString("Внимание!"));
    QCOMPARE(dic.readString("Form2", "cm1"), QString("Внимание!"));
    QVERIFY(dic.writeString("Form2", "cm2", ""));
    QCOMPARE(ReadDicText("cm2", "Form2", dic, true, "Удалить?"), QString("Удалить?"));
    QCOMPARE(dic.readString("Form2", "cm2"), QString("Удалить?"));

    QVERIFY(dic.writeString("Form2", "cm1", "Attention!"));
    QCOMPARE(ReadDicText("cm1", "Form2", dic, true, "Внимание!"), QString("Attention!"));
}

void TestDictionary::readDicTextOrKeyNeverWrites() {
    QTemporaryDir dir;
    IniFile dic(dir.filePath("English.dic"));
    QCOMPARE(ReadDicTextOrKey("BitBtn3--Caption1", "Form1", dic), QString("BitBtn3--Caption1"));
    QVERIFY(!dic.exists());
    QVERIFY(dic.writeString("Form1", "BitBtn3--Caption1", "Restore"));
    QVERIFY(dic.writeString("Form1", "BitBtn3--Caption2", ""));
    QCOMPARE(ReadDicTextOrKey("bitbtn3--caption1", "Form1", dic), QString("Restore"));
    QCOMPARE(ReadDicTextOrKey("BitBtn3--Caption2", "Form1", dic), QString("BitBtn3--Caption2"));
}

void TestDictionary::failedWriteBackRaisesTheMessage() {
    QTemporaryDir dir;
    IniFile dic(dir.filePath("missing/English.dic"));
    try {
        ReadDicText("cm1", "Form2", dic, true, "Внимание!");
        QFAIL("no error raised");
    } catch (const kv::StoreError& e) {
        QCOMPARE(e.message(), "Unable to write to " + dic.path());
    }
}

QTEST_GUILESS_MAIN(TestDictionary)
#include "tst_dictionary.moc"
