// The tray icon as today's desktops show it. The real program, started into the tray, registers
// its StatusNotifierItem with a fake tray host on a private bus; the test reads the item and its
// menu, and clicks in the menu, as the desktop would.
#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>
#include <memory>

#include "app/programicon.h"
#include "app/startup.h"
#include "platform/inifile.h"
#include "support/fakedbus.h"

using namespace kv;

namespace {

const QString kItemPath = QStringLiteral("/StatusNotifierItem");
const QString kItemInterface = QStringLiteral("org.kde.StatusNotifierItem");

QString builtProgram(const QString& name) {
    return qEnvironmentVariable("KV_TEST_BINARY_DIR") + u'/' + name;
}

// An X server of its own (Xvfb), on which the program's platform has the desktop's theme and
// with it the tray of today's desktops (the offscreen platform's theme has none).
class PrivateDisplay {
public:
    PrivateDisplay() {
        const QString xvfb = QStandardPaths::findExecutable(QStringLiteral("Xvfb"));
        if (xvfb.isEmpty()) {
            return;
        }
        server_.setStandardErrorFile(QProcess::nullDevice());
        // It writes its display's number to the descriptor given once it accepts clients.
        server_.start(xvfb, {"-displayfd", "1", "-screen", "0", "640x480x24", "-nolisten", "tcp"});
        while (server_.waitForReadyRead(10000) && !server_.canReadLine()) {
        }
        const QByteArray number = server_.readLine().trimmed();
        if (!number.isEmpty()) {
            name_ = u':' + QString::fromLatin1(number);
        }
    }
    ~PrivateDisplay() {
        server_.terminate();
        server_.waitForFinished(5000);
    }
    QString name() const { return name_; }

private:
    QProcess server_;
    QString name_;
};

// A program started into the tray on `display`, with the private bus as its session and system
// bus. Ended by the destructor as the session's end would end it.
class TrayProgram {
public:
    TrayProgram(const QString& executable, const QString& display, const QString& busAddress,
                const QStringList& extraEnvironment = {}) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove(QStringLiteral("QT_QPA_PLATFORMTHEME"));
        env.remove(QStringLiteral("XDG_CURRENT_DESKTOP"));
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        env.insert(QStringLiteral("DISPLAY"), display);
        env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), busAddress);
        env.insert(QStringLiteral("DBUS_SYSTEM_BUS_ADDRESS"), busAddress);
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), home_.path());
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), home_.filePath("config"));
        env.insert(QStringLiteral("XDG_DATA_HOME"), home_.filePath("data"));
        for (const QString& setting : extraEnvironment) {
            env.insert(setting.section(u'=', 0, 0), setting.section(u'=', 1));
        }
        process_.setProcessChannelMode(QProcess::ForwardedChannels);
        process_.setProcessEnvironment(env);
        process_.start(executable, {QStringLiteral("r")});
    }
    ~TrayProgram() {
        ::kill(pid_t(process_.processId()), SIGTERM);
        if (!process_.waitForFinished(10000)) {
            process_.kill();
            process_.waitForFinished();
        }
    }

private:
    QTemporaryDir home_;
    QProcess process_;
};

// Asks the program's object at `path` as the desktop does.
QDBusMessage ask(test::FakeService& desktop, const QString& service, const QString& path,
                 const QString& interface, const QString& method, const QVariantList& arguments) {
    QDBusMessage call = QDBusMessage::createMethodCall(service, path, interface, method);
    call.setArguments(arguments);
    return desktop.connection().call(call);
}

QVariant itemProperty(test::FakeService& desktop, const QString& service, const QString& name) {
    const QDBusMessage reply =
        ask(desktop, service, kItemPath, QStringLiteral("org.freedesktop.DBus.Properties"),
            QStringLiteral("Get"), {kItemInterface, name});
    return reply.arguments().value(0).value<QDBusVariant>().variant();
}

// The title of the item's tooltip: (icon name, pixmaps (iiay), title, text).
QString toolTipTitle(test::FakeService& desktop, const QString& service) {
    const auto toolTip =
        itemProperty(desktop, service, QStringLiteral("ToolTip")).value<QDBusArgument>();
    QString iconName;
    QString title;
    toolTip.beginStructure();
    toolTip >> iconName;
    toolTip.beginArray();
    while (!toolTip.atEnd()) {
        int width = 0;
        int height = 0;
        QByteArray pixels;
        toolTip.beginStructure();
        toolTip >> width >> height >> pixels;
        toolTip.endStructure();
    }
    toolTip.endArray();
    QString text;
    toolTip >> title >> text;
    toolTip.endStructure();  // lets go of what reading the structure took
    return title;
}

struct MenuItem {
    int id = 0;
    QVariantMap properties;
};

