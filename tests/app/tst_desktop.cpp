#include <QCheckBox>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QPushButton>
#include <QTest>

#include "app/programicon.h"
#include "app/tform1.h"
#include "mainwindowfixture.h"
#include "platform/autostart.h"
#include "support/desktopentryreader.h"

using namespace kv;

namespace {

// Takes the URLs that the program asks the desktop to open.
class UrlCatcher : public QObject {
    Q_OBJECT
public:
    UrlCatcher() { QDesktopServices::setUrlHandler(QStringLiteral("file"), this, "open"); }
    ~UrlCatcher() override { QDesktopServices::unsetUrlHandler(QStringLiteral("file")); }
    QList<QUrl> opened;
public Q_SLOTS:
    void open(const QUrl& url) { opened << url; }
};

// Points the desktop folder of the fixture's configuration at `folder`.
void setDesktopFolder(const test::MainWindowFixture& fx, const QString& folder) {
    QFile dirs(fx.config.filePath(QStringLiteral("user-dirs.dirs")));
    QVERIFY(dirs.open(QIODevice::WriteOnly));
    dirs.write("XDG_DESKTOP_DIR=\"" + QFile::encodeName(folder) + "\"\n");
}

QString readText(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

}  // namespace

class TestDesktop : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // At start the box shows whether the entry exists; a present entry is written again for the
    // program file as it is now, an absent one is not made.
    void autostartBoxAtStart() {
        test::MainWindowFixture fx;
        {
            auto form = fx.makeForm();
            QVERIFY(!form->ui.CheckBox2->isChecked());
            QVERIFY(!autostartEntryExists(test::kExecutable));
        }
        writeAutostartEntry(QStringLiteral("/old place/kelvotrin"));
        auto form = fx.makeForm();
        QVERIFY(form->ui.CheckBox2->isChecked());
        const auto keys = test::readDesktopEntry(autostartEntryPath(test::kExecutable));
        QCOMPARE(test::execArguments(keys.value(QStringLiteral("Exec"))),
                 std::optional(QStringList{test::kExecutable, QStringLiteral("r")}));
        form->ui.CheckBox2->setChecked(false);
        QVERIFY(!autostartEntryExists(test::kExecutable));
        QCOMPARE(fx.boxes.shown.size(), 0);
    }

    // An entry that the desktop switched off counts as off and stays as it is, until the user
    // ticks the box.
    void autostartSwitchedOffByTheDesktop() {
        test::MainWindowFixture fx;
        const QString path = autostartEntryPath(test::kExecutable);
        QVERIFY(QDir().mkpath(QFileInfo(path).path()));
        for (const char* off : {"Hidden=true", "X-GNOME-Autostart-enabled = false"}) {
            QFile entry(path);
            QVERIFY(entry.open(QIODevice::WriteOnly));
            entry.write("[Desktop Entry]\nType=Application\nExec=/old/kelvotrin r\n" +
                        QByteArray(off) + "\n");
            entry.close();
            const QString before = readText(path);
            auto form = fx.makeForm();
            QVERIFY(!form->ui.CheckBox2->isChecked());
            QCOMPARE(readText(path), before);
            form->ui.CheckBox2->setChecked(true);
            QVERIFY(autostartEntryIsOn(test::kExecutable));
        }
    }

