#include <sys/wait.h>
#include <unistd.h>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QMap>
#include <QScopeGuard>
#include <QSet>
#include <QTest>
#include <QThread>
#include <cerrno>
#include <csignal>
#include <optional>

#include "platform/childwatch.h"
#include "platform/winexec.h"
#include "support/tempprogramfolder.h"

using kv::CommandLineParts;
using kv::kSwShow;
using kv::splitArguments;
using kv::splitCommandLine;
using kv::WinExec;
using enum kv::WinExecResult;

namespace {

// A file system of named files for the pure splitter.
std::function<bool(const QString&)> filesAre(QStringList files) {
    return [files](const QString& p) { return files.contains(p); };
}

void makeExecutable(const QString& path, const QByteArray& content) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(content);
    f.close();
    QVERIFY(f.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
}

// Waits (polling, with a limit) for a file the started program writes.
QByteArray waitForFile(const QString& path, int timeoutMs = 10000) {
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < timeoutMs) {
        QFile f(path);
        if (f.open(QIODevice::ReadOnly)) {
            const QByteArray data = f.readAll();
            if (data.endsWith("END\n")) {
                return data;
            }
        }
        QThread::msleep(10);
    }
    return {};
}

}  // namespace

class TestWinExec : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void splitsQuotedProgram();
    void splitsUnquotedProgramWithBlanks();
    void unfoundProgramIsLongestPrefixWithoutBlankInLastComponent();
    void emptyAndBlankLines();
    void argumentsGroupByQuotes();

    void missingFileInExistingFolderIs2();
    void missingFolderIs3();
    void notRunnableIs11();
    void startsProgramWithArgumentsInProgramFolder();
    void startsUnquotedPathWithBlanksAndBareNameFromPath();
    void followsEveryChildToItsEnd_data();
    void followsEveryChildToItsEnd();
    void outputArrivesWhileTheProgramRuns();
    void hookReplacesLaunch();
};

void TestWinExec::splitsQuotedProgram() {
    const CommandLineParts p = splitCommandLine(
        QStringLiteral("\"/opt/My Archiver/pack\" a -ep3 \"/b/x y.rar\""), filesAre({}));
    QCOMPARE(p.program, QStringLiteral("/opt/My Archiver/pack"));
    QVERIFY(p.quoted);
    QVERIFY(!p.found);
    QCOMPARE(p.arguments, (QStringList{"a", "-ep3", "/b/x y.rar"}));

    // No closing quote: the whole line names the program.
    const CommandLineParts open = splitCommandLine(QStringLiteral("\"/opt/pack a"), filesAre({}));
    QCOMPARE(open.program, QStringLiteral("/opt/pack a"));
    QVERIFY(open.arguments.isEmpty());
}

void TestWinExec::splitsUnquotedProgramWithBlanks() {
    const QString line =
        QStringLiteral("/opt/My Archiver/pack a -ep3 \"/b/docs 08_12_2025.rar\" @/l");
    const CommandLineParts p = splitCommandLine(line, filesAre({"/opt/My Archiver/pack"}));
    QCOMPARE(p.program, QStringLiteral("/opt/My Archiver/pack"));
    QVERIFY(p.found);
    QCOMPARE(p.arguments, (QStringList{"a", "-ep3", "/b/docs 08_12_2025.rar", "@/l"}));

    // Shortest first: an existing "/opt/My" file wins over the longer path.
    const CommandLineParts s =
        splitCommandLine(line, filesAre({"/opt/My", "/opt/My Archiver/pack"}));
    QCOMPARE(s.program, QStringLiteral("/opt/My"));
    QCOMPARE(s.arguments.first(), QStringLiteral("Archiver/pack"));

    // Only prefixes before the first quote are tried.
    const CommandLineParts q = splitCommandLine(QStringLiteral("/opt/pack \"a b\""),
                                                filesAre({"/opt/pack \"a", "/opt/pack \"a b\""}));
    QCOMPARE(q.program, QStringLiteral("/opt/pack"));
    QVERIFY(!q.found);
}

void TestWinExec::unfoundProgramIsLongestPrefixWithoutBlankInLastComponent() {
    const CommandLineParts p = splitCommandLine(
        QStringLiteral("/opt/My Archiver/pack a -ep3 \"/x/y z\" @/l"), filesAre({}));
    QCOMPARE(p.program, QStringLiteral("/opt/My Archiver/pack"));
    QCOMPARE(p.arguments, (QStringList{"a", "-ep3", "/x/y z", "@/l"}));

    const CommandLineParts bare = splitCommandLine(QStringLiteral("pack a b"), filesAre({}));
    QCOMPARE(bare.program, QStringLiteral("pack"));
    QCOMPARE(bare.arguments, (QStringList{"a", "b"}));
}

