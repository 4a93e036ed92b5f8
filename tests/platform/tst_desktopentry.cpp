#include <QTemporaryDir>
#include <QTest>

#include "platform/autostart.h"
#include "platform/shortcut.h"
#include "support/desktopentryreader.h"

using namespace kv;

class TestDesktopEntry : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() {
        QVERIFY(config.isValid());
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(config.path()));
    }

    // A desktop that reads the autostart entry by the freedesktop.org desktop-entry rules starts
    // the very program file with "r", whatever its path holds.
    void autostartEntryStartsTheProgramWithR() {
        const QStringList folders = {
            QStringLiteral("/opt/My Backups"),  QStringLiteral("/opt/a \"quoted\" b"),
            QStringLiteral("/opt/$HOME/x"),     QStringLiteral("/opt/`id`"),
            QStringLiteral("/opt/back\\slash"), QStringLiteral("/opt/\\\\two\\\\"),
            QStringLiteral("/opt/100%"),        QStringLiteral("/opt/%f %u %%"),
            QStringLiteral("/opt/new\nline"),   QStringLiteral("/opt/tab\there"),
            QStringLiteral("/opt/'; rm -rf ~"), QStringLiteral("/opt/Программы"),
        };
        for (const QString& folder : folders) {
            const QString executable = folder + QStringLiteral("/kelvotrin");
            writeAutostartEntry(executable);
            const QString entry = autostartEntryPath(executable);
            QCOMPARE(test::desktopFileValidateErrors(entry), QString());
            const auto keys = test::readDesktopEntry(entry);
            QCOMPARE(keys.value(QStringLiteral("Type")), QStringLiteral("Application"));
            QCOMPARE(test::execArguments(keys.value(QStringLiteral("Exec"))),
                     std::optional(QStringList{executable, QStringLiteral("r")}));
        }
    }

    // A dictionary's shortcut name gives a launcher in the desktop folder, never elsewhere.
    void launcherFileNameFromTheShortcutName() {
        QCOMPARE(launcherFileName(QStringLiteral("Backup.LNK")), QStringLiteral("Backup.desktop"));
        QCOMPARE(launcherFileName(QStringLiteral("Backup")), QStringLiteral("Backup.desktop"));
        QCOMPARE(launcherFileName(QStringLiteral("../.profile.lnk")),
                 QStringLiteral("..-.profile.desktop"));
    }

private:
    QTemporaryDir config;
};

QTEST_GUILESS_MAIN(TestDesktopEntry)
#include "tst_desktopentry.moc"
