#include "widgets/dbgrid.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <algorithm>
#include <utility>

#include "platform/datetimetext.h"
#include "store/table.h"

namespace kv {

class DBGrid::Model : public QAbstractTableModel {
public:
    explicit Model(DBGrid* grid) : QAbstractTableModel(grid), grid_(grid) {}

    // Takes the table's number of rows; the view learns of it only here, so that the model
    // never changes its size behind the view's back.
    void reload() {
        beginResetModel();
        const Table* t = grid_->table_;
        rows_ = t && t->isOpen() ? t->recordCount() : 0;
        mapFields();
        endResetModel();
    }

    // Looks up the columns' fields in the table as it is open now.
    void mapFields() {
        const Table* t = grid_->table_;
        fields_.clear();
        for (const DBGrid::Column& column : grid_->columns_) {
            fields_ << (t && !column.field.isEmpty() ? t->fieldIndex(column.field) : -1);
        }
    }

    int rowCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : rows_;
    }

    int columnCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : grid_->columns_.size();
    }

    QVariant data(const QModelIndex& index, int role) const override {
        if (!index.isValid()) {
            return {};
        }
        const DBGrid::Column& column = grid_->columns_[index.column()];
        if (column.look) {
            return lookData(index.row(), index.column(), role);
        }
        if (column.field.isEmpty()) {
            if (role == Qt::CheckStateRole && grid_->marks_) {
                return grid_->marks_->at(index.row()) ? Qt::Checked : Qt::Unchecked;
            }
            return {};
        }
        // No tool tip of its own: a cell shows the grid's hint.
        if (role == Qt::DisplayRole) {
            return text(index.row(), index.column());
        }
        return {};
    }

    // A cell of a column with a `look`.
    QVariant lookData(int row, int column, int role) const {
        if (role != Qt::DisplayRole && role != Qt::ToolTipRole && role != Qt::ForegroundRole) {
            return {};
        }
        const DBGrid::CellLook cell = look(row, column);
        if (role == Qt::DisplayRole) {
            return cell.text;
        }
        if (role == Qt::ToolTipRole) {
            return cell.toolTip.isEmpty() ? QVariant() : QVariant(cell.toolTip);
        }
        return cell.color.isValid() ? QVariant(cell.color) : QVariant();
    }

    DBGrid::CellLook look(int row, int column) const {
        const DBGrid::Column& c = grid_->columns_[column];
        const Table* t = grid_->table_;
        if (!c.look || !t || !t->isOpen() || row < 0 || row >= t->recordCount()) {
            return {};
        }
        return c.look(row);
    }

    QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
        if (orientation == Qt::Horizontal && section < grid_->columns_.size()) {
            if (role == Qt::DisplayRole) {
                return grid_->columns_[section].title;
            }
            if (role == Qt::TextAlignmentRole) {
                return int(Qt::AlignCenter);
            }
        }
        return {};
    }

    Qt::ItemFlags flags(const QModelIndex& index) const override {
        Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
        if (index.isValid() && grid_->columns_[index.column()].isCheckColumn()) {
            f |= Qt::ItemIsUserCheckable;
        }
        return f;
    }

    QString text(int row, int column) const {
        if (grid_->columns_[column].look) {
            return look(row, column).text;
        }
        const Table* t = grid_->table_;
        if (!t || !t->isOpen() || row < 0 || row >= t->recordCount()) {
            return {};
        }
        const int index = column < fields_.size() ? fields_[column] : -1;
        if (index < 0 || index >= t->fields().size()) {
            return {};
        }
        switch (t->fields()[index].type) {
            case FieldType::String:
                return t->peekString(row, index);
            case FieldType::Integer:
                return QString::number(t->peekInt(row, index));
            case FieldType::Boolean:
                return t->peekBool(row, index) ? QStringLiteral("True") : QStringLiteral("False");
            case FieldType::DateTime:
                return dateTimeText(t->peekDateTime(row, index));
        }
        return {};
    }

    void cellChanged(int row, int column) {
        const QModelIndex cell = index(row, column);
        Q_EMIT dataChanged(cell, cell, {Qt::DisplayRole});
    }

    void marksChanged(int first, int last) {
        last = std::min(last, rows_ - 1);
        if (first <= last) {
            Q_EMIT dataChanged(index(first, 0), index(last, 0), {Qt::CheckStateRole});
        }
    }

