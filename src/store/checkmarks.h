#pragma once

#include <QList>
#include <QObject>

namespace kv {

// The check marks of the task list's first column: one mark per live row of tasks.dbf, kept by
// the list itself and bound to no field. TableToGrid() copies Flag into them; GridToTable()
// writes them back (store/tasktable.h).
class CheckMarks final : public QObject {
    Q_OBJECT
public:
    int size() const { return marks_.size(); }
    bool at(int row) const { return row >= 0 && row < marks_.size() && marks_[row]; }
    void set(int row, bool checked);
    void toggle(int row) { set(row, !at(row)); }
    void resize(int rows);
    // Replaces every mark at once.
    void assign(QList<bool> marks);

Q_SIGNALS:
    // The marks of rows first..last (inclusive) changed, or those rows came or went.
    void changed(int first, int last);

private:
    QList<bool> marks_;
};

}  // namespace kv
