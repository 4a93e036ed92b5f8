#include "widgets/dbgrid.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>

#include "app/appstate.h"
#include "platform/datetimetext.h"
#include "store/table.h"

namespace kv {

class DBGrid::Model : public QAbstractTableModel {
public:
    explicit Model(DBGrid* grid) : QAbstractTableModel(grid), grid_(grid) {}

    void reload() {
        beginResetModel();
        endResetModel();
    }

    int rowCount(const QModelIndex& parent = {}) const override {
        const Table* t = grid_->table_;
        return parent.isValid() || !t || !t->isOpen() ? 0 : t->recordCount();
    }

    int columnCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : grid_->columns_.size();
    }

    QVariant data(const QModelIndex& index, int role) const override {
        if (!index.isValid()) {
            return {};
        }
        const DBGrid::Column& column = grid_->columns_[index.column()];
        if (column.field.isEmpty()) {
            if (role == Qt::CheckStateRole && grid_->marks_) {
                return grid_->marks_->at(index.row()) ? Qt::Checked : Qt::Unchecked;
            }
            return {};
        }
        if (role == Qt::DisplayRole || role == Qt::ToolTipRole) {
            return text(index.row(), index.column());
        }
        return {};
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
        if (index.isValid() && grid_->columns_[index.column()].field.isEmpty()) {
            f |= Qt::ItemIsUserCheckable;
        }
        return f;
    }

    QString text(int row, int column) const {
        const Table* t = grid_->table_;
        if (!t || !t->isOpen() || row < 0 || row >= t->recordCount()) {
            return {};
        }
        const QString& field = grid_->columns_[column].field;
        if (field.isEmpty()) {
            return {};
        }
        const int index = t->fieldIndex(field);
        if (index < 0) {
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

    void rowChanged(int row) { Q_EMIT dataChanged(index(row, 0), index(row, columnCount() - 1)); }

    void marksChanged() {
        if (rowCount() > 0) {
            Q_EMIT dataChanged(index(0, 0), index(rowCount() - 1, 0), {Qt::CheckStateRole});
        }
    }

private:
    DBGrid* grid_;
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
    model_->reload();
    for (int i = 0; i < columns_.size(); ++i) {
        setColumnWidth(i, columns_[i].width);
    }
    if (table_) {
        connect(table_, &Table::reset, this, [this] {
            model_->reload();
            if (table_->isOpen() && !table_->isEmpty()) {
                followCursor(table_->recNo());
            }
        });
        connect(table_, &Table::rowChanged, this, [this](int row) { model_->rowChanged(row); });
        connect(table_, &Table::cursorMoved, this, [this](int row) { followCursor(row); });
    }
    if (marks_) {
        connect(marks_, &CheckMarks::changed, this, [this] { model_->marksChanged(); });
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
        if (columns_[i].field.isEmpty()) {
            setColumnHidden(i, !visible);
        }
    }
}

bool DBGrid::checkColumnVisible() const {
    for (int i = 0; i < columns_.size(); ++i) {
        if (columns_[i].field.isEmpty()) {
            return !isColumnHidden(i);
        }
    }
    return false;
}

QString DBGrid::cellText(int row, int column) const {
    return model_->text(row, column);
}

void DBGrid::followCursor(int position) {
    if (position < 0 || position >= model_->rowCount()) {
        return;
    }
    following_ = true;
    const QModelIndex current = currentIndex();
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
    if (event->button() != Qt::LeftButton || !index.isValid()) {
        return;
    }
    if (columns_[index.column()].field.isEmpty() && marks_) {
        marks_->toggle(index.row());
    }
    Q_EMIT cellClicked(index.column(), index.row());
}

void DBGrid::mouseDoubleClickEvent(QMouseEvent* event) {
    const QModelIndex index = indexAt(event->position().toPoint());
    QTableView::mouseDoubleClickEvent(event);
    if (event->button() == Qt::LeftButton) {
        Q_EMIT rowDoubleClicked(index.isValid() ? index.row() : -1);
    }
}

void DBGrid::keyPressEvent(QKeyEvent* event) {
    // Space toggles the check mark of the current row, as a click in the check column would.
    if (event->key() == Qt::Key_Space && marks_ && currentIndex().isValid()) {
        for (int i = 0; i < columns_.size(); ++i) {
            if (columns_[i].field.isEmpty() && !isColumnHidden(i)) {
                marks_->toggle(currentIndex().row());
                Q_EMIT cellClicked(i, currentIndex().row());
                return;
            }
        }
    }
    QTableView::keyPressEvent(event);
}

}  // namespace kv
