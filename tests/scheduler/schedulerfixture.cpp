#include "schedulerfixture.h"

#include <stdexcept>

#include "archiving/runtask.h"
#include "platform/datetimetext.h"
#include "store/layouts.h"

namespace kv::test {

SchedulerFixture::SchedulerFixture(QDateTime start)
    : clock(std::move(start)), scheduler(tasks, marks, texts, [this](bool recompute) {
          RunTask(tasks, {texts, scheduler.startingUp(), scheduler.paused()}, recompute);
      }) {
    setLocaleFormats(QStringLiteral("dd/MM/yyyy"), QStringLiteral("HH:mm:ss"));
    setDateSeparator(QStringLiteral("."));
    setTimeSeparator(QStringLiteral(":"));
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

void SchedulerFixture::addTask(const QString& name, const Row& fields) {
    appendRow(tasks, Row{
                         {TaskField::Flag, true},
                         {TaskField::Name, name},
                         {TaskField::NameArh, name},
                         {TaskField::NameArhivator1, QStringLiteral("run-%1 a").arg(name)},
                         {TaskField::List, QStringLiteral("Lists/1.txt")},
                         {TaskField::VidArhivator, 1},
                         {TaskField::VidNameArh, 0},
                         {TaskField::VidPeriod, 3},
                         {TaskField::Propusk, 0},
                         {TaskField::DayTime, timeOfDay(9)},
                         {TaskField::SledTime, clock.now().addMonths(120)},
                     } + fields);
    TableToGrid(tasks, marks);
}

void SchedulerFixture::select(const QString& name) {
    returnToTask(tasks, name);
    if (tasks.eof() && currentTaskName(tasks) != name) {
        throw std::runtime_error("no such task");
    }
}

int SchedulerFixture::rowOf(const QString& task) const {
    const auto name = tasks.fieldIndex(TaskField::Name);
    for (int row = 0; row < tasks.recordCount(); ++row) {
        if (tasks.peekString(row, name) == task) {
            return row;
        }
    }
    throw std::runtime_error("no such task");
}

}  // namespace kv::test
