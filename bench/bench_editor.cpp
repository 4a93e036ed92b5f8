// The task editor's core on a task with 1,000 and with 10,000 objects, real files in a temporary
// program folder: opening (the working list cleared and every stored path classified and added)
// and saving (working rows, list file, object rows, task row). Budgets: 300 ms each for 1,000
// objects; 10,000 objects within 12 times the 1,000-object time.
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "editor/form2texts.h"
#include "editor/objectlist.h"
#include "editor/savetask.h"
#include "platform/programfolder.h"
#include "store/layouts.h"

namespace {

struct Times {
    double open = 0;
    double save = 0;
};

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

Times measure(int objects, int rounds) {
    QTemporaryDir dir;
    const QString folder = dir.path() + u'/';
    kv::setProgramFolder(folder);
    QDir::setCurrent(folder);
    QDir().mkpath(folder + "Lists");
    for (const QString& name : {kv::kTasksFile, kv::kObjectsFile, kv::kWorkingObjectsFile}) {
        kv::Table::create(name, name == kv::kTasksFile ? kv::tasksLayout() : kv::objectsLayout());
    }
    kv::Table::create(kv::kArchiversFile, kv::archiversLayout());
    kv::Table tasks(kv::kTasksFile);
    kv::Table stored(kv::kObjectsFile);
    kv::Table working(kv::kWorkingObjectsFile);
    kv::Table archivers(kv::kArchiversFile);
    for (kv::Table* t : {&tasks, &stored, &working, &archivers}) {
        t->open();
    }
    archivers.insert();
    archivers.setString(kv::ArchiverField::Name, "7z");
    archivers.setString(kv::ArchiverField::Arhstr1, "/usr/bin/7zz a");
    archivers.post();
    tasks.insert();
    tasks.setString(kv::TaskField::Name, "bench");
    tasks.setString(kv::TaskField::List, "Lists/1.txt");
    tasks.post();

    // Files in folders of 100, and some rows of another task around them.
    stored.beginBatch();
    for (int i = 0; i < objects; ++i) {
        const QString sub =
            folder + QStringLiteral("data/folder%1/").arg(i / 100, 3, 10, QLatin1Char('0'));
        if (i % 100 == 0) {
            QDir().mkpath(sub);
        }
        const QString path =
            sub + QStringLiteral("document %1.txt").arg(i, 5, 10, QLatin1Char('0'));
        QFile f(path);
        f.open(QIODevice::WriteOnly);
        f.write("x");
        for (const QString& task : {QStringLiteral("bench"), QStringLiteral("other")}) {
            if (task == QLatin1String("other") && i % 10 != 0) {
                continue;
            }
            stored.insert();
            stored.setString(kv::ObjectField::Name, task);
            stored.setString(kv::ObjectField::Path, path);
            stored.post();
        }
    }
    stored.commitBatch();

    const kv::EditorTexts texts = kv::editorTexts();
    std::vector<double> open;
    std::vector<double> save;
    for (int round = 0; round < rounds; ++round) {
        QElapsedTimer timer;
        timer.start();
        kv::WorkingList list(working);
        kv::LoadWorkingList(list, stored, QStringLiteral("bench"));
        open.push_back(timer.nsecsElapsed() / 1e6);

        tasks.first();
        kv::SaveRequest request;
        request.fields = kv::readTaskFields(tasks);
        request.configuration = 0;
        request.newTask = false;
        request.editedTaskName = request.workingName = QStringLiteral("bench");
        timer.restart();
        const kv::SaveResult result =
            kv::saveTask({tasks, stored, working, archivers}, request, texts, *kv::posixFileIo());
        save.push_back(timer.nsecsElapsed() / 1e6);
        if (result.outcome != kv::SaveResult::Outcome::Saved || working.recordCount() != objects) {
            std::fprintf(stderr, "the save failed: %s\n", qPrintable(result.message));
            std::exit(2);
        }
    }
    QDir::setCurrent(QDir::tempPath());
    return {median(open), median(save)};
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int rounds = argc > 1 ? std::max(1, atoi(argv[1])) : 5;
    const Times small = measure(1000, rounds);
    const Times large = measure(10000, rounds);
    std::printf("open, 1,000 objects:   median %.1f ms (budget 300 ms)\n", small.open);
    std::printf("save, 1,000 objects:   median %.1f ms (budget 300 ms)\n", small.save);
    std::printf("open, 10,000 objects:  median %.1f ms, %.1f times (budget 12)\n", large.open,
                large.open / small.open);
    std::printf("save, 10,000 objects:  median %.1f ms, %.1f times (budget 12)\n", large.save,
                large.save / small.save);
    const bool within = small.open <= 300 && small.save <= 300 && large.open <= 12 * small.open &&
                        large.save <= 12 * small.save;
    return within ? 0 : 1;
}