// The items of the exported menu, from its layout: (id, properties, children as variants).
QList<MenuItem> menuItems(test::FakeService& desktop, const QString& service,
                          const QString& menuPath) {
    const QDBusMessage reply =
        ask(desktop, service, menuPath, QStringLiteral("com.canonical.dbusmenu"),
            QStringLiteral("GetLayout"), {0, -1, QStringList()});
    const auto root = reply.arguments().value(1).value<QDBusArgument>();
    MenuItem top;
    QVariantList children;
    root.beginStructure();
    root >> top.id >> top.properties >> children;
    root.endStructure();
    QList<MenuItem> items;
    for (const QVariant& child : children) {
        const auto node = child.value<QDBusArgument>();
        MenuItem item;
        QVariantList none;
        node.beginStructure();
        node >> item.id >> item.properties >> none;
        node.endStructure();
        items << item;
    }
    return items;
}

}  // namespace

class TestStatusNotifier : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() {
        bus_ = std::make_unique<test::PrivateBus>();
        QVERIFY2(!bus_->address().isEmpty(), "dbus-daemon (Debian package dbus-daemon) is needed");
        display_ = std::make_unique<PrivateDisplay>();
        QVERIFY2(!display_->name().isEmpty(), "Xvfb (Debian package xvfb) is needed");
    }

    void itemWithItsMenu_data() {
        QTest::addColumn<QString>("language");
        QTest::newRow("Russian") << "Russian";
        QTest::newRow("English") << "English";
    }

    // The item registers under the program's name, with the tooltip and the window's menu in
    // the language in use; pausing from that menu checks its item and changes the tooltip.
    void itemWithItsMenu() {
        QFETCH(QString, language);
        test::FakeStatusNotifierWatcher desktop(bus_->address());
        QVERIFY(desktop.registered());
        QTemporaryDir folder;
        const QString program = folder.filePath("kelvotrin");
        QVERIFY(QFile::copy(builtProgram("bin/kelvotrin"), program));
        for (const QString dictionary : {"Russian.dic", "English.dic"}) {
            QVERIFY(QFile::copy(QFINDTESTDATA("../../data/dictionaries/" + dictionary),
                                folder.filePath(dictionary)));
        }
        QFile languageFile(folder.filePath(kLanguageFile));
        QVERIFY(languageFile.open(QIODevice::WriteOnly));
        languageFile.write(language.toLatin1() + "\r\n");
        languageFile.close();
        const IniFile dictionary(folder.filePath(language + ".dic"));

        TrayProgram tray(program, display_->name(), bus_->address());
        QTRY_COMPARE_WITH_TIMEOUT(desktop.items.size(), 1, 20000);
        const QString item = desktop.items[0];
        QCOMPARE(itemProperty(desktop, item, "Title").toString(), kProgramName);
        const QString running = toolTipTitle(desktop, item);
        QVERIFY(!running.isEmpty());

        const QString menu = itemProperty(desktop, item, "Menu").value<QDBusObjectPath>().path();
        QList<MenuItem> items = menuItems(desktop, item, menu);
        QCOMPARE(items.size(), 3);
        for (int i = 0; i < 3; ++i) {
            QCOMPARE(items[i].properties.value("label").toString(),
                     dictionary.readString("Form1", QString("Menu-N%1--Caption").arg(i + 1)));
        }
        const MenuItem pause = items[1];
        QCOMPARE(pause.properties.value("toggle-type").toString(), QStringLiteral("checkmark"));
        QCOMPARE(pause.properties.value("toggle-state").toInt(), 0);

        ask(desktop, item, menu, QStringLiteral("com.canonical.dbusmenu"), QStringLiteral("Event"),
            {pause.id, QStringLiteral("clicked"), QVariant::fromValue(QDBusVariant(0)), 0u});
        QTRY_COMPARE(menuItems(desktop, item, menu)[1].properties.value("toggle-state").toInt(), 1);
        QVERIFY(toolTipTitle(desktop, item) != running);
    }

    // An installed program names its icon in the icon theme, where the desktop finds it.
    void installedIconByThemeName() {
        const QString program = builtProgram("bin-installed/kelvotrin");
        if (!QFile::exists(program)) {
            QSKIP("no installable program in this build");
        }
        test::FakeStatusNotifierWatcher desktop(bus_->address());
        QTemporaryDir share;
        const QDir theme(share.filePath("icons/hicolor"));
        QVERIFY(theme.mkpath("scalable/apps"));
        QFile index(theme.filePath("index.theme"));
        QVERIFY(index.open(QIODevice::WriteOnly));
        index.write(
            "[Icon Theme]\nName=Hicolor\nDirectories=scalable/apps\n\n"
            "[scalable/apps]\nSize=64\nMinSize=1\nMaxSize=512\nType=Scalable\n");
        index.close();
        QVERIFY(QFile::copy(QFINDTESTDATA("../../data/icons/kelvotrin.svg"),
                            theme.filePath("scalable/apps/" + kIconThemeName + ".svg")));

        TrayProgram tray(program, display_->name(), bus_->address(),
                         {"XDG_DATA_DIRS=" + share.path()});
        QTRY_COMPARE_WITH_TIMEOUT(desktop.items.size(), 1, 20000);
        QCOMPARE(itemProperty(desktop, desktop.items[0], "IconName").toString(), kIconThemeName);
    }

private:
    std::unique_ptr<test::PrivateBus> bus_;
    std::unique_ptr<PrivateDisplay> display_;
};

QTEST_MAIN(TestStatusNotifier)
#include "tst_statusnotifier.moc"
