#include <QtTest>

#include "platform/datetimetext.h"

using namespace kv;

class TestDateTimeText : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void cleanup() {
        qunsetenv("LC_ALL");
        setDateSeparator({});
        resetLocaleFormats();
    }

    // The C locale's own short date names the month and holds no separator to replace.
    void theCLocaleGetsANumericShortDate() {
        for (const char* locale : {"C.UTF-8", "POSIX"}) {
            qputenv("LC_ALL", locale);
            resetLocaleFormats();
            setDateSeparator(QStringLiteral("."));
            QCOMPARE(shortDateText(QDate(2026, 12, 9)), QStringLiteral("09.12.2026"));
        }
    }
};

QTEST_GUILESS_MAIN(TestDateTimeText)
#include "tst_datetimetext.moc"
