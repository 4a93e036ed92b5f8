#pragma once

#include <QList>
#include <QString>

#include "store/table.h"

namespace kv {

// The four tables of the program folder and their layouts.
inline const QString kTasksFile = QStringLiteral("tasks.dbf");             // Table1
inline const QString kObjectsFile = QStringLiteral("tasksm.dbf");          // Table2
inline const QString kWorkingObjectsFile = QStringLiteral("tasksmt.dbf");  // Table3
inline const QString kArchiversFile = QStringLiteral("archers.dbf");       // Table4

const QList<FieldDef>& tasksLayout();      // 26 fields
const QList<FieldDef>& objectsLayout();    // 7 fields; tasksm.dbf and tasksmt.dbf
const QList<FieldDef>& archiversLayout();  // 11 fields

}  // namespace kv
