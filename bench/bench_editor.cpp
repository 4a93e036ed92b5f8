// The task editor on a task with 1,000 and with 10,000 objects, real files in a temporary program
// folder: opening (the working list cleared and every stored path classified and added) and
// saving (working rows, list file, object rows, task row), first of the core alone, then of the
// real window (created, shown and filled; its save button). Budgets: 300 ms each for 1,000
// objects; 10,000 objects within 12 times the 1,000-object time. Runs on any Qt platform
// (QT_QPA_PLATFORM=offscreen, or under xvfb-run).
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "editor/form2texts.h"
#include "editor/objectlist.h"
#include "editor/savetask.h"
#include "editor/tform2.h"
#include "platform/programfolder.h"
#include "store/programtables.h"

namespace {

struct Times {
    double open = 0;
    double save = 0;
};

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// A program folder with a task of `objects` objects: files in folders of 100, and some rows of
// another task around them.
struct Folder {
    QTemporaryDir dir;
    kv::ProgramTables tables;
    kv::Table& tasks = tables.tasks;
    kv::Table& stored = tables.objects;
    kv::Table& working = tables.working;
    kv::Table& archivers = tables.archivers;

    explicit Folder(int objects) {
        const QString folder = dir.path() + u'/';
        kv::setProgramFolder(folder);
        QDir::setCurrent(folder);
        QDir().mkpath(folder + "Lists");
        for (const QString& name : {kv::kTasksFile, kv::kObjectsFile, kv::kWorkingObjectsFile}) {
            kv::Table::create(name,
                              name == kv::kTasksFile ? kv::tasksLayout() : kv::objectsLayout());
        }
        kv::Table::create(kv::kArchiversFile, kv::archiversLayout());
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
    }
    ~Folder() { QDir::setCurrent(QDir::tempPath()); }
};

[[noreturn]] void failed(const QString& why) {
    std::fprintf(stderr, "the save failed: %s\n", qPrintable(why));
    std::exit(2);
}

Times measureCore(int objects, int rounds) {
    Folder f(objects);
    const kv::EditorTexts texts = kv::editorTexts();
    std::vector<double> open;
    std::vector<double> save;
    for (int round = 0; round < rounds; ++round) {
        QElapsedTimer timer;
        timer.start();
        kv::WorkingList list(f.working);
        kv::LoadWorkingList(list, f.stored, QStringLiteral("bench"));
        open.push_back(timer.nsecsElapsed() / 1e6);

        f.tasks.first();
        kv::SaveRequest request;
        request.fields = kv::readTaskFields(f.tasks);
        request.configuration = 0;
        request.newTask = false;
        request.editedTaskName = request.workingName = QStringLiteral("bench");
        timer.restart();
        const kv::SaveResult result = kv::saveTask(f.tables, request, texts, *kv::posixFileIo());
        save.push_back(timer.nsecsElapsed() / 1e6);
        if (result.outcome != kv::SaveResult::Outcome::Saved ||
            f.working.recordCount() != objects) {
            failed(result.message);
        }
    }
    return {median(open), median(save)};
}

Times measureWindow(int objects, int rounds) {
    Folder f(objects);
    const kv::MainWindowTexts mainTexts = kv::mainWindowTexts();
    std::vector<double> open;
    std::vector<double> save;
    for (int round = 0; round < rounds; ++round) {
        f.tasks.first();
        QElapsedTimer timer;
        timer.start();
        kv::TForm2 form(f.tables, mainTexts, false, QStringLiteral("bench"));
        form.show();
        QCoreApplication::processEvents();  // laid out and painted
        open.push_back(timer.nsecsElapsed() / 1e6);

        timer.restart();
        form.ui.BitBtn3->click();
        QCoreApplication::processEvents();
        save.push_back(timer.nsecsElapsed() / 1e6);
        if (!form.saveSucceeded() || f.working.recordCount() != objects) {
            failed(QStringLiteral("in the window"));
        }
        form.hide();
    }
    return {median(open), median(save)};
}

}  // namespace

bool report(const char* what, const Times& small, const Times& large) {
    std::printf("%s: open, 1,000 objects:   median %.1f ms (budget 300 ms)\n", what, small.open);
    std::printf("%s: save, 1,000 objects:   median %.1f ms (budget 300 ms)\n", what, small.save);
    std::printf("%s: open, 10,000 objects:  median %.1f ms, %.1f times (budget 12)\n", what,
                large.open, large.open / small.open);
    std::printf("%s: save, 10,000 objects:  median %.1f ms, %.1f times (budget 12)\n", what,
                large.save, large.save / small.save);
    return small.open <= 300 && small.save <= 300 && large.open <= 12 * small.open &&
           large.save <= 12 * small.save;
}

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const int rounds = argc > 1 ? std::max(1, atoi(argv[1])) : 5;
    const bool core = report("core", measureCore(1000, rounds), measureCore(10000, rounds));
    const bool window = report("window", measureWindow(1000, rounds), measureWindow(10000, rounds));
    return core && window ? 0 : 1;
}
