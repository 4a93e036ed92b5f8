#include "store/checkmarks.h"

#include <algorithm>

namespace kv {

void CheckMarks::set(int row, bool checked) {
    if (row < 0) {
        return;
    }
    if (row >= marks_.size()) {
        marks_.resize(row + 1, false);
    }
    if (marks_[row] != checked) {
        marks_[row] = checked;
        Q_EMIT changed(row, row);
    }
}

void CheckMarks::resize(int rows) {
    const int before = marks_.size();
    if (rows != before) {
        marks_.resize(rows, false);
        Q_EMIT changed(std::min(rows, before), std::max(rows, before) - 1);
    }
}

void CheckMarks::assign(QList<bool> marks) {
    const int common = std::min(marks.size(), marks_.size());
    int first = 0;
    while (first < common && marks[first] == marks_[first]) {
        ++first;
    }
    int last = std::max(marks.size(), marks_.size()) - 1;
    if (marks.size() == marks_.size()) {
        while (last >= first && marks[last] == marks_[last]) {
            --last;
        }
    }
    marks_ = std::move(marks);
    if (first <= last) {
        Q_EMIT changed(first, last);
    }
}

}  // namespace kv