private:
    DBGrid* grid_;
    int rows_ = 0;
    QList<int> fields_;  // per column; -1 for none
};

DBGrid::DBGrid(QWidget* parent) : QTableView(parent), model_(new Model(this)) {
    setModel(model_);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    verticalHeader()->hide();
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    horizontalHeader()->setDefaultAlignment(Qt::AlignCenter);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setStretchLastSection(true);
    setWordWrap(false);
    // The selection stays visible when the list has no focus.
    QPalette p = palette();
    p.setColor(QPalette::Inactive, QPalette::Highlight,
               p.color(QPalette::Active, QPalette::Highlight));
    p.setColor(QPalette::Inactive, QPalette::HighlightedText,
               p.color(QPalette::Active, QPalette::HighlightedText));
    setPalette(p);
    connect(
        selectionModel(), &QItemSelectionModel::currentRowChanged, this,
        [this](const QModelIndex& current, const QModelIndex&) { onCurrentRowChanged(current); });
}

void DBGrid::bind(Table* table, CheckMarks* marks, const QList<Column>& columns) {
    if (table_) {
        disconnect(table_, nullptr, this, nullptr);
    }
    if (marks_) {
        disconnect(marks_, nullptr, this, nullptr);
    }
    table_ = table;
    marks_ = marks;
    columns_ = columns;
    reload();
    for (int i = 0; i < columns_.size(); ++i) {
        setColumnWidth(i, columns_[i].width);
    }
    if (table_) {
        connect(table_, &Table::reset, this, &DBGrid::onTableReset);
        connect(table_, &Table::rowChanged, this,
                [this](int row) { repaintChangedCells(row, row); });
        connect(table_, &Table::cursorMoved, this, &DBGrid::followCursor);
        // The pointer is already null when this arrives.
        connect(table_, &QObject::destroyed, this, &DBGrid::reload);
    }
    if (marks_) {
        connect(marks_, &CheckMarks::changed, this,
                [this](int first, int last) { model_->marksChanged(first, last); });
        connect(marks_, &QObject::destroyed, this,
                [this] { model_->marksChanged(0, model_->rowCount() - 1); });
    }
}

void DBGrid::reload() {
    model_->reload();
    shown_.clear();
}

void DBGrid::onTableReset() {
    const int rows = table_ && table_->isOpen() ? table_->recordCount() : 0;
    if (rows != model_->rowCount()) {
        reload();
    } else {
        model_->mapFields();
        repaintChangedCells(0, rows - 1);
    }
    if (rows > 0) {
        followCursor(table_->recNo());
    }
}

QStringList DBGrid::rowTexts(int row) const {
    QStringList texts;
    texts.reserve(columns_.size());
    for (int column = 0; column < columns_.size(); ++column) {
        texts << model_->text(row, column);
    }
    return texts;
}

std::pair<int, int> DBGrid::rowsOnScreen() const {
    const int rows = model_->rowCount();
    if (rows == 0 || !isVisible() || viewport()->height() <= 0) {
        return {0, -1};
    }
    const int bottom = rowAt(viewport()->height() - 1);
    return {std::max(rowAt(0), 0), bottom >= 0 ? bottom : rows - 1};
}

void DBGrid::repaintChangedCells(int first, int last) {
    const auto [top, bottom] = rowsOnScreen();
    QHash<int, QStringList> now;
    for (int row = top; row <= bottom; ++row) {
        const auto before = shown_.constFind(row);
        const bool known = before != shown_.cend();
        if (known && (row < first || row > last)) {
            now.insert(row, *before);
            continue;
        }
        QStringList texts = rowTexts(row);
        for (int column = 0; column < texts.size(); ++column) {
            if (!columns_[column].isCheckColumn() &&
                (!known || (*before)[column] != texts[column])) {
                model_->cellChanged(row, column);
            }
        }
        now.insert(row, std::move(texts));
    }
    // Rows off screen are read afresh when they scroll in.
    shown_ = std::move(now);
}

void DBGrid::paintEvent(QPaintEvent* event) {
    QTableView::paintEvent(event);
    // Remember what the rows painted whole now show.
    const auto [top, bottom] = rowsOnScreen();
    for (int row = top; row <= bottom; ++row) {
        const QRect line(0, rowViewportPosition(row), viewport()->width(), rowHeight(row));
        if (QRegion(line).subtracted(event->region()).isEmpty()) {
            shown_.insert(row, rowTexts(row));
        }
    }
}

