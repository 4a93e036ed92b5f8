#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QProcess>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>
#include <ctime>

#include "archiving/runhistory.h"
#include "archiving/runsinprogress.h"
#include "archiving/tform7.h"
#include "support/launchrecorder.h"
#include "support/recordingobserver.h"
#include "support/scripteddialogs.h"
#include "support/scriptedmessageboxes.h"
#include "support/sevenzip.h"
#include "support/tempprogramfolder.h"
#include "widgets/radiogroup.h"

using namespace kv;
using kv::test::k7zz;

namespace {

constexpr int kRunTimeout = 60000;

// This thread's processor time in milliseconds: what work here costs, however busy the machine.
qint64 threadCpuMs() {
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return qint64(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

// A program folder with files to archive under data/, the archive made of them, and the window
// on it once opened.
struct Fixture {
    test::TempProgramFolder folder;
    test::ScriptedMessageBoxes boxes;
    test::ScriptedDialogs dialogs;
    test::RecordingObserver observer;
    const QString data = folder.file("data");
    std::unique_ptr<TForm7> form;
    qsizetype runsCounted = 0;  // the runs in progress while the last restore ran

    // Makes the archive `name` of data/`of` and opens it; true when its tree has been read.
    bool open(const QString& name, const QString& of, const QStringList& switches = {}) {
        const QString archive = folder.file(name);
        if (!(switches.isEmpty() ? test::makeArchive(archive, {data + u'/' + of})
                                 : test::makeArchive(archive, {data + u'/' + of}, switches))) {
            return false;
        }
        return openArchive(archive);
    }
    bool openArchive(const QString& archive) {
        form = std::make_unique<TForm7>(archive, k7zz, QStringLiteral("docs"));
        form->show();
        return waitForEnd() && form->tree();
    }
    bool waitForEnd() const {
        QElapsedTimer t;
        t.start();
        while (form->busy() && t.elapsed() < kRunTimeout) {
            QTest::qWait(10);
        }
        return !form->busy();
    }

    // The node of the archive path `path`; -1 when there is none.
    int node(const QString& path) const {
        for (int i = 0; i < form->tree()->size(); ++i) {
            if (form->tree()->node(i).path == path) {
                return i;
            }
        }
        return -1;
    }
    void tick(const QString& relative) const {
        form->itemOf(node(data + u'/' + relative))->setCheckState(0, Qt::Checked);
    }
    void toFolder(const QString& target) {
        dialogs.answer(target);
        form->ui.RadioGroup1->setItemIndex(1);
        form->RadioGroup1Click(1);
    }
    // Presses "Восстановить" and, when the window asks about differing files, answers `answer`
    // (an item of RadioGroup2); true when a restore ran and ended well.
    bool restore(int answer = -1) {
        form->BitBtn1Click();
        if (answer >= 0) {
            if (!form->ui.GroupBox1->isVisible()) {
                return false;
            }
            form->ui.RadioGroup2->setItemIndex(answer);
            form->BitBtn3Click();
        }
        runsCounted = runsInProgress().size();
        if (!form->busy() || !waitForEnd()) {
            return false;
        }
        const QList<RunRecord> runs = readRunHistory();
        return !runs.isEmpty() && runs.last().kind == RunKind::Restore &&
               runs.last().outcome.result == RunResult::Confirmed;
    }
    QByteArray read(const QString& relative) const { return folder.read("data/" + relative); }
    void write(const QString& relative, const QByteArray& bytes) const {
        folder.write("data/" + relative, bytes);
    }
    QStringList differingShown() const {
        QStringList out;
        for (int i = 0; i < form->ui.ListBox1->count(); ++i) {
            out << form->ui.ListBox1->item(i)->text();
        }
        return out;
    }
};

QStringList childNames(const ArchiveTree& tree, int index) {
    QStringList out;
    for (const int c : tree.node(index).children) {
        out << tree.node(c).name;
    }
    return out;
}

}  // namespace

class TestTForm7 : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void showsTheTree_data();
    void showsTheTree();
    void restoresOneFileToItsPlace();
    void restoresAFolderIntoAnotherFolder();
    void asksAboutFilesThatDiffer();
    void failuresChangeNothing();
    void tenThousandEntriesInTime();
};

void TestTForm7::initTestCase() {
    QVERIFY2(QFileInfo(k7zz).isExecutable(), "7-Zip (Debian package 7zip) is needed");
}

void TestTForm7::showsTheTree_data() {
    QTest::addColumn<QString>("archive");
    QTest::newRow("7z") << "docs.7z";
    QTest::newRow("zip") << "docs.zip";
    QTest::newRow("tar") << "docs.tar";
}

void TestTForm7::showsTheTree() {
    QFETCH(QString, archive);
    Fixture f;
    f.write("docs/a.txt", "a");
    f.write("docs/ lead.txt", "blank first");
    f.write("docs/sub/Отчёт.txt", "отчёт");
    f.write("docs/sub/deeper/z.txt", "z");
    QDir().mkpath(f.data + "/docs/empty");
    QVERIFY(f.open(archive, "docs"));

    const ArchiveTree& tree = *f.form->tree();
    const int docs = f.node(f.data + "/docs");
    QVERIFY(docs >= 0);
    // Folders first, then files, each by name; the names as the archive keeps them.
    QCOMPARE(childNames(tree, docs), QStringList({"empty", "sub", " lead.txt", "a.txt"}));
    QCOMPARE(childNames(tree, f.node(f.data + "/docs/sub")), QStringList({"deeper", "Отчёт.txt"}));
    const ArchiveTree::Node& empty = tree.node(f.node(f.data + "/docs/empty"));
    QVERIFY(empty.folder && empty.children.isEmpty());
    QCOMPARE(tree.node(f.node(f.data + "/docs/ lead.txt")).size, 11);
    QCOMPARE(tree.files(), 4);
    // The path above the archived folder opens by itself, down to where it branches.
    QVERIFY(f.form->itemOf(docs)->isExpanded());
    QVERIFY(!f.form->itemOf(f.node(f.data + "/docs/sub"))->isExpanded());
    QCOMPARE(f.form->ui.TreeView1->topLevelItemCount(), 1);
    QVERIFY(f.form->ui.BitBtn1->isEnabled());
}

void TestTForm7::restoresOneFileToItsPlace() {
    Fixture f;
    for (const char* name : {"a.txt", "b.txt", "c.txt"}) {
        f.write(QStringLiteral("three/") + name, QByteArray("archived ") + name);
    }
    QVERIFY(f.open("three.7z", "three"));
    // b is lost; a and c have changed since.
    QFile::remove(f.data + "/three/b.txt");
    f.write("three/a.txt", "newer a");
    f.write("three/c.txt", "newer c");
    const auto before = test::snapshot(f.data);

    f.tick("three/b.txt");
    QVERIFY(f.restore());
    QCOMPARE(f.runsCounted, 1);
    QVERIFY(runsInProgress().isEmpty());
    QCOMPARE(f.read("three/b.txt"), QByteArray("archived b.txt"));
    auto after = test::snapshot(f.data);
    after.remove("three/b.txt");
    QCOMPARE(after, before);
    QVERIFY(f.observer.told.isEmpty());
}

void TestTForm7::restoresAFolderIntoAnotherFolder() {
    Fixture f;
    f.write("docs/sub/Отчёт.txt", "отчёт");
    f.write("docs/other.txt", "other");
    QVERIFY(f.open("docs.7z", "docs"));
    const QString target = f.folder.file("target");
    QDir().mkpath(target);

    f.tick("docs/sub");
    f.toFolder(target);
    QVERIFY(f.restore());
    // Under its path in the archive, made relative; nothing else.
    const QString inside = f.data.mid(1) + "/docs/sub/Отчёт.txt";
    QCOMPARE(test::snapshot(target).keys(), QStringList{inside});
    QCOMPARE(test::snapshot(target).value(inside), QByteArray("отчёт"));

    // A second time, over a file changed there: never without the question.
    f.folder.write("target/" + inside, "changed");
    f.form->BitBtn1Click();
    QVERIFY(f.form->ui.GroupBox1->isVisible());
    QCOMPARE(f.differingShown(), QStringList{target + u'/' + inside});
    f.form->BitBtn4Click();
    QVERIFY(!f.form->ui.GroupBox1->isVisible() && !f.form->busy());
    QCOMPARE(test::snapshot(target).value(inside), QByteArray("changed"));
}

void TestTForm7::asksAboutFilesThatDiffer() {
    Fixture f;
    f.write("docs/x.txt", "archived x");
    f.write("docs/same.txt", "same");
    QVERIFY(f.open("docs.7z", "docs"));
    const QString x = f.data + "/docs/x.txt";

    // Keep both, the default: the file there takes a new name, the archive's copy its own. The
    // file that equals its copy is not asked about and gets no second copy.
    f.write("docs/x.txt", "newer x");
    f.tick("docs");
    f.form->BitBtn1Click();
    QCOMPARE(f.differingShown(), QStringList{x});
    QCOMPARE(f.form->ui.RadioGroup2->itemIndex(), 0);
    f.form->BitBtn3Click();
    QVERIFY(f.waitForEnd());
    QCOMPARE(f.read("docs/x.txt"), QByteArray("archived x"));
    auto files = test::snapshot(f.data + "/docs");
    QCOMPARE(files.size(), 3);
    files.remove("x.txt");
    files.remove("same.txt");
    QCOMPARE(files.first(), QByteArray("newer x"));
    QFile::remove(f.data + "/docs/" + files.firstKey());

    // Replace: only after a confirmation that names the number of files.
    f.write("docs/x.txt", "newer x");
    f.boxes.answer(MbResult::No);
    f.form->BitBtn1Click();
    f.form->ui.RadioGroup2->setItemIndex(1);
    f.form->BitBtn3Click();
    QCOMPARE(f.boxes.texts().last(), f.form->texts().text(Form7Text::cm6).arg(1));
    QVERIFY(!f.form->busy() && f.form->ui.GroupBox1->isVisible());
    f.boxes.answer(MbResult::Yes);
    f.form->BitBtn3Click();
    QVERIFY(f.waitForEnd());
    QCOMPARE(f.read("docs/x.txt"), QByteArray("archived x"));

    // Skip: the file there stays as it is.
    f.write("docs/x.txt", "newer x");
    QVERIFY(f.restore(2));
    QCOMPARE(f.read("docs/x.txt"), QByteArray("newer x"));
    QCOMPARE(test::snapshot(f.data + "/docs").size(), 2);
}

void TestTForm7::failuresChangeNothing() {
    Fixture f;
    f.write("docs/a.txt", "a");
    QVERIFY(test::makeArchive(f.folder.file("good.7z"), {f.data + "/docs"}));
    QFile good(f.folder.file("good.7z"));
    QVERIFY(good.open(QIODevice::ReadOnly));
    f.folder.write("cut.7z", good.read(good.size() / 2));

    // A damaged archive: 7-Zip's message, and nothing to restore.
    QVERIFY(!f.openArchive(f.folder.file("cut.7z")));
    QVERIFY(f.form->ui.Label2->text().startsWith(f.form->texts().text(Form7Text::cm3)));
    QVERIFY(f.form->ui.Label2->text().contains("ERROR"));
    QVERIFY(!f.form->ui.BitBtn1->isEnabled());
    QVERIFY(readRunHistory().isEmpty());

    // A password nobody can type: 7-Zip says it is wrong at once, for encrypted names when
    // listing, for encrypted contents when restoring (over a file there, which stays).
    const QStringList password = {"-spf", "-mx1", "-psecret"};
    QVERIFY(!f.open("names.7z", "docs", password + QStringList{"-mhe=on"}));
    QVERIFY(f.form->ui.Label2->text().contains("Wrong password"));
    QVERIFY(f.open("contents.7z", "docs", password));
    f.write("docs/a.txt", "newer a");
    f.tick("docs/a.txt");
    f.boxes.answer(MbResult::Yes);
    QVERIFY(!f.restore(1 /* replace */));
    QVERIFY(f.form->ui.Label2->text().contains("Wrong password"));
    QCOMPARE(f.read("docs/a.txt"), QByteArray("newer a"));

    // A restore that fails (the archive went meanwhile) is logged and told like every run.
    QVERIFY(f.openArchive(f.folder.file("good.7z")));
    QFile::remove(f.folder.file("good.7z"));
    QFile::remove(f.data + "/docs/a.txt");
    f.tick("docs/a.txt");
    QVERIFY(!f.restore());
    QCOMPARE(readRunHistory().last().outcome.result, RunResult::Failed);
    QCOMPARE(f.observer.told.size(), 2);
    QVERIFY(f.form->ui.Label2->text().startsWith(f.form->texts().text(Form7Text::cm13)));
}

void TestTForm7::tenThousandEntriesInTime() {
    Fixture f;
    for (int d = 0; d < 100; ++d) {
        for (int i = 0; i < 100; ++i) {
            f.write(QStringLiteral("many/%1/%2.txt").arg(d).arg(i), "x");
        }
    }
    QVERIFY(test::makeArchive(f.folder.file("many.7z"), {f.data + "/many"}));

    QElapsedTimer total;
    total.start();
    QVERIFY(f.openArchive(f.folder.file("many.7z")));
    const qint64 totalMs = total.elapsed();
    QCOMPARE(f.form->tree()->files(), 10000);

    // Ours alone: the listing handed over as 7-Zip gave it, read and put into the tree.
    QProcess sevenZip;
    sevenZip.start(k7zz, {"l", "-slt", "-sccUTF-8", f.folder.file("many.7z")});
    QVERIFY(sevenZip.waitForFinished(kRunTimeout));
    ProgramEnd end;
    end.output = sevenZip.readAllStandardOutput();
    test::LaunchRecorder launches;
    TForm7 hooked(f.folder.file("many.7z"), k7zz, QStringLiteral("docs"));
    hooked.show();
    const qint64 oursFrom = threadCpuMs();
    launches.hook().endLaunch(end);
    const qint64 oursMs = threadCpuMs() - oursFrom;
    QCOMPARE(hooked.tree()->files(), 10000);

    qInfo("10,000 entries: %lld ms in all (budget 2000), %lld ms ours (budget 500)", totalMs,
          oursMs);
#if defined(NDEBUG)
    // Optimised builds only: the sanitised debug build is several times slower.
    QVERIFY(totalMs < 2000);
    QVERIFY(oursMs < 500);
#endif
}

QTEST_MAIN(TestTForm7)
#include "tst_tform7.moc"
