#pragma once

#include <QString>

namespace kv {

class Table;

// Which of a task's archives with a date in their name a confirmed run keeps.
enum class KeepRule {
    All = 0,          // every one (what a task without a row in tasksx.dbf does)
    Newest = 1,       // the newest `count`, the archive just written among them
    YoungerThan = 2,  // those made less than `days` days ago
};

struct Retention {
    static constexpr int kMin = 1;
    static constexpr int kMaxCount = 9999;
    static constexpr int kMaxDays = 9999;

    KeepRule rule = KeepRule::All;
    int count = 10;  // kept while another rule is chosen, so that the editor shows it again
    int days = 30;

    bool keepsAll() const { return rule == KeepRule::All; }
    bool operator==(const Retention&) const = default;
};

// The retention of the task named `taskName` in the open tasksx.dbf `extras`: the default (keep
// all) when it has no row for the task. A row whose values no editor writes (a damaged or
// foreign file) keeps all, never deletes by a number it did not choose.
Retention retentionOf(const Table& extras, const QString& taskName);

// Reads the task's retention from tasksx.dbf in the program folder. A file that is missing keeps
// all; one that cannot be read keeps all too, and `trouble` then says why.
Retention readRetention(const QString& taskName, QString* trouble);

// Within a batch of `extras`: the task named `name` gets one row holding `retention`, in place
// of any rows under that name.
void putRetention(Table& extras, const QString& name, const Retention& retention);

// Deletes the rows under `name` from tasksx.dbf when it is open, in one new file. Raises the
// table engine's error.
void forgetRetention(Table& extras, const QString& name);

// Within a batch of `extras`: deletes every row under `name`; returns how many.
int removeRetention(Table& extras, const QString& name);

}  // namespace kv
