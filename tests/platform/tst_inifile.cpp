#include <QDir>
#include <QFile>
#include <QTest>

#include <sys/stat.h>

#include "platform/codepage1251.h"
#include "platform/inifile.h"
#include "support/tempprogramfolder.h"

using kv::IniFile;
namespace cp1251 = kv::cp1251;

namespace {

QByteArray bytes(const QString& text) {
    return cp1251::encode(text);
}

}  // namespace

class TestIniFile : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void readingRules_data();
    void readingRules();
    void writeReplacesAppendsAndCreates();
    void lineBreaksInTextCannotOpenSectionsOrSetKeys();
    void charactersMissingFromTheCodePage();
    void utf8FilesStayUtf8();
    void readOncePerObjectWrittenThrough();
    void failedWriteLeavesTheFileAsItWas();
    void brokenFilesLoseNoKey();
};

void TestIniFile::readingRules_data() {
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("expected");

    const QByteArray basic = bytes(
        "top=before any section\r\n"
        "[Form1]\r\n"
        "; Caption=comment\r\n"
        "  BitBtn1--Caption  =  Добавить  \r\n"
        "BitBtn1--Hint=\r\n"
        "a line without an equals sign\r\n"
        "Quoted=\"  keeps blanks  \"\r\n"
        "Single='x'\r\n"
        "Unpaired=\"x'\r\n"
        "Dup=first\r\n"
        "Dup=second\r\n"
        "Eq=a=b\r\n"
        "[Form2]\r\n"
        "Only2=two\r\n"
        "[ form1 ]\r\n"
        "Later=merged\r\n");
    QTest::newRow("blanks stripped") << basic << "Form1"
                                     << "BitBtn1--Caption" << QString("Добавить");
    QTest::newRow("names ignore case") << basic << "FORM1"
                                       << "bitbtn1--caption" << QString("Добавить");
    QTest::newRow("empty is missing") << basic << "Form1"
                                      << "BitBtn1--Hint" << QString();
    QTest::newRow("double quotes") << basic << "Form1"
                                   << "Quoted" << QString("  keeps blanks  ");
    QTest::newRow("single quotes") << basic << "Form1"
                                   << "Single" << QString("x");
    QTest::newRow("unpaired quotes stay") << basic << "Form1"
                                          << "Unpaired" << QString("\"x'");
    QTest::newRow("first duplicate counts") << basic << "Form1"
                                            << "Dup" << QString("first");
    QTest::newRow("text after first equals") << basic << "Form1"
                                             << "Eq" << QString("a=b");
    QTest::newRow("comment is no entry") << basic << "Form1"
                                         << "; Caption" << QString();
    QTest::newRow("section appearing twice") << basic << "Form1"
                                             << "Later" << QString("merged");
    QTest::newRow("other section") << basic << "Form1"
                                   << "Only2" << QString();
    QTest::newRow("before any section") << basic << ""
                                        << "top" << QString();
    QTest::newRow("LF and lone CR end lines") << QByteArray("[S]\nA=1\rB=2\r\nC=3") << "S"
                                              << "B" << QString("2");
    const char withNul[] = "[S]\r\nK=ab\0cd\r\n";
    QTest::newRow("NUL ends the text") << QByteArray(withNul, sizeof withNul - 1) << "S"
                                       << "K" << QString("ab");
    const QByteArray longText(3000, 'x');
    QTest::newRow("cut to 2047") << QByteArray("[S]\r\nK=" + longText) << "S"
                                 << "K" << QString(IniFile::kMaxTextLength, u'x');
}

void TestIniFile::readingRules() {
    QFETCH(QByteArray, file);
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(QString, expected);
    QCOMPARE(kv::ini::lookup(file, section, key), expected);
}

