#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QPushButton>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#include <csignal>

#include "app/startup.h"
#include "app/tform1.h"
#include "mainwindowfixture.h"
#include "platform/autostart.h"
#include "platform/platformtexts.h"
#include "store/layouts.h"
#include "support/tempprogramfolder.h"

using namespace kv;
using kv::test::TempProgramFolder;

namespace {

QList<FieldDef> layoutOf(const QString& file) {
    Table t(file);
    t.open();
    return t.fields();
}

bool sameLayout(const QList<FieldDef>& a, const QList<FieldDef>& b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (int i = 0; i < a.size(); ++i) {
        if (a[i].name != b[i].name || a[i].type != b[i].type ||
            (a[i].type == FieldType::String && a[i].width != b[i].width)) {
            return false;
        }
    }
    return true;
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

// A disk that takes no more data, while the object lives: no file of this process may grow.
class NoFileMayGrow {
public:
    NoFileMayGrow() : oldHandler_(std::signal(SIGXFSZ, SIG_IGN)) {
        ::getrlimit(RLIMIT_FSIZE, &old_);
        rlimit none = old_;
        none.rlim_cur = 0;
        ::setrlimit(RLIMIT_FSIZE, &none);
    }
    ~NoFileMayGrow() {
        ::setrlimit(RLIMIT_FSIZE, &old_);
        std::signal(SIGXFSZ, oldHandler_);
    }

private:
    rlimit old_{};
    void (*oldHandler_)(int);
};

}  // namespace

class TestStartup : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void firstStartCreatesEverything() {
        test::MainWindowFixture fx;
        {
            auto form = fx.makeForm();
            QCOMPARE(form->language().currentLanguage, QStringLiteral("Russian"));
            QVERIFY(fx.tables.tasks.isOpen());
            QVERIFY(fx.tables.objects.isOpen());
            QVERIFY(fx.tables.working.isOpen());
            QVERIFY(!fx.tables.archivers.isOpen());
            QVERIFY(form->scheduler().startingUp());
            QCOMPARE(form->scheduler().tickTimerInterval(), 0);
            QVERIFY(form->scheduler().startupTimer().isActive());
            QVERIFY(!form->ui.Button2->isEnabled());
            QVERIFY(form->ui.ComboBox1->isHidden());
        }
        QCOMPARE(fx.folder.read(QStringLiteral("lang.txt")), QByteArray("Russian\r\n"));
        QVERIFY(QFileInfo(fx.folder.file(QStringLiteral("Lists"))).isDir());
        QVERIFY(sameLayout(layoutOf(kTasksFile), tasksLayout()));
        QVERIFY(sameLayout(layoutOf(kObjectsFile), objectsLayout()));
        QVERIFY(sameLayout(layoutOf(kWorkingObjectsFile), objectsLayout()));
        QVERIFY(sameLayout(layoutOf(kArchiversFile), archiversLayout()));
        QVERIFY(sameLayout(layoutOf(kTaskExtrasFile), taskExtrasLayout()));
        QCOMPARE(tasksLayout().size(), 26);
        QCOMPARE(fx.boxes.shown.size(), 0);
    }

    void existingFilesAreLeftAsTheyAre() {
        test::MainWindowFixture fx;
        // Tables, tasks.dbf of another layout, an English language file, a Lists folder with a
        // file.
        const QList<FieldDef> otherLayout = {TaskField::Flag.def(),
                                             {TaskField::Name.name(), FieldType::String, 10},
                                             {QStringLiteral("Extra"), FieldType::Integer, 0}};
        fx.folder.makeTables();
        Table::create(fx.folder.file(kTasksFile), otherLayout);
        Table::create(fx.folder.file(kTaskExtrasFile), taskExtrasLayout());
        fx.folder.write(QStringLiteral("lang.txt"), "English\r\nsecond line\r\n");
        fx.folder.write(QStringLiteral("Lists/1.txt"), "/home/a\r\n");
        const auto before = test::snapshot(fx.folder.path());
        {
            auto form = fx.makeForm();
            QCOMPARE(form->language().currentLanguage, QStringLiteral("English"));
            QCOMPARE(test::snapshot(fx.folder.path()), before);
        }
        QVERIFY(sameLayout(layoutOf(kTasksFile), otherLayout));
    }

