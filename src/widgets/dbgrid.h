#pragma once

#include <QAbstractTableModel>
#include <QColor>
#include <QHash>
#include <QList>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QTableView>
#include <functional>
#include <utility>

#include "store/checkmarks.h"
#include "store/table.h"

namespace kv {

// A data grid bound to a table cursor: one row per live row of the table, the selected row is
// the table's current row. An optional first column of check boxes is not bound to any field:
// its marks live in a CheckMarks object and a click toggles them. Further columns may show what
// no field holds: their cells are asked of a function of the row.
//
// The grid does not own the table or the marks: it holds them weakly, so it may outlive either.
// When the table resumes its views with as many rows as before, the grid repaints only the cells
// on screen whose text changed; rows out of view are read from the table when they scroll in.
class DBGrid : public QTableView {
    Q_OBJECT
public:
    // A cell that no field holds: its text, its tool tip (none: the grid's hint) and the colour
    // of its text (invalid: the usual one).
    struct CellLook {
        QString text;
        QString toolTip;
        QColor color;
    };

    struct Column {
        QString field;  // empty: the unbound check-box column, unless `look` is set
        QString title;
        int width = 100;
        std::function<CellLook(int row)> look = {};  // the cells of a column without a field

        bool isCheckColumn() const { return field.isEmpty() && !look; }
    };

    explicit DBGrid(QWidget* parent = nullptr);

    // Binds the grid. `marks` may be null when there is no check column; a null `table` leaves
    // the grid empty.
    void bind(Table* table, CheckMarks* marks, const QList<Column>& columns);

    Table* table() const { return table_; }
    const QList<Column>& columns() const { return columns_; }
    int columnCount() const { return columns_.size(); }
    QString columnTitle(int column) const;
    void setColumnTitle(int column, const QString& title);

    void setCheckColumnVisible(bool visible);
    bool checkColumnVisible() const;

    // Whether a double click on a check box opens its row rather than toggling the mark: the
    // mark that the double click's first click toggled is then put back, with a cellClicked()
    // of its own, before rowDoubleClicked(). Off by default: a double click toggles once.
    void setDoubleClickKeepsMark(bool keeps) { doubleClickKeepsMark_ = keeps; }

    // The text shown in a cell (tests read the grid as the user sees it).
    QString cellText(int row, int column) const;
    // The cell as it is shown, texts and colour.
    CellLook cellLook(int row, int column) const;

    // Repaints the cells on screen whose texts have changed: for columns whose cells change
    // without the table (those with a `look`).
    void refreshCells();

Q_SIGNALS:
    // A click in a cell, after a check-box cell has toggled its mark.
    void cellClicked(int column, int row);
    void rowDoubleClicked(int row);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    class Model;
    void followCursor(int position);
    void onCurrentRowChanged(const QModelIndex& current);
    // Rows came or went, or the table was reopened: a full reload when the number of rows
    // changed, else only the changed cells on screen.
    void onTableReset();
    void reload();
    // Compares the texts of the rows on screen within [first, last] with those last shown and
    // repaints the cells that differ.
    void repaintChangedCells(int first, int last);
    QStringList rowTexts(int row) const;
    // The first check-box column, -1 when there is none.
    int checkColumn() const;
    // The rows on screen, or first > last when none.
    std::pair<int, int> rowsOnScreen() const;

    Model* model_ = nullptr;
    QPointer<Table> table_;
    QPointer<CheckMarks> marks_;
    QList<Column> columns_;
    bool following_ = false;
    bool doubleClickKeepsMark_ = false;
    int toggledByPress_ = -1;  // the row whose mark the last press toggled, -1 none
    bool inDoubleClick_ = false;
    // The texts of rows on screen as last painted, or as last told to the view.
    QHash<int, QStringList> shown_;
};

}  // namespace kv
