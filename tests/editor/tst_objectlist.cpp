#include <QDir>
#include <QTest>

#include "editor/form2texts.h"
#include "editor/objectlist.h"
#include "store/layouts.h"
#include "support/tablefolder.h"

using namespace kv;

namespace {

const QString kWorking = QStringLiteral("Новая задача");

// Path, Path1, Name1, Size and TipFile1 of every row.
QList<QStringList> rows(const Table& t) {
    QList<QStringList> out;
    for (int i = 0; i < t.recordCount(); ++i) {
        QStringList row;
        for (const Field<QString>* f :
             {&ObjectField::Path, &ObjectField::Path1, &ObjectField::Name1, &ObjectField::Size}) {
            row << t.peekString(i, t.fieldIndex(*f));
        }
        row << QString::number(t.peekInt(i, t.fieldIndex(ObjectField::TipFile1)));
        out << row;
    }
    return out;
}

struct Fixture {
    test::TableFolder folder;
    Table working{kWorkingObjectsFile};
    WorkingList list{working};

    Fixture() {
        working.open();
        folder.write(QStringLiteral("data/b.txt"), "12345");
        folder.write(QStringLiteral("data/a.txt"), "123");
        folder.write(QStringLiteral("data/.hidden"), "1234567");
        QDir().mkpath(folder.file(QStringLiteral("data/sub")));
    }
    QString data() const { return folder.file(QStringLiteral("data/")); }
};

}  // namespace

class TestObjectList : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void classifiesRootsFoldersFilesMasksAndMissingPaths() {
        Fixture fx;
        const QString d = fx.data();
        for (const QString& path : {QStringLiteral("/"), d + "sub", d + "b.txt", d + "?.txt",
                                    d + ".h*", d + "none*", d + "gone.txt"}) {
            QCOMPARE(AddObjectPath(fx.list, kWorking, path).result, AddResult::Added);
        }
        const QList<QStringList> expected = {
            {"/", "/", "", kSizeDrive, "2"},
            {d + "sub", d, "sub", kSizeFolder, "1"},
            {d + "b.txt", d, "b.txt", "5", "2"},
            {d + "?.txt", d, "?.txt", "3", "2"},  // the first match by name: a.txt
            {d + ".h*", d, ".h*", "7", "2"},      // hidden entries match
            {d + "none*", d, "none*", kSizeMissing, "2"},
            {d + "gone.txt", d, "gone.txt", kSizeMissing, "2"},
        };
        QCOMPARE(rows(fx.working), expected);
        QCOMPARE(fx.working.peekString(0, fx.working.fieldIndex(ObjectField::Name)), kWorking);
    }

    void addsAPathOnceUntilItsRowIsGone() {
        Fixture fx;
        const QString file = fx.data() + "a.txt";
        QCOMPARE(AddObjectPath(fx.list, kWorking, file).result, AddResult::Added);
        QCOMPARE(AddObjectPath(fx.list, kWorking, fx.data() + "b.txt").result, AddResult::Added);
        QCOMPARE(AddObjectPath(fx.list, kWorking, file).result, AddResult::AlreadyListed);
        // Another working name or another case is another object.
        QCOMPARE(AddObjectPath(fx.list, QStringLiteral("X"), file).result, AddResult::Added);
        QCOMPARE(AddObjectPath(fx.list, kWorking, fx.data() + "A.txt").result, AddResult::Added);
        QCOMPARE(fx.working.recordCount(), 4);

        // A row the window deletes, even while the views are suspended, can be added again.
        ControlsDisabled quiet(fx.working);
        fx.working.first();
        fx.working.deleteRecord();
        QCOMPARE(AddObjectPath(fx.list, kWorking, file).result, AddResult::Added);
    }

    // Paths that the tables cannot hold, or that the archiver would read from the list file as
    // another path (it drops blanks and tabs at both ends of a line).
    void refusesPathsTheListCannotHold() {
        Fixture fx;
        const EditorTexts texts = editorTexts();
        const QString tooLong = fx.data() + QString(256, u'x');
        const QString fullWidth = fx.data() + QString(254 - fx.data().size(), u'ж') + u' ';
        const QList<QPair<QString, PathRefusal>> cases = {
            {fx.data() + "日本.txt", PathRefusal::NotRepresentable},
            {tooLong, PathRefusal::TooLong},
            {fx.data() + "two\nlines", PathRefusal::LineBreak},
            {fx.data() + "report ", PathRefusal::BlankAtEnd},
            {fx.data() + "sub\t", PathRefusal::BlankAtEnd},
            {u' ' + fx.data(), PathRefusal::BlankAtEnd},
            {fullWidth, PathRefusal::BlankAtEnd},
        };
        for (const auto& [path, why] : cases) {
            const AddOutcome outcome = AddObjectPath(fx.list, kWorking, path);
            QCOMPARE(outcome.result, AddResult::Refused);
            QCOMPARE(outcome.refusal, why);
            const QString message = pathRefusalText(texts, path, why);
            QVERIFY2(message.contains(path), qPrintable(message));
        }
        // Cyrillic is what the tables hold; 255 characters fit.
        const QString fits = fx.data() + QString(255 - fx.data().size(), u'ж');
        QCOMPARE(AddObjectPath(fx.list, kWorking, fits).result, AddResult::Added);
        QCOMPARE(fx.working.recordCount(), 1);
    }

    void loadsAStoredTaskClassifiedAfresh() {
        Fixture fx;
        Table objects(kObjectsFile);
        objects.open();
        const QString d = fx.data();
        for (const auto& [name, path] : QList<QPair<QString, QString>>{
                 {"T", d + "b.txt"}, {"U", d + "a.txt"}, {"t", d}, {"T", d + "sub"}}) {
            test::appendRow(objects, {{ObjectField::Name, name},
                                      {ObjectField::Path, path},
                                      {ObjectField::Size, "stale"}});
        }
        AddObjectPath(fx.list, kWorking, d + "a.txt");  // left from an earlier opening
        QVERIFY(LoadWorkingList(fx.list, objects, QStringLiteral("T")).isEmpty());
        const QList<QStringList> expected = {
            {d + "b.txt", d, "b.txt", "5", "2"},
            {d + "sub", d, "sub", kSizeFolder, "1"},
        };
        QCOMPARE(rows(fx.working), expected);
    }
};

QTEST_GUILESS_MAIN(TestObjectList)
#include "tst_objectlist.moc"