void TestWinExec::emptyAndBlankLines() {
    const CommandLineParts empty = splitCommandLine(QString(), filesAre({}));
    QVERIFY(empty.program.isEmpty());
    QVERIFY(empty.arguments.isEmpty());

    const CommandLineParts blanks = splitCommandLine(QStringLiteral("   \t "), filesAre({}));
    QVERIFY(blanks.program.isEmpty());
    QVERIFY(blanks.arguments.isEmpty());

    // An empty archive command: the line begins with a blank and the quoted archive path.
    const CommandLineParts noArchiver =
        splitCommandLine(QStringLiteral(" \"/b/a.rar\" @/p/Lists/1.txt"), filesAre({"/b/a.rar"}));
    QVERIFY(noArchiver.program.isEmpty());
    QCOMPARE(noArchiver.arguments, (QStringList{"/b/a.rar", "@/p/Lists/1.txt"}));
}

void TestWinExec::argumentsGroupByQuotes() {
    QCOMPARE(splitArguments(QStringLiteral("  a   b\tc ")), (QStringList{"a", "b", "c"}));
    QCOMPARE(splitArguments(QStringLiteral("\"a b\" c")), (QStringList{"a b", "c"}));
    QCOMPARE(splitArguments(QStringLiteral("x\"a b\"y")), (QStringList{"xa by"}));
    QCOMPARE(splitArguments(QStringLiteral("\"\" a")), (QStringList{"", "a"}));
    QCOMPARE(splitArguments(QStringLiteral("\"unclosed a b")), (QStringList{"unclosed a b"}));
    QCOMPARE(splitArguments(QStringLiteral("-IOFF \"/b/a b.rar\" @/p/Lists/1.txt")),
             (QStringList{"-IOFF", "/b/a b.rar", "@/p/Lists/1.txt"}));
}

void TestWinExec::missingFileInExistingFolderIs2() {
    kv::test::TempProgramFolder folder;
    QCOMPARE(WinExec(folder.file("nothing") + " a b", kSwShow), FileNotFound);
    QCOMPARE(WinExec("\"" + folder.file("no thing") + "\" a", kSwShow), FileNotFound);
    // A bare name that is nowhere, and an empty program.
    QCOMPARE(WinExec(QStringLiteral("kv-no-such-program-here a"), kSwShow), FileNotFound);
    QCOMPARE(WinExec(QStringLiteral(" \"/tmp/x.rar\" @/tmp/l.txt"), kSwShow), FileNotFound);
    QCOMPARE(WinExec(QString(), kSwShow), FileNotFound);
}

void TestWinExec::missingFolderIs3() {
    kv::test::TempProgramFolder folder;
    QCOMPARE(WinExec(folder.file("gone/pack") + " a", kSwShow), PathNotFound);
    QCOMPARE(WinExec(folder.file("My Archiver/pack") + " a -ep3 \"/b/x.rar\"", kSwShow),
             PathNotFound);
    QCOMPARE(WinExec(QStringLiteral("\"gone dir/pack\" a"), kSwShow), PathNotFound);
    // A "folder" that is a file.
    folder.write("plain", "x");
    QCOMPARE(WinExec(folder.file("plain/pack"), kSwShow), PathNotFound);
}

void TestWinExec::notRunnableIs11() {
    kv::test::TempProgramFolder folder;
    folder.write("data.txt", "just text\n");  // no execute permission
    QCOMPARE(WinExec(folder.file("data.txt") + " a", kSwShow), BadFormat);

    makeExecutable(folder.file("garbage"), QByteArray::fromHex("01020304") + " not a program");
    QCOMPARE(WinExec(folder.file("garbage") + " a", kSwShow), BadFormat);
    // Also from a program started without descriptors 0 to 2, where the pipe that reports the
    // failed exec lands among them.
    const QString garbage = folder.file("garbage") + " a";
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(0);
        ::close(1);
        ::close(2);
        ::_exit(WinExec(garbage, kSwShow) == BadFormat ? 0 : 1);
    }
    int status = 0;
    QCOMPARE(::waitpid(pid, &status, 0), pid);
    QVERIFY(WIFEXITED(status) && WEXITSTATUS(status) == 0);

    makeExecutable(folder.file("badinterp"), "#!/nonexistent/interpreter\n");
    QCOMPARE(WinExec(folder.file("badinterp"), kSwShow), BadFormat);

    QDir().mkpath(folder.file("adir"));
    QCOMPARE(WinExec("\"" + folder.file("adir") + "\" a", kSwShow), BadFormat);
    // Nothing of these may have left a child behind.
    QCOMPARE(::waitpid(-1, nullptr, WNOHANG), -1);
    QCOMPARE(errno, ECHILD);
}

