#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

#include "platform/programfolder.h"
#include "support/tempprogramfolder.h"

namespace {

void write(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(f.write(bytes), bytes.size());
}

}  // namespace

// Where the program keeps its files: beside a portable executable, or in the user's data
// folder for an installed one, which gets the shipped files it lacks.
class TestProgramFolder : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() {
        root_ = std::make_unique<QTemporaryDir>();
        QVERIFY(root_->isValid());
        QVERIFY(QDir().mkpath(bin()));
        previous_ = kv::programFolder();
        qputenv("XDG_DATA_HOME", QFile::encodeName(root_->filePath(QStringLiteral("data"))));
        write(shipped(QStringLiteral("English.dic")), "[Form1]\r\n");
        write(shipped(QStringLiteral("helpeng.doc")), "{\\rtf1 help}");
        write(shipped(QStringLiteral("helprus.doc")), "{\\rtf1 rus}");
        write(shipped(QStringLiteral("notes.txt")), "not shipped to the user");
        QFile::setPermissions(shipped(QStringLiteral("helprus.doc")), QFileDevice::ReadOwner);
    }
    void cleanup() {
        kv::setProgramFolder(previous_);
        qunsetenv("XDG_DATA_HOME");
    }

    void portableKeepsTheExecutablesFolderAndCopiesNothing() {
        kv::setUpProgramFolder(bin(), QString());
        QCOMPARE(kv::programFolder(), bin() + u'/');
        QVERIFY(!QFileInfo::exists(user()));
        QCOMPARE(QDir(bin()).entryList(QDir::Files), QStringList());
    }

    void installedAddsMissingShippedFilesAndReplacesNone() {
        kv::setUpProgramFolder(bin(), QStringLiteral("../share/kelvotrin"));
        QCOMPARE(kv::programFolder(), user());
        QCOMPARE(QDir(user()).entryList(QDir::Files),
                 QStringList({"English.dic", "helpeng.doc", "helprus.doc"}));
        QCOMPARE(kv::test::snapshot(user()).value(QStringLiteral("helpeng.doc")),
                 QByteArray("{\\rtf1 help}"));
        QVERIFY(QFile::permissions(user() + QStringLiteral("helprus.doc")) &
                QFileDevice::WriteOwner);

        // The user's dictionary stays; a removed document comes back at the next start.
        write(user() + QStringLiteral("English.dic"), "[Form1]\r\nedited=1\r\n");
        QVERIFY(QFile::remove(user() + QStringLiteral("helpeng.doc")));
        kv::setUpProgramFolder(bin(), QStringLiteral("../share/kelvotrin"));
        const auto files = kv::test::snapshot(user());
        QCOMPARE(files.value(QStringLiteral("English.dic")), QByteArray("[Form1]\r\nedited=1\r\n"));
        QCOMPARE(files.value(QStringLiteral("helpeng.doc")), QByteArray("{\\rtf1 help}"));
    }

private:
    QString bin() const { return root_->filePath(QStringLiteral("usr/bin")); }
    QString shipped(const QString& name) const {
        return root_->filePath(QStringLiteral("usr/share/kelvotrin/") + name);
    }
    QString user() const { return root_->filePath(QStringLiteral("data/kelvotrin/")); }

    std::unique_ptr<QTemporaryDir> root_;
    QString previous_;
};

QTEST_MAIN(TestProgramFolder)
#include "tst_programfolder.moc"
