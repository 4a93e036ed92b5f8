#include "store/taskextras.h"

#include <QFileInfo>

#include "store/layouts.h"
#include "store/table.h"

namespace kv {

Retention retentionOf(const Table& extras, const QString& taskName) {
    const auto name = extras.fieldIndex(TaskExtraField::Name);
    for (int position = 0; position < extras.recordCount(); ++position) {
        if (extras.peekString(position, name) != taskName) {
            continue;
        }
        Retention r;
        const int rule = extras.peekInt(position, extras.fieldIndex(TaskExtraField::Keep));
        const int count = extras.peekInt(position, extras.fieldIndex(TaskExtraField::KeepCount));
        const int days = extras.peekInt(position, extras.fieldIndex(TaskExtraField::KeepDays));
        if (count >= Retention::kMin && count <= Retention::kMaxCount) {
            r.count = count;
        }
        if (days >= Retention::kMin && days <= Retention::kMaxDays) {
            r.days = days;
        }
        if ((rule == int(KeepRule::Newest) && r.count == count) ||
            (rule == int(KeepRule::YoungerThan) && r.days == days)) {
            r.rule = KeepRule(rule);
        }
        return r;
    }
    return {};
}

Retention readRetention(const QString& taskName, QString* trouble) {
    if (!QFileInfo::exists(kTaskExtrasFile)) {
        return {};
    }
    try {
        Table extras(kTaskExtrasFile);
        extras.open();
        return retentionOf(extras, taskName);
    } catch (const StoreError& e) {
        *trouble = e.message();
        return {};
    }
}

void forgetRetention(Table& extras, const QString& name) {
    if (!extras.isOpen()) {
        return;
    }
    Batch batch(extras);
    if (removeRetention(extras, name) > 0) {
        extras.commitBatch();
    }
}

int removeRetention(Table& extras, const QString& name) {
    return deleteRowsWhere(extras, TaskExtraField::Name, name);
}

void putRetention(Table& extras, const QString& name, const Retention& retention) {
    removeRetention(extras, name);
    extras.insert();
    extras.setString(TaskExtraField::Name, name);
    extras.setInt(TaskExtraField::Keep, int(retention.rule));
    extras.setInt(TaskExtraField::KeepCount, retention.count);
    extras.setInt(TaskExtraField::KeepDays, retention.days);
    extras.post();
}

}  // namespace kv
