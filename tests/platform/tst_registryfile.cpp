#include <QStringEncoder>
#include <QTest>

#include "platform/codepage1251.h"
#include "platform/registryfile.h"
#include "support/scriptedmessageboxes.h"
#include "support/tempprogramfolder.h"

using kv::RegistryFile;

namespace {

const QString kRarKey = QStringLiteral("WinRAR\\shell\\open\\command");

QByteArray utf16le(const QString& text) {
    QStringEncoder enc(QStringConverter::Utf16LE);
    return QByteArray("\xFF\xFE") + QByteArray(enc.encode(text));
}

}  // namespace

class TestRegistryFile : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() { kv::resetRegistryReports(); }

    void readsDefaultValuesWithEscapes();
    void absentKeyEmptyDefaultAndNonTextDefault();
    void sectionsMergeAndRemovals();
    void version5Utf16WithExpandableText();
    void encodingsWithoutByteOrderMark();
    void malformedFilesCountAsEmpty_data();
    void malformedFilesCountAsEmpty();
    void programFolderFileReportsOncePerContents();
};

void TestRegistryFile::readsDefaultValuesWithEscapes() {
    const RegistryFile r = RegistryFile::parse(
        "REGEDIT4\r\n"
        "\r\n"
        "; exported by hand\r\n"
        "[HKEY_CLASSES_ROOT\\WinRAR\\shell\\open\\command]\r\n"
        "@=\"\\\"C:\\\\Program Files\\\\WinRAR\\\\WinRAR.exe\\\" \\\"%1\\\"\"\r\n"
        "\"Other\"=\"ignored\"\r\n"
        "[HKEY_CLASSES_ROOT\\Applications\\pack.exe\\shell\\open\\command]\r\n"
        "  @ = \"/opt/x\\d.exe\"  \r\n");
    QVERIFY2(!r.isMalformed(), qPrintable(r.error()));
    QCOMPARE(r.classesRootDefault(kRarKey),
             QStringLiteral("\"C:\\Program Files\\WinRAR\\WinRAR.exe\" \"%1\""));
    // Letter case does not matter, as in the registry.
    QCOMPARE(r.classesRootDefault(QStringLiteral("winrar\\SHELL\\Open\\Command")),
             r.classesRootDefault(kRarKey));
    // An unknown escape keeps its backslash.
    QCOMPARE(r.classesRootDefault(QStringLiteral("Applications\\pack.exe\\shell\\open\\command")),
             QStringLiteral("/opt/x\\d.exe"));
}

void TestRegistryFile::absentKeyEmptyDefaultAndNonTextDefault() {
    const RegistryFile r = RegistryFile::parse(
        "REGEDIT4\n"
        "[HKEY_CLASSES_ROOT\\NoDefault\\shell\\open\\command]\n"
        "\"Named\"=\"x\"\n"
        "[HKEY_CLASSES_ROOT\\Number]\n"
        "@=dword:0000001f\n"
        "[HKEY_CLASSES_ROOT\\Binary]\n"
        "@=hex:01,02,ff\n"
        "[HKEY_CLASSES_ROOT\\Empty]\n"
        "@=\"\"\n"
        "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes\\WinRAR\\shell\\open\\command]\n"
        "@=\"\\\"/x.exe\\\"\"\n");
    QVERIFY2(!r.isMalformed(), qPrintable(r.error()));
    QCOMPARE(r.classesRootDefault(kRarKey), std::nullopt);  // only HKEY_CLASSES_ROOT counts
    QCOMPARE(r.classesRootDefault(QStringLiteral("NoDefault\\shell\\open\\command")), QString(""));
    QCOMPARE(r.classesRootDefault(QStringLiteral("NoDefault\\shell")), std::nullopt);
    QCOMPARE(r.classesRootDefault(QStringLiteral("Number")), QString(""));
    QCOMPARE(r.classesRootDefault(QStringLiteral("Binary")), QString(""));
    QCOMPARE(r.classesRootDefault(QStringLiteral("Empty")), QString(""));
}

