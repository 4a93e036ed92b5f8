#include "schedulerfixture.h"

#include <stdexcept>

#include "archiving/runtask.h"
#include "platform/datetimetext.h"
#include "store/layouts.h"
#include "support/tablerows.h"

namespace kv::test {

SchedulerFixture::SchedulerFixture(QDateTime start)
    : clock(std::move(start)), scheduler(tasks, marks, texts, [this](bool recompute) {
          RunTask(tasks, {texts, scheduler.startingUp(), scheduler.paused()}, recompute);
      }) {
    setLocaleFormats(QStringLiteral("dd/MM/yyyy"), QStringLiteral("HH:mm:ss"));
    setDateSeparator(QStringLiteral("."));
    setTimeSeparator(QStringLiteral(":"));
    Table::create(kTasksFile, tasksLayout());
    Table::create(kObjectsFile, objectsLayout());
    Table::create(kWorkingObjectsFile, objectsLayout());
    tasks.open();
}

SchedulerFixture::~SchedulerFixture() {
    resetLocaleFormats();
}

QStringList SchedulerFixture::launched() const {
    // "run-<name> a "...: the task's name is the program's name without "run-".
    QStringList names;
    for (const QString& line : launches.lines) {
        names << line.section(u' ', 0, 0).mid(4);
    }
    return names;
}

void SchedulerFixture::addTask(const QString& name, const QVariantMap& fields) {
    QVariantMap values{
        {QStringLiteral("Flag"), true},
        {QStringLiteral("Name"), name},
        {QStringLiteral("NameArh"), name},
        {QStringLiteral("NameArhivator1"), QStringLiteral("run-%1 a").arg(name)},
        {QStringLiteral("List"), QStringLiteral("Lists/1.txt")},
        {QStringLiteral("VidArhivator"), 1},
        {QStringLiteral("VidNameArh"), 0},
        {QStringLiteral("VidPeriod"), 3},
        {QStringLiteral("Propusk"), 0},
        {QStringLiteral("DayTime"), timeOfDay(9)},
        {QStringLiteral("SledTime"), clock.now().addMonths(120)},
    };
    for (auto it = fields.begin(); it != fields.end(); ++it) {
        values.insert(it.key(), it.value());
    }
    appendRow(tasks, values);
    TableToGrid(tasks, marks);
}

void SchedulerFixture::select(const QString& name) {
    returnToTask(tasks, name);
    if (tasks.eof() && currentTaskName(tasks) != name) {
        throw std::runtime_error("no such task");
    }
}

QVariant SchedulerFixture::field(const QString& task, const QString& name) {
    Table& t = tasks;
    const int nameField = t.fieldIndex(QStringLiteral("Name"));
    const int index = t.fieldIndex(name);
    for (int row = 0; row < t.recordCount(); ++row) {
        if (t.peekString(row, nameField) != task) {
            continue;
        }
        switch (t.fields().at(index).type) {
            case FieldType::Boolean:
                return t.peekBool(row, index);
            case FieldType::Integer:
                return t.peekInt(row, index);
            case FieldType::String:
                return t.peekString(row, index);
            case FieldType::DateTime:
                return t.peekDateTime(row, index);
        }
    }
    throw std::runtime_error("no such task");
}

}  // namespace kv::test