void TestWinExec::startsProgramWithArgumentsInProgramFolder() {
    kv::test::TempProgramFolder folder;
    // The started program reports its folder, its parent and its arguments, and lives on for a
    // moment so that we can see it is not our child.
    makeExecutable(folder.file("report"),
                   "#!/bin/sh\n"
                   "{ pwd; echo \"ppid=$PPID\"; for a in \"$@\"; do echo \"[$a]\"; done; } "
                   "> out.tmp\n"
                   "echo END >> out.tmp\n"
                   "mv out.tmp out.txt\n"
                   "sleep 0.3\n");
    const QString line =
        folder.file("report") + " a -ep3 \"" + folder.path() + "docs 08_12_2025.rar\" @/p/L/1.txt";
    QCOMPARE(WinExec(line, kSwShow), Started);
    const QByteArray out = waitForFile(folder.file("out.txt"));
    QVERIFY2(!out.isEmpty(), "the program did not run");
    const QList<QByteArray> lines = out.split('\n');
    QCOMPARE(QDir(QString::fromUtf8(lines[0])).canonicalPath(),
             QDir(folder.path()).canonicalPath());
    // Our own child, followed to its end.
    QCOMPARE(lines[1], "ppid=" + QByteArray::number(::getpid()));
    QCOMPARE(lines[2], QByteArray("[a]"));
    QCOMPARE(lines[3], QByteArray("[-ep3]"));
    QCOMPARE(lines[4], (QStringLiteral("[") + folder.path() + "docs 08_12_2025.rar]").toUtf8());
    QCOMPARE(lines[5], QByteArray("[@/p/L/1.txt]"));
    // Reaped once it ended: no child of ours is left, running or zombie.
    QTRY_COMPARE_WITH_TIMEOUT(kv::programsRunning(), 0, 10000);
    QCOMPARE(::waitpid(-1, nullptr, WNOHANG), -1);
    QCOMPARE(errno, ECHILD);
}

void TestWinExec::startsUnquotedPathWithBlanksAndBareNameFromPath() {
    kv::test::TempProgramFolder folder;
    QDir().mkpath(folder.file("My Archiver"));
    makeExecutable(folder.file("My Archiver/pack"),
                   "#!/bin/sh\n{ echo \"$1|$2\"; echo END; } > \"$2.tmp\"; mv \"$2.tmp\" \"$2\"\n");
    QCOMPARE(WinExec(folder.file("My Archiver/pack") + " a " + folder.file("one"), kSwShow),
             Started);
    QCOMPARE(waitForFile(folder.file("one")),
             QByteArray("a|" + folder.file("one").toUtf8() + "\nEND\n"));
    // Relative to the program folder.
    QCOMPARE(WinExec("My Archiver/pack b " + folder.file("two"), kSwShow), Started);
    QVERIFY(!waitForFile(folder.file("two")).isEmpty());
    // A bare name along PATH.
    QCOMPARE(WinExec(QStringLiteral("true"), kSwShow), Started);
    QTRY_COMPARE_WITH_TIMEOUT(kv::programsRunning(), 0, 10000);
    QCOMPARE(::waitpid(-1, nullptr, WNOHANG), -1);
}

void TestWinExec::followsEveryChildToItsEnd_data() {
    QTest::addColumn<bool>("signalPipe");
    QTest::newRow("pidfd") << false;
    QTest::newRow("SIGCHLD pipe") << true;
}