void TestIniFile::writeReplacesAppendsAndCreates() {
    kv::test::TempProgramFolder dir;
    IniFile ini(dir.file("English.dic"));

    // File and section are created; every write is found by the next read.
    QVERIFY(ini.writeString("Form1", "Form1--Caption", "  Kelvotrin "));
    QCOMPARE(ini.readString("Form1", "Form1--Caption"), QString("Kelvotrin"));
    QVERIFY(ini.writeString("Form2", "ct1", "New task"));

    // A hand-edited file: LF lines, which it keeps, comments, a blank line between sections.
    dir.write("English.dic",
              bytes("; translated\n[Form1]\nform1--caption=\nLabel1--Caption=Tasks\n\n"
                    "[Form2]\r\nct1=New task\n"));
    QVERIFY(ini.writeString("FORM1", "Form1--Caption", "Kelvotrin"));  // keeps the key's case
    QVERIFY(ini.writeString("Form1", "Label1--Hint", ""));             // after the last entry
    QVERIFY(ini.writeString("Form3", "cm1", "Attention!"));            // a new section
    QCOMPARE(dir.read("English.dic"), bytes("; translated\n[Form1]\nform1--caption=Kelvotrin\n"
                                            "Label1--Caption=Tasks\nLabel1--Hint=\n\n"
                                            "[Form2]\nct1=New task\n[Form3]\ncm1=Attention!\n"));

    // Setting what is there already leaves the bytes alone, line ends included.
    dir.write("English.dic", "[S]\nK=v\n");
    QVERIFY(ini.writeString("S", "K", "v"));
    QCOMPARE(dir.read("English.dic"), QByteArray("[S]\nK=v\n"));
}

void TestIniFile::lineBreaksInTextCannotOpenSectionsOrSetKeys() {
    const QByteArray file =
        kv::ini::withEntry("[Form1]\r\nA=1\r\n[Form2]\r\nB=2\r\n", "Form1", "BitBtn3--Caption",
                           "Восстановить\r\n данные  \n[Form2]\nB=evil")
            .value();
    QCOMPARE(file, bytes("[Form1]\r\nA=1\r\nBitBtn3--Caption=Восстановить\r\n данные  \r\n"
                         ";[Form2]\r\n;B=evil\r\n[Form2]\r\nB=2\r\n"));
    QCOMPARE(kv::ini::lookup(file, "Form1", "BitBtn3--Caption"), QString("Восстановить"));
    QCOMPARE(kv::ini::lookup(file, "Form2", "B"), QString("2"));

    // Names that could not be read back are refused.
    for (const char* key : {"", "a=b", ";a", "[a", "a\nb"}) {
        QVERIFY2(!kv::ini::withEntry({}, "S", key, "x"), key);
    }
    QVERIFY(!kv::ini::withEntry({}, "S\r\n[T]", "K", "x"));
}

void TestIniFile::charactersMissingFromTheCodePage() {
    // They are written as '?', and a name holding one finds its entry again.
    QByteArray file;
    for (int pass = 0; pass < 2; ++pass) {
        file = kv::ini::withEntry(file, "Form1", "Key中", "a中b").value();
    }
    QCOMPARE(file, QByteArray("[Form1]\r\nKey?=a?b\r\n"));
    QCOMPARE(kv::ini::lookup(file, "Form1", "Key中"), QString("a?b"));
}

// With a byte-order mark, or valid UTF-8 that is not plain ASCII: read and written as UTF-8.
// A 1251 text whose bytes would pass for UTF-8 turns the file into UTF-8 rather than misread.
void TestIniFile::utf8FilesStayUtf8() {
    const QByteArray mark("\xEF\xBB\xBF");
    const QByteArray marked = mark + "[Form1]\r\ncm1=Ελληνικά\r\n";
    QCOMPARE(kv::ini::lookup(marked, "Form1", "cm1"), QString("Ελληνικά"));
    QCOMPARE(kv::ini::withEntry(marked, "Form1", "cm2", "Ω").value(),
             mark + "[Form1]\r\ncm1=Ελληνικά\r\ncm2=Ω\r\n");

    const QByteArray plain = QString("[Форма]\nключ=текст\n").toUtf8();
    QCOMPARE(kv::ini::lookup(plain, "ФОРМА", "Ключ"), QString("текст"));
    QCOMPARE(kv::ini::withEntry(plain, "Форма", "ключ", "中").value(),
             QString("[Форма]\nключ=中\n").toUtf8());

    const QByteArray ascii("[S]\r\nA=1\r\n");
    const QString looksLikeUtf8 = cp1251::decode("\xD0\xB0");
    const QByteArray written = kv::ini::withEntry(ascii, "S", "B", looksLikeUtf8).value();
    QVERIFY(kv::ini::readsAsUtf8(written));
    QCOMPARE(kv::ini::lookup(written, "S", "B"), looksLikeUtf8);
    QCOMPARE(kv::ini::lookup(written, "S", "A"), QString("1"));
}