void TestRegistryFile::sectionsMergeAndRemovals() {
    const RegistryFile r = RegistryFile::parse(
        "REGEDIT4\r"
        "[HKEY_CLASSES_ROOT\\A]\r"
        "@=\"first\"\r"
        "[HKEY_CLASSES_ROOT\\B\\sub]\r"
        "@=\"b\"\r"
        "[HKEY_CLASSES_ROOT\\a]\r"
        "@=\"second\"\r"
        "[-HKEY_CLASSES_ROOT\\B]\r"
        "@=\"values of a removed key are dropped\"\r"
        "[HKEY_CLASSES_ROOT\\C]\r"
        "@=\"c\"\r"
        "@=-\r");
    QVERIFY2(!r.isMalformed(), qPrintable(r.error()));
    QCOMPARE(r.classesRootDefault(QStringLiteral("A")), QStringLiteral("second"));
    QCOMPARE(r.classesRootDefault(QStringLiteral("B\\sub")), std::nullopt);
    QCOMPARE(r.classesRootDefault(QStringLiteral("B")), std::nullopt);
    QCOMPARE(r.classesRootDefault(QStringLiteral("C")), QString(""));
}

void TestRegistryFile::version5Utf16WithExpandableText() {
    // "/opt/Архиватор/pack.exe" as REG_EXPAND_SZ, UTF-16 LE bytes over continued lines.
    QString hex;
    const QString value = QStringLiteral("/opt/Архиватор/pack.exe");
    for (QChar c : value) {
        hex += QStringLiteral("%1,%2,")
                   .arg(c.unicode() & 0xFF, 2, 16, QChar(u'0'))
                   .arg(c.unicode() >> 8, 2, 16, QChar(u'0'));
        if (hex.size() % 36 == 0) {
            hex += QStringLiteral("\\\r\n  ");
        }
    }
    hex += QStringLiteral("00,00");
    const RegistryFile r = RegistryFile::parse(utf16le(
        QStringLiteral("Windows Registry Editor Version 5.00\r\n\r\n"
                       "[HKEY_CLASSES_ROOT\\Applications\\Пакер.exe\\shell\\open\\command]\r\n"
                       "@=hex(2):") +
        hex + QStringLiteral("\r\n")));
    QVERIFY2(!r.isMalformed(), qPrintable(r.error()));
    QCOMPARE(r.classesRootDefault(QStringLiteral("applications\\пакер.EXE\\shell\\open\\command")),
             value);

    // REGEDIT4: hex(2) text is in the ANSI code page.
    QByteArray ansi = kv::cp1251::encode(QStringLiteral("Я.exe"));
    QString bytes;
    for (char b : ansi) {
        bytes += QStringLiteral("%1,").arg(uchar(b), 2, 16, QChar(u'0'));
    }
    const RegistryFile r4 = RegistryFile::parse(
        "REGEDIT4\n[HKEY_CLASSES_ROOT\\K]\n@=hex(2):" + bytes.toLatin1() + "00\n");
    QVERIFY2(!r4.isMalformed(), qPrintable(r4.error()));
    QCOMPARE(r4.classesRootDefault(QStringLiteral("K")), QStringLiteral("Я.exe"));
}

void TestRegistryFile::encodingsWithoutByteOrderMark() {
    const QString text = QStringLiteral(
        "REGEDIT4\n[HKEY_CLASSES_ROOT\\Архив]\n@=\"\\\"/opt/Архив.exe\\\" \\\"%1\\\"\"\n");
    const QString expected = QStringLiteral("\"/opt/Архив.exe\" \"%1\"");
    QCOMPARE(RegistryFile::parse(text.toUtf8()).classesRootDefault(QStringLiteral("архив")),
             expected);
    QCOMPARE(RegistryFile::parse("\xEF\xBB\xBF" + text.toUtf8())
                 .classesRootDefault(QStringLiteral("архив")),
             expected);
    QCOMPARE(
        RegistryFile::parse(kv::cp1251::encode(text)).classesRootDefault(QStringLiteral("АРХИВ")),
        expected);
}

