// The data grid: its hold on a table and marks it does not own, its hint, and what it repaints
// when the table resumes its views.
#include <QHelpEvent>
#include <QSignalSpy>
#include <QTest>
#include <QToolTip>
#include <memory>

#include "store/checkmarks.h"
#include "store/layouts.h"
#include "support/tablefolder.h"
#include "widgets/dbgrid.h"

using namespace kv;

namespace {

const QList<DBGrid::Column> kColumns = {{QString(), QString(), 26},
                                        {TaskField::Name.name(), TaskField::Name.name(), 100},
                                        {TaskField::Opis.name(), TaskField::Opis.name(), 100}};

struct Fixture {
    test::TableFolder folder;
    std::unique_ptr<Table> table;
    std::unique_ptr<CheckMarks> marks = std::make_unique<CheckMarks>();
    DBGrid grid;

    explicit Fixture(int rows) {
        table = std::make_unique<Table>(kTasksFile);
        table->open();
        for (int i = 0; i < rows; ++i) {
            test::appendRow(*table, {{TaskField::Name, QStringLiteral("t%1").arg(i)}});
        }
        marks->resize(rows);
        grid.bind(table.get(), marks.get(), kColumns);
        grid.resize(400, 300);
        grid.show();
        QVERIFY(QTest::qWaitForWindowExposed(&grid));
    }
};

}  // namespace

class TestDBGrid : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // The main window's state, tables and marks included, dies before its controls.
    void outlivesTheTableAndTheMarks() {
        Fixture f(3);
        f.marks.reset();
        f.table.reset();
        QVERIFY(!f.grid.table());
        QCOMPARE(f.grid.model()->rowCount(), 0);
        f.grid.repaint();
    }

    void cellsShowTheGridsHint() {
        Fixture f(1);
        f.grid.setToolTip(QStringLiteral("hint"));
        const QPoint cell = f.grid.visualRect(f.grid.model()->index(0, 1)).center();
        QHelpEvent event(QEvent::ToolTip, cell, f.grid.viewport()->mapToGlobal(cell));
        QApplication::sendEvent(f.grid.viewport(), &event);
        QCOMPARE(QToolTip::text(), QStringLiteral("hint"));
    }

    // A reread that changed nothing repaints nothing; a changed row repaints its changed cells;
    // rows that came or went reload the grid.
    void resumingRepaintsOnlyWhatChanged() {
        Fixture f(3);
        QSignalSpy changed(f.grid.model(), &QAbstractItemModel::dataChanged);
        QSignalSpy reloaded(f.grid.model(), &QAbstractItemModel::modelReset);
        {
            ControlsDisabled suspended(*f.table);
            f.table->close();
            f.table->open();
        }
        QCOMPARE(changed.count() + reloaded.count(), 0);

        {
            ControlsDisabled suspended(*f.table);
            f.table->moveTo(1);
            f.table->edit();
            f.table->setString(TaskField::Opis, QStringLiteral("new"));
            f.table->post();
        }
        QCOMPARE(changed.count(), 1);
        QCOMPARE(changed[0][0].toModelIndex(), f.grid.model()->index(1, 2));
        QCOMPARE(f.grid.cellText(1, 2), QStringLiteral("new"));

        {
            ControlsDisabled suspended(*f.table);
            test::appendRow(*f.table, {{TaskField::Name, "t3"}});
        }
        QCOMPARE(reloaded.count(), 1);
        QCOMPARE(f.grid.model()->rowCount(), 4);
        QCOMPARE(f.grid.currentIndex().row(), 3);
    }
};

QTEST_MAIN(TestDBGrid)
#include "tst_dbgrid.moc"
