// A stand-in for the program: runs the first task of the program folder's tasks.dbf, then ends at
// once ("exit") or goes on until it is killed ("stay").
//   run_probe <program folder> exit|stay
#include <QCoreApplication>

#include "archiving/runtask.h"
#include "platform/programfolder.h"
#include "platform/winexec.h"
#include "store/layouts.h"
#include "store/table.h"

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 3) {
        return 2;
    }
    kv::setProgramFolder(args[1]);
    kv::Table tasks(kv::inProgramFolder(kv::kTasksFile));
    tasks.open();
    tasks.first();
    const kv::MainWindowTexts texts = kv::mainWindowTexts();
    kv::RunTask(tasks, {texts}, false);
    if (kv::programsRunning() != 1) {
        return 1;
    }
    if (args[2] == u"stay") {
        return app.exec();
    }
    QCoreApplication::processEvents();
    return 0;
}
