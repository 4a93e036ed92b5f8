#include <QFile>
#include <QTest>
#include <algorithm>

#include "archiving/archiverprogress.h"

using namespace kv;

class TestArchiverProgress : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // What 7-Zip wrote with -bsp1 (updates erased by backspaces) gives the same percents however
    // it is cut; carriage returns end updates too; other output gives none.
    void followsSevenZipOutputCutAnywhere() {
        QFile file(QFINDTESTDATA("data/7zip-progress.txt"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        const QByteArrayView recorded(bytes);

        ArchiverProgress bytewise;
        QList<int> changes;
        QList<int> afterByte;
        for (qsizetype i = 0; i < recorded.size(); ++i) {
            if (bytewise.feed(recorded.sliced(i, 1))) {
                changes << bytewise.percent();
            }
            afterByte << bytewise.percent();
        }
        QVERIFY(changes.size() > 10);
        QCOMPARE(changes.first(), 0);
        QCOMPARE(changes.last(), 99);
        QVERIFY(std::is_sorted(changes.cbegin(), changes.cend()));
        for (qsizetype cut = 1; cut < recorded.size(); ++cut) {
            ArchiverProgress progress;
            progress.feed(recorded.first(cut));
            QCOMPARE(progress.percent(), afterByte[cut - 1]);
            progress.feed(recorded.sliced(cut));
            QCOMPARE(progress.percent(), changes.last());
        }

        ArchiverProgress returns;
        QVERIFY(returns.feed("  7%\r 1") && returns.percent() == 7);
        QVERIFY(returns.feed("2% + a\r\n") && returns.percent() == 12);
        ArchiverProgress other;
        QVERIFY(!other.feed("Scanning\n  0M Scan\r100 files\n 4 %\n 101%\n"));
        QCOMPARE(other.percent(), -1);
    }
};

QTEST_GUILESS_MAIN(TestArchiverProgress)
#include "tst_archiverprogress.moc"
