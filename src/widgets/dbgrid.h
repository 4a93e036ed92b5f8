#pragma once

#include <QAbstractTableModel>
#include <QList>
#include <QString>
#include <QTableView>

namespace kv {

class Table;
class CheckMarks;

// A data grid bound to a table cursor: one row per live row of the table, the selected row is
// the table's current row. An optional first column of check boxes is not bound to any field:
// its marks live in a CheckMarks object and a click toggles them.
class DBGrid : public QTableView {
    Q_OBJECT
public:
    struct Column {
        QString field;  // empty: the unbound check-box column
        QString title;
        int width = 100;
    };

    explicit DBGrid(QWidget* parent = nullptr);

    // Binds the grid. `marks` may be null when there is no check column.
    void bind(Table* table, CheckMarks* marks, const QList<Column>& columns);

    Table* table() const { return table_; }
    const QList<Column>& columns() const { return columns_; }
    int columnCount() const { return columns_.size(); }
    QString columnTitle(int column) const;
    void setColumnTitle(int column, const QString& title);

    void setCheckColumnVisible(bool visible);
    bool checkColumnVisible() const;

    // The text shown in a cell (tests read the grid as the user sees it).
    QString cellText(int row, int column) const;

Q_SIGNALS:
    // A click in a cell, after a check-box cell has toggled its mark.
    void cellClicked(int column, int row);
    void rowDoubleClicked(int row);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    class Model;
    void followCursor(int position);
    void onCurrentRowChanged(const QModelIndex& current);

    Model* model_ = nullptr;
    Table* table_ = nullptr;
    CheckMarks* marks_ = nullptr;
    QList<Column> columns_;
    bool following_ = false;
};

}  // namespace kv