    // A disk that takes no more data (here: no file may grow) fails the language file loudly
    // and leaves no empty one behind.
    void aLanguageFileThatCannotBeWrittenIsReported() {
        TempProgramFolder folder;
        bool threw = false;
        try {
            NoFileMayGrow full;
            readOrCreateLanguageFile();
        } catch (const std::runtime_error& e) {
            threw = QString::fromStdString(e.what()).contains(kLanguageFile);
        }
        QVERIFY(threw);
        QVERIFY(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden).isEmpty());
    }

    // The same for the autostart entry: the failure is told, and no empty entry is left behind
    // as if the program would start with the session.
    void anAutostartEntryThatCannotBeWrittenIsReported() {
        test::MainWindowFixture fx;
        auto form = fx.makeForm();
        {
            NoFileMayGrow full;
            form->ui.CheckBox2->setChecked(true);
        }
        QCOMPARE(fx.boxes.texts(), QStringList{platformText(PlatformText::AutostartFailed)
                                                   .arg(applicationTitle(test::kExecutable))});
        QVERIFY(!autostartEntryExists(test::kExecutable));
    }

    // FIFOs where the first start reads lang.txt and registry.reg are refused at once and told,
    // never waited for.
    void fifosAreRefusedAtOnce() {
        test::MainWindowFixture fx;
        for (const char* name : {"lang.txt", "registry.reg"}) {
            QCOMPARE(::mkfifo(QFile::encodeName(fx.folder.file(name)).constData(), 0600), 0);
        }
        auto form = fx.makeForm();
        QCOMPARE(form->language().currentLanguage, kRussian);
        QCOMPARE(fx.boxes.shown.size(), 2);
        const QString told = fx.boxes.texts().join(u'\n');
        QVERIFY(told.contains(kLanguageFile));
        QVERIFY(told.contains(platformText(PlatformText::NotARegularFile)));
        QVERIFY(QFileInfo::exists(fx.folder.file(kArchiversFile)));
    }

    // A folder whose path is no valid UTF-8 is refused before anything is stored, never taken
    // for "/" or the current folder.
    void aProgramFolderThatCannotBeNamedIsRefused() {
        QTemporaryDir root;
        const QByteArray folder = QFile::encodeName(root.path()) + "/\xff\xfe";
        const QByteArray exe = folder + "/kelvotrin";
        QCOMPARE(::mkdir(folder.constData(), 0700), 0);
        const auto removeFolder = qScopeGuard([&] {
            ::unlink(exe.constData());
            ::rmdir(folder.constData());
        });
        QFile built(QString::fromLocal8Bit(qgetenv("KV_TEST_BINARY_DIR")) +
                    QStringLiteral("/bin/kelvotrin"));
        QVERIFY(built.open(QIODevice::ReadOnly));
        const QByteArray program = built.readAll();
        const int out = ::open(exe.constData(), O_WRONLY | O_CREAT | O_CLOEXEC, 0700);
        QVERIFY(out >= 0);
        QCOMPARE(::write(out, program.constData(), size_t(program.size())),
                 ssize_t(program.size()));
        ::close(out);
        // Started through a link of a name that can be passed; /proc/self/exe names the file.
        const QString link = root.filePath(QStringLiteral("kelvotrin"));
        QCOMPARE(::symlink(exe.constData(), QFile::encodeName(link).constData()), 0);
        const QString work = root.filePath(QStringLiteral("work"));
        QVERIFY(QDir().mkpath(work));

        // The refusal is shown in a box; its text goes to the error output too.
        QProcess start;
        start.setWorkingDirectory(work);
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        start.setProcessEnvironment(env);
        start.start(link, {});
        QVERIFY(start.waitForStarted());
        QByteArray told;
        QTRY_VERIFY_WITH_TIMEOUT((told += start.readAllStandardError()).contains("UTF-8"), 10000);
        start.kill();
        start.waitForFinished();
        QCOMPARE(QDir(work).entryList(QDir::NoDotAndDotDot | QDir::AllEntries), QStringList());
        for (const char* name : {"/lang.txt", "/tasks.dbf", "/Lists"}) {
            QVERIFY2(::access((folder + name).constData(), F_OK) != 0, name);
        }
    }

    void aDamagedTableIsReportedAndKept() {
        test::MainWindowFixture fx;
        const QByteArray garbage("this is not a table at all");
        fx.folder.write(kTasksFile, garbage);
        {
            auto form = fx.makeForm();
            QVERIFY(!fx.tables.tasks.isOpen());
            QVERIFY(fx.tables.objects.isOpen());
            QVERIFY(fx.tables.working.isOpen());
            // Told once: the start-up pass and the tick find nothing to walk and say nothing.
            form->Timer3Timer();
            form->Timer1Timer();
            QVERIFY(form->ui.Button2->isEnabled());
            QCOMPARE(form->scheduler().tickTimerInterval(), 750000000);
        }
        QCOMPARE(fx.boxes.shown.size(), 1);
        QVERIFY(fx.boxes.shown.first().text.contains(kTasksFile));
        QCOMPARE(fx.folder.read(kTasksFile), garbage);
    }

    // tasksx.dbf: one made anew is told when a task has a date in its archive names (its choice
    // of archives to keep is gone); a damaged one is told, kept and left closed.
    void aLostOrDamagedRetentionTableIsTold() {
        const MainWindowTexts t = mainWindowTexts();
        {
            test::MainWindowFixture fx;
            fx.folder.makeTables();
            fx.folder.addRow(kTasksFile, {{TaskField::Name, "docs"}, {TaskField::VidNameArh, 1}});
            auto form = fx.makeForm();
            QVERIFY(fx.tables.extras.isOpen());
            QCOMPARE(fx.boxes.shown.size(), 1);
            QVERIFY(
                fx.boxes.shown.first().text.contains(t.text(Form1Text::cm96).arg(kTaskExtrasFile)));
        }
        test::MainWindowFixture fx;
        fx.folder.write(kTaskExtrasFile, "not a table");
        auto form = fx.makeForm();
        QVERIFY(!fx.tables.extras.isOpen());
        QCOMPARE(fx.boxes.shown.size(), 1);
        QVERIFY(fx.boxes.shown.first().text.contains(kTaskExtrasFile));
        QCOMPARE(fx.folder.read(kTaskExtrasFile), QByteArray("not a table"));
    }

    // A box of the start (here a damaged tasksm.dbf) waits for the user with the start-up pass
    // already armed, so that the pass and then the tick run on time while it is open.
    void aBoxAtTheStartHoldsNoPassBack() {
        test::MainWindowFixture fx;
        fx.folder.write(kObjectsFile, "not a table");
        bool armed = false;
        fx.boxes.answer([&](const MessageBoxRequest&) {
            for (QWidget* w : QApplication::topLevelWidgets()) {
                if (auto* form = qobject_cast<TForm1*>(w)) {
                    armed = form->scheduler().startupTimer().isActive() && fx.tables.tasks.isOpen();
                }
            }
            return MbResult::Ok;
        });
        auto form = fx.makeForm();
        QCOMPARE(fx.boxes.shown.size(), 1);
        QVERIFY(armed);
    }

    // The language is set up before the tables are made: a lang.txt that cannot be read is
    // told before a damaged table.
    void languageComesBeforeTheTables() {
        test::MainWindowFixture fx;
        QVERIFY(QDir(fx.folder.path()).mkdir(QStringLiteral("lang.txt")));
        fx.folder.write(kTasksFile, "not a table");
        auto form = fx.makeForm();
        QCOMPARE(fx.boxes.shown.size(), 2);
        QVERIFY(fx.boxes.shown[0].text.contains(QStringLiteral("lang.txt")));
        QVERIFY(fx.boxes.shown[1].text.contains(kTasksFile));
    }

    // Archiver discovery runs at start only for an archers.dbf that had to be created.
    void discoveryOnlyForANewConfigurationTable() {
        for (const bool existed : {false, true}) {
            test::MainWindowFixture fx;
            fx.folder.write(QStringLiteral("registry.reg"),
                            "REGEDIT4\n[HKEY_CLASSES_ROOT\\WinRAR\\shell\\open\\command]\n"
                            "@=\"\\\"/usr/bin/rar\\\" \\\"%1\\\"\"\n");
            if (existed) {
                fx.folder.makeTables();
            }
            auto form = fx.makeForm();
            Table archivers(kArchiversFile);
            archivers.open();
            QCOMPARE(archivers.recordCount(), existed ? 0 : 1);
        }
    }

    void autoStartedOnlyByExactlyR() {
        test::MainWindowFixture fx;
        const QList<QPair<QStringList, bool>> cases = {
            {{QStringLiteral("r")}, true},
            {{QStringLiteral("r"), QStringLiteral("x")}, true},
            {{}, false},
            {{QStringLiteral("R")}, false},
            {{QStringLiteral("/r")}, false},
            {{QStringLiteral("-r")}, false},
            {{QStringLiteral("rr")}, false},
            {{QStringLiteral(" r")}, false},
            {{QStringLiteral("x"), QStringLiteral("r")}, false},
        };
        for (const auto& [args, expected] : cases) {
            auto form = fx.makeForm(args);
            QCOMPARE(form->autoStarted(), expected);
        }
    }

    void captionFollowsTheLanguageName() {
        QCOMPARE(mainWindowCaption(QStringLiteral("Russian")), QStringLiteral("Кельвотрин"));
        QCOMPARE(mainWindowCaption(QStringLiteral("English")), QStringLiteral("Kelvotrin"));
        QCOMPARE(mainWindowCaption(QStringLiteral("russian")), QStringLiteral("Kelvotrin"));
        QCOMPARE(mainWindowCaption(QString()), QStringLiteral("Kelvotrin"));
    }

    void secondStartHandsOverAndChangesNothing_data() {
        QTest::addColumn<QByteArray>("languageFile");
        QTest::addColumn<QString>("dictionary");
        QTest::addColumn<QByteArray>("caption");
        QTest::newRow("no language") << QByteArray() << QString() << QByteArray();
        QTest::newRow("English") << QByteArray("English\r\n") << "English.dic"
                                 << QByteArray("Kelvotrin");
        // Started under "Kelvotrin" ("russian" is not Russian), then switched to the listed
        // Russian by the creation step: the channel follows the caption.
        QTest::newRow("russian") << QByteArray("russian\r\n") << "Russian.dic"
                                 << QByteArray("\xca\xe5\xeb\xfc\xe2\xee\xf2\xf0\xe8\xed");
    }

    // The real program in a folder of its own, in each language: a second start hands over and
    // ends without touching a file; a termination signal ends the first copy through the
    // destruction step.
    void secondStartHandsOverAndChangesNothing() {
        QFETCH(QByteArray, languageFile);
        QFETCH(QString, dictionary);
        QFETCH(QByteArray, caption);
        QTemporaryDir programDir;
        QTemporaryDir runtime;
        const QString exe = programDir.path() + QStringLiteral("/kelvotrin");
        QVERIFY(QFile::copy(QString::fromLocal8Bit(qgetenv("KV_TEST_BINARY_DIR")) +
                                QStringLiteral("/bin/kelvotrin"),
                            exe));
        if (!dictionary.isEmpty()) {
            writeFile(programDir.filePath(QStringLiteral("lang.txt")), languageFile);
            writeFile(programDir.filePath(dictionary),
                      "[Form1]\r\nForm1--Caption=" + caption + "\r\n");
        }
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), runtime.path());

        QProcess first;
        first.setProcessEnvironment(env);
        first.start(exe, {});
        QVERIFY(first.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(programDir.path() + QStringLiteral("/Lists")),
                                 10000);
        QTest::qWait(300);
        const auto before = test::snapshot(programDir.path());
        QVERIFY(before.contains(kTasksFile));
        QVERIFY(before.contains(QStringLiteral("lang.txt")));

        QProcess second;
        second.setProcessEnvironment(env);
        second.start(exe, {});
        QVERIFY(second.waitForFinished(10000));
        QCOMPARE(second.exitStatus(), QProcess::NormalExit);
        QCOMPARE(second.exitCode(), 0);
        QCOMPARE(test::snapshot(programDir.path()), before);
        QCOMPARE(first.state(), QProcess::Running);

        ::kill(first.processId(), SIGTERM);
        QVERIFY(first.waitForFinished(10000));
        QCOMPARE(first.exitStatus(), QProcess::NormalExit);
        QCOMPARE(first.exitCode(), 0);
    }
};

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