// One object is one pass: the file is read at the first look-up only; writes reach the disk at
// once and the next look-up. A file larger than the limit is neither read nor written.
void TestIniFile::readOncePerObjectWrittenThrough() {
    kv::test::TempProgramFolder dir;
    dir.write("English.dic", "[S]\r\nA=1\r\n");
    IniFile ini(dir.file("English.dic"));
    QCOMPARE(ini.readString("S", "A"), QString("1"));
    dir.write("English.dic", "[S]\r\nA=2\r\n");
    QCOMPARE(ini.readString("S", "A"), QString("1"));
    QVERIFY(ini.writeString("S", "B", "3"));
    QCOMPARE(dir.read("English.dic"), QByteArray("[S]\r\nA=2\r\nB=3\r\n"));
    QCOMPARE(ini.readString("S", "A"), QString("2"));

    const QByteArray huge = "[S]\r\nA=1\r\n" + QByteArray(IniFile::kMaxFileSize, ';');
    dir.write("Huge.dic", huge);
    IniFile big(dir.file("Huge.dic"));
    QVERIFY(big.tooLarge());
    QCOMPARE(big.readString("S", "A"), QString());
    QVERIFY(!big.writeString("S", "B", "2"));
    QCOMPARE(dir.read("Huge.dic"), huge);
}

void TestIniFile::failedWriteLeavesTheFileAsItWas() {
    kv::test::TempProgramFolder dir;
    const QByteArray content("[Form1]\r\nA=1\r\nB=\r\n");
    dir.write("English.dic", content);
    QVERIFY(QFile::setPermissions(dir.file("English.dic"), QFile::ReadOwner | QFile::ReadOther));
    IniFile ini(dir.file("English.dic"));
    QVERIFY(!ini.writeString("Form1", "C", "3"));
    QVERIFY(!ini.writeString("Form1", "A", "2"));
    QVERIFY(ini.writeString("Form1", "B", ""));  // nothing to change: no write needed
    QCOMPARE(dir.read("English.dic"), content);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"English.dic"});

    QVERIFY(QDir(dir.path()).mkdir("Folder.dic"));
    QVERIFY(!IniFile(dir.file("Folder.dic")).writeString("S", "K", "v"));
    QVERIFY(!IniFile(dir.file("missing/x.dic")).writeString("S", "K", "v"));

    // A FIFO is no file: reading it must not wait for a writer.
    QCOMPARE(::mkfifo(QFile::encodeName(dir.file("Pipe.dic")).constData(), 0600), 0);
    QCOMPARE(IniFile(dir.file("Pipe.dic")).readString("S", "K"), QString());
    QVERIFY(!IniFile(dir.file("Pipe.dic")).writeString("S", "K", "v"));
}

void TestIniFile::brokenFilesLoseNoKey() {
    const char head[] = "[S]\r\nNul=a\0b\r\nCr=1\rHuge=";
    QByteArray file(head, sizeof head - 1);
    file += QByteArray(1 << 20, 'h');
    file += "\n[T]\nLast=\x98 no final break";
    const QStringList keys{"Nul", "Cr", "Huge", "Last"};
    QStringList before;
    for (const QString& k : keys) {
        before << kv::ini::lookup(file, "S", k) + kv::ini::lookup(file, "T", k);
    }
    const QByteArray written = kv::ini::withEntry(file, "T", "New", "x").value();
    QStringList after;
    for (const QString& k : keys) {
        after << kv::ini::lookup(written, "S", k) + kv::ini::lookup(written, "T", k);
    }
    QCOMPARE(after, before);
    QCOMPARE(kv::ini::lookup(written, "T", "New"), QString("x"));
}

QTEST_GUILESS_MAIN(TestIniFile)
#include "tst_inifile.moc"