QString DBGrid::columnTitle(int column) const {
    return column >= 0 && column < columns_.size() ? columns_[column].title : QString();
}

void DBGrid::setColumnTitle(int column, const QString& title) {
    if (column >= 0 && column < columns_.size()) {
        columns_[column].title = title;
        Q_EMIT model_->headerDataChanged(Qt::Horizontal, column, column);
    }
}

void DBGrid::setCheckColumnVisible(bool visible) {
    for (int i = 0; i < columns_.size(); ++i) {
        if (columns_[i].isCheckColumn()) {
            setColumnHidden(i, !visible);
        }
    }
}

bool DBGrid::checkColumnVisible() const {
    const int column = checkColumn();
    return column >= 0 && !isColumnHidden(column);
}

int DBGrid::checkColumn() const {
    for (int i = 0; i < columns_.size(); ++i) {
        if (columns_[i].isCheckColumn()) {
            return i;
        }
    }
    return -1;
}

QString DBGrid::cellText(int row, int column) const {
    return model_->text(row, column);
}

DBGrid::CellLook DBGrid::cellLook(int row, int column) const {
    if (column < 0 || column >= columns_.size()) {
        return {};
    }
    if (columns_[column].look) {
        return model_->look(row, column);
    }
    return {model_->text(row, column), {}, {}};
}

void DBGrid::refreshCells() {
    repaintChangedCells(0, model_->rowCount() - 1);
}

void DBGrid::followCursor(int position) {
    if (position < 0 || position >= model_->rowCount()) {
        return;
    }
    const QModelIndex current = currentIndex();
    if (current.isValid() && current.row() == position &&
        selectionModel()->isRowSelected(position, {})) {
        return;
    }
    following_ = true;
    const int column = current.isValid() ? current.column() : (columns_.size() > 1 ? 1 : 0);
    setCurrentIndex(model_->index(position, column));
    following_ = false;
}

void DBGrid::onCurrentRowChanged(const QModelIndex& current) {
    if (following_ || !table_ || !table_->isOpen() || !current.isValid()) {
        return;
    }
    if (table_->recNo() != current.row() && current.row() < table_->recordCount()) {
        table_->moveTo(current.row());
    }
}

void DBGrid::mousePressEvent(QMouseEvent* event) {
    const QModelIndex index = indexAt(event->position().toPoint());
    QTableView::mousePressEvent(event);
    toggledByPress_ = -1;
    if (event->button() != Qt::LeftButton || !index.isValid()) {
        return;
    }
    // The view treats a double click that lands on another cell as a press; a double click
    // that keeps marks toggles none.
    if (columns_[index.column()].isCheckColumn() && marks_ &&
        !(inDoubleClick_ && doubleClickKeepsMark_)) {
        marks_->toggle(index.row());
        toggledByPress_ = index.row();
    }
    Q_EMIT cellClicked(index.column(), index.row());
}

void DBGrid::mouseDoubleClickEvent(QMouseEvent* event) {
    const QModelIndex index = indexAt(event->position().toPoint());
    if (event->button() == Qt::LeftButton && doubleClickKeepsMark_ && marks_ &&
        toggledByPress_ >= 0) {
        const int row = std::exchange(toggledByPress_, -1);
        marks_->toggle(row);
        if (const int column = checkColumn(); column >= 0) {
            Q_EMIT cellClicked(column, row);
        }
    }
    inDoubleClick_ = true;
    QTableView::mouseDoubleClickEvent(event);
    inDoubleClick_ = false;
    if (event->button() == Qt::LeftButton) {
        Q_EMIT rowDoubleClicked(index.isValid() ? index.row() : -1);
    }
}

void DBGrid::keyPressEvent(QKeyEvent* event) {
    // Space toggles the check mark of the current row, as a click in the check column would.
    if (event->key() == Qt::Key_Space && marks_ && currentIndex().isValid()) {
        for (int i = 0; i < columns_.size(); ++i) {
            if (columns_[i].isCheckColumn() && !isColumnHidden(i)) {
                marks_->toggle(currentIndex().row());
                Q_EMIT cellClicked(i, currentIndex().row());
                return;
            }
        }
    }
    QTableView::keyPressEvent(event);
}

}  // namespace kv