void TestRegistryFile::malformedFilesCountAsEmpty_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("where");
    const QByteArray key = "[HKEY_CLASSES_ROOT\\WinRAR\\shell\\open\\command]\n";
    QTest::newRow("empty") << QByteArray() << QString();
    QTest::newRow("no header") << QByteArray(key + "@=\"x\"\n") << "строка 1";
    QTest::newRow("value outside a key") << QByteArray("REGEDIT4\n@=\"x\"\n" + key) << "строка 2";
    QTest::newRow("no closing bracket")
        << QByteArray("REGEDIT4\n" + key + "[HKEY_CLASSES_ROOT\\X\n") << "строка 3";
    QTest::newRow("unterminated text")
        << QByteArray("REGEDIT4\n" + key + "@=\"abc\n") << "строка 3";
    QTest::newRow("text after value")
        << QByteArray("REGEDIT4\n" + key + "@=\"abc\" x\n") << "строка 3";
    QTest::newRow("no equals sign") << QByteArray("REGEDIT4\n" + key + "@\"abc\"\n") << "строка 3";
    QTest::newRow("bad hex") << QByteArray("REGEDIT4\n" + key + "@=hex(2):4g,00\n") << "строка 3";
    QTest::newRow("continuation at end")
        << QByteArray("REGEDIT4\n" + key + "@=hex(2):41,\\\n") << "строка 4";
    QTest::newRow("stray line") << QByteArray("REGEDIT4\n" + key + "hello\n") << "строка 3";
    QTest::newRow("odd UTF-16") << QByteArray("\xFF\xFER\0E\0G", 7) << QString();
}

void TestRegistryFile::malformedFilesCountAsEmpty() {
    QFETCH(QByteArray, bytes);
    QFETCH(QString, where);
    const RegistryFile r = RegistryFile::parse(
        bytes + "[HKEY_CLASSES_ROOT\\Later]\n@=\"x\"\n");  // nothing after the fault counts either
    QVERIFY(r.isMalformed());
    QVERIFY2(r.error().startsWith(where), qPrintable(r.error()));
    QCOMPARE(r.keyCount(), 0);
    QCOMPARE(r.classesRootDefault(kRarKey), std::nullopt);
}

void TestRegistryFile::programFolderFileReportsOncePerContents() {
    kv::test::TempProgramFolder folder;
    kv::test::ScriptedMessageBoxes boxes;
    // No file: no key, no message.
    QCOMPARE(kv::classesRootDefaultValue(kRarKey), std::nullopt);
    QVERIFY(boxes.shown.isEmpty());

    folder.write("registry.reg",
                 "REGEDIT4\n[HKEY_CLASSES_ROOT\\WinRAR\\shell\\open\\command]\n"
                 "@=\"\\\"/opt/rar.exe\\\"\"\n");
    QCOMPARE(kv::classesRootDefaultValue(kRarKey), QStringLiteral("\"/opt/rar.exe\""));
    QVERIFY(boxes.shown.isEmpty());

    folder.write("registry.reg",
                 "REGEDIT4\n[HKEY_CLASSES_ROOT\\WinRAR\\shell\\open\\command]\n"
                 "@=\"\\\"/opt/rar.exe\n");
    for (int i = 0; i < 4; ++i) {
        QCOMPARE(kv::classesRootDefaultValue(kRarKey), std::nullopt);
    }
    QCOMPARE(boxes.shown.size(), 1);
    QVERIFY(boxes.shown[0].text.contains(QStringLiteral("registry.reg")));
    QVERIFY(boxes.shown[0].text.contains(QStringLiteral("строка 3")));

    folder.write("registry.reg", "garbage");
    QCOMPARE(kv::loadProgramRegistry().keyCount(), 0);
    QCOMPARE(kv::loadProgramRegistry().keyCount(), 0);
    QCOMPARE(boxes.shown.size(), 2);
    // The file is only read: it is still as written.
    QCOMPARE(folder.read("registry.reg"), QByteArray("garbage"));
}

QTEST_GUILESS_MAIN(TestRegistryFile)
#include "tst_registryfile.moc"