    // The launcher starts the program in its folder, shows the program's icon, may be run, is
    // valid, and is handed to gio to be trusted.
    void launcherOnTheDesktop() {
        test::MainWindowFixture fx;
        const QString desktop = fx.config.filePath(QStringLiteral("Рабочий стол"));
        setDesktopFolder(fx, desktop);
        QTemporaryDir bin;
        const QString gio = bin.filePath(QStringLiteral("gio"));
        QFile script(gio);
        QVERIFY(script.open(QIODevice::WriteOnly));
        script.write("#!/bin/sh\nprintf '%s\\n' \"$@\" > \"$0.args\"\n");
        script.close();
        QVERIFY(script.setPermissions(script.permissions() | QFileDevice::ExeOwner));
        const QByteArray path = qgetenv("PATH");
        qputenv("PATH", QFile::encodeName(bin.path()) + ':' + path);

        auto form = fx.makeForm();
        form->ui.Button10->click();
        const QString launcher = desktop + QStringLiteral("/Кельвотрин.desktop");
        QCOMPARE(test::desktopFileValidateErrors(launcher), QString());
        QVERIFY(QFileInfo(launcher).permissions() & QFileDevice::ExeOwner);
        const auto keys = test::readDesktopEntry(launcher);
        QCOMPARE(test::execArguments(keys.value(QStringLiteral("Exec"))),
                 std::optional(QStringList{test::kExecutable}));
        QCOMPARE(keys.value(QStringLiteral("Path")), fx.folder.path());
        const QString icon = keys.value(QStringLiteral("Icon"));
        QCOMPARE(icon, fx.folder.file(QStringLiteral("kelvotrin.svg")));
        QVERIFY(!QIcon(icon).pixmap(QSize(32, 32)).isNull());
        QTRY_COMPARE(readText(gio + QStringLiteral(".args")),
                     QStringLiteral("set\n%1\nmetadata::trusted\ntrue\n").arg(launcher));
        QCOMPARE(fx.boxes.shown.size(), 0);

        // An installed program names the icon of its theme.
        form.reset();
        auto installed =
            std::make_unique<TForm1>(fx.tables, TForm1::Options{{}, test::kExecutable, true});
        installed->ui.Button10->click();
        QCOMPARE(test::readDesktopEntry(launcher).value(QStringLiteral("Icon")), kIconThemeName);
        qputenv("PATH", path);
    }

    void aLauncherThatCannotBeWrittenIsReported() {
        test::MainWindowFixture fx;
        const QString notAFolder = fx.config.filePath(QStringLiteral("file"));
        QFile(notAFolder).open(QIODevice::WriteOnly);
        setDesktopFolder(fx, notAFolder + QStringLiteral("/Desktop"));
        auto form = fx.makeForm();
        form->ui.Button10->click();
        QCOMPARE(fx.boxes.shown.size(), 1);
        QVERIFY(fx.boxes.shown[0].text.contains(notAFolder));
    }

    // Russian reads helprus.doc, every other language helpeng.doc; the viewer gets a read-only
    // copy outside the program folder, anew for each request; a missing document is told.
    void helpByLanguage() {
        test::MainWindowFixture fx;
        fx.folder.write(QStringLiteral("helprus.doc"), "{\\rtf1 rus}");
        fx.folder.write(QStringLiteral("helpeng.doc"), "{\\rtf1 eng}");
        UrlCatcher viewer;
        std::unique_ptr<TForm1> form;
        const QList<QPair<QString, QByteArray>> cases = {
            {QStringLiteral("Russian"), "{\\rtf1 rus}"},
            {QStringLiteral("English"), "{\\rtf1 eng}"},
            {QStringLiteral("German"), "{\\rtf1 eng}"},
            {QStringLiteral("russian"), "{\\rtf1 eng}"},
        };
        for (const auto& [language, content] : cases) {
            // Without dictionaries the window keeps lang.txt's name as it is.
            fx.folder.write(QStringLiteral("lang.txt"), language.toLatin1() + "\r\n");
            form.reset();
            form = fx.makeForm();
            viewer.opened.clear();
            form->ui.BitBtn10->click();
            form->ui.BitBtn10->click();
            QCOMPARE(viewer.opened.size(), 2);
            const QString shown = viewer.opened.last().toLocalFile();
            QVERIFY(!shown.startsWith(fx.folder.path()));
            QFile copy(shown);
            QVERIFY(copy.open(QIODevice::ReadOnly));
            QCOMPARE(copy.readAll(), content);
            // r--r--r--, whoever runs the test ("User" bits say what this process may do).
            QCOMPARE(copy.permissions() & 0x7077,
                     QFileDevice::ReadOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther);
        }
        QVERIFY(fx.boxes.shown.isEmpty());

        QFile::remove(fx.folder.file(QStringLiteral("helpeng.doc")));
        viewer.opened.clear();
        form->ui.BitBtn10->click();
        QVERIFY(viewer.opened.isEmpty());
        QCOMPARE(fx.boxes.texts(), QStringList{form->texts().text(Form1Text::cm7)});
    }
};

QTEST_MAIN(TestDesktop)
#include "tst_desktop.moc"
