#include <QCheckBox>
#include <QComboBox>
#include <QPlainTextEdit>
#include <QTableView>
#include <QTest>

#include "archiving/tform6.h"
#include "support/tempprogramfolder.h"

using namespace kv;

namespace {

// The days on which the shown runs started, in the list's order.
QList<int> days(const TForm6& form) {
    QList<int> out;
    for (const RunRecord& run : form.shownRuns()) {
        out << run.started.date().day();
    }
    return out;
}

}  // namespace

class TestTForm6 : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // The runs of runs.log.1 and runs.log, newest first; by task and failures only on request;
    // the output of a run that was not confirmed below the list while its row is selected.
    void ordersAndFilters() {
        test::TempProgramFolder folder;
        folder.write("runs.log.1",
                     "2025-12-01 09:00:00\t2025-12-01 09:01:00\tbackup\tdocs\t/b/d.7z\texit "
                     "0\t10\tok\t-\t-\n"
                     "2025-12-02 09:00:00\t2025-12-02 09:01:00\tbackup\tmail\t/b/m.7z\texit "
                     "2\t-\tfailed\tstatus\t-\n"
                     "    | ERROR: disk full\n");
        folder.write("runs.log",
                     "2025-12-03 09:00:00\t2025-12-03 09:01:00\tbackup\tdocs\t/b/d.7z\texit "
                     "1\t10\twarning\tstatus\t-\n"
                     "    | WARNING: skipped\n"
                     "2025-12-04 09:00:00\t2025-12-04 09:01:00\tbackup\tmail\t/b/m.7z\texit "
                     "0\t10\tok\t-\t-\n");
        const MainWindowTexts texts = mainWindowTexts();

        TForm6 all(texts);
        QCOMPARE(days(all), (QList<int>{4, 3, 2, 1}));
        QVERIFY(all.ui.Memo1->toPlainText().isEmpty());
        all.ui.CheckBox1->setChecked(true);
        QCOMPARE(days(all), (QList<int>{3, 2}));
        QCOMPARE(all.ui.Memo1->toPlainText(), QString("WARNING: skipped"));
        all.ui.ListView1->selectRow(1);
        QCOMPARE(all.ui.Memo1->toPlainText(), QString("ERROR: disk full"));

        TForm6 docs(texts, "docs");
        QCOMPARE(days(docs), (QList<int>{3, 1}));
        docs.ui.ListView1->selectRow(1);
        QVERIFY(docs.ui.Memo1->toPlainText().isEmpty());
        docs.ui.ComboBox1->setCurrentIndex(0);
        docs.ComboBox1Change();
        QCOMPARE(days(docs), (QList<int>{4, 3, 2, 1}));
    }

    // The archive's test as runs.log keeps it: passed with its time, failed with its status,
    // an archiver without a test, and no test at all (a line of an older version).
    void showsTheArchivesTest() {
        test::TempProgramFolder folder;
        const QString head = "2025-12-0%1 09:00:00\t2025-12-0%1 09:01:00\tbackup\tdocs\t/b/d.7z\t";
        folder.write("runs.log", (head.arg(1) + "exit 0\t10\tok\t-\t-\n" + head.arg(2) +
                                  "exit 0\t10\tok\t-\t-\tnot tested\t-\n" + head.arg(3) +
                                  "exit 0\t10\tfailed\ttest-failed\t-\texit 2\t1500\n" +
                                  head.arg(4) + "exit 0\t10\tok\t-\t-\texit 0\t61000\n")
                                     .toUtf8());
        TForm6 form(mainWindowTexts());
        const Form6Texts& t = form.texts();
        QStringList shown;
        for (int row = 0; row < 4; ++row) {
            shown << form.ui.ListView1->model()->index(row, 7).data().toString();
        }
        QCOMPARE(shown,
                 (QStringList{t.text(Form6Text::ct11).arg("1:01"), t.text(Form6Text::ct12).arg(2),
                              t.text(Form6Text::ct14), QString()}));
    }
};

QTEST_MAIN(TestTForm6)
#include "tst_tform6.moc"