void TestWinExec::followsEveryChildToItsEnd() {
    QFETCH(bool, signalPipe);
    kv::followThroughSignalPipe(signalPipe);
    auto restore = qScopeGuard([] { kv::followThroughSignalPipe(false); });
    kv::test::TempProgramFolder folder;
    // Each lives for a moment, so that all three run at once.
    makeExecutable(folder.file("chatty"),
                   "#!/bin/sh\nsleep 0.2\nhead -c 5000 /dev/zero | tr '\\0' x\n"
                   "echo; echo last >&2\nexit 3\n");
    makeExecutable(folder.file("killed"), "#!/bin/sh\nsleep 0.2\nkill -TERM $$\n");
    makeExecutable(folder.file("quiet"), "#!/bin/sh\nsleep 0.2\n");
    QMap<QString, kv::ProgramEnd> ends;
    for (const char* name : {"chatty", "killed", "quiet"}) {
        const auto kept =
            name == QLatin1String("chatty") ? kv::OutputKept::Whole : kv::OutputKept::Tail;
        QCOMPARE(WinExec(
                     folder.file(name), kSwShow,
                     [&ends, name](const kv::ProgramEnd& e) { ends.insert(name, e); }, kept),
                 Started);
    }
    QCOMPARE(kv::programsRunning(), 3);
    QTRY_COMPARE_WITH_TIMEOUT(ends.size(), 3, 10000);

    const kv::ProgramEnd chatty = ends["chatty"];
    QVERIFY(!chatty.signalled);
    QCOMPARE(chatty.code, 3);
    // Standard output and error in the order written, cut to the last bytes.
    QVERIFY(chatty.outputCut);
    QCOMPARE(chatty.outputTail.size(), kv::kOutputTailBytes);
    QVERIFY(chatty.outputTail.endsWith("xxx\nlast\n"));
    // Kept whole when the launch asks for it.
    QVERIFY(chatty.output && chatty.output->endsWith(chatty.outputTail));
    QCOMPARE(chatty.output->count('x'), 5000);
    QVERIFY(chatty.started.isValid() && chatty.ended >= chatty.started);

    QVERIFY(ends["killed"].signalled);
    QCOMPARE(ends["killed"].code, SIGTERM);

    QCOMPARE(ends["quiet"].code, 0);
    QVERIFY(ends["quiet"].outputTail.isEmpty() && !ends["quiet"].outputCut);
    QVERIFY(!ends["quiet"].output);

    QCOMPARE(kv::programsRunning(), 0);
    QCOMPARE(::waitpid(-1, nullptr, WNOHANG), -1);
    QCOMPARE(errno, ECHILD);
}

// Each piece is handed on as it is written, not at the end; the tail holds them all.
void TestWinExec::outputArrivesWhileTheProgramRuns() {
    kv::test::TempProgramFolder folder;
    makeExecutable(folder.file("slow"),
                   "#!/bin/sh\nprintf '  5%%'\nwhile [ ! -e go ]; do sleep 0.01; done\n"
                   "printf '\\b\\b\\b\\b 60%%\\n' >&2\n");
    QByteArray received;
    std::optional<kv::ProgramEnd> end;
    QCOMPARE(WinExec(
                 folder.file("slow"), kSwShow, [&end](const kv::ProgramEnd& e) { end = e; },
                 kv::OutputKept::Tail, [&received](QByteArrayView piece) { received += piece; }),
             Started);
    QTRY_COMPARE_WITH_TIMEOUT(received, QByteArray("  5%"), 10000);
    QVERIFY(!end);
    folder.write("go", {});
    QTRY_VERIFY_WITH_TIMEOUT(end.has_value(), 10000);
    QCOMPARE(received, QByteArray("  5%\b\b\b\b 60%\n"));
    QCOMPARE(end->outputTail, received);
}

void TestWinExec::hookReplacesLaunch() {
    QStringList seen;
    {
        kv::ScopedWinExecHook hook([&](const QString& line, int show) {
            seen << line + "|" + QString::number(show);
            return seen.size() == 1 ? PathNotFound : Started;
        });
        QCOMPARE(WinExec(QStringLiteral("/usr/bin/7zz a x"), kSwShow), PathNotFound);
        // A launch the hook lets start waits until the test ends it.
        kv::ProgramEnd got;
        QCOMPARE(WinExec(QStringLiteral("/usr/bin/7zz a y"), kSwShow,
                         [&](const kv::ProgramEnd& e) { got = e; }),
                 Started);
        QCOMPARE(hook.launchesWaiting(), 1);
        QCOMPARE(kv::programsRunning(), 1);
        kv::ProgramEnd end;
        end.code = 7;
        hook.endLaunch(end);
        QCOMPARE(got.code, 7);
        QVERIFY(got.started.isValid() && got.ended.isValid());
        QCOMPARE(kv::programsRunning(), 0);
    }
    QCOMPARE(seen, (QStringList{"/usr/bin/7zz a x|5", "/usr/bin/7zz a y|5"}));
    // Gone with the scope: the real launch answers again.
    QCOMPARE(WinExec(QStringLiteral("/nonexistent-dir/x"), kSwShow), PathNotFound);
}

QTEST_GUILESS_MAIN(TestWinExec)
#include "tst_winexec.moc"
