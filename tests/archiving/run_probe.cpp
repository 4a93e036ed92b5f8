// A stand-in for the program that ends while its archiver runs: starts the command line as a
// backup run of a task without a .BAK to keep, and ends at once.
//   run_probe <program folder> <command line> <archive> <backup>
#include <QCoreApplication>

#include "archiving/runfollower.h"
#include "platform/programfolder.h"

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 5) {
        return 2;
    }
    kv::setProgramFolder(args[1]);
    kv::RunFacts facts;
    facts.taskName = QStringLiteral("probe");
    facts.archivePath = args[3];
    facts.backupPath = args[4];
    facts.keepBackup = false;
    if (kv::WinExec(args[2], kv::kSwShow, kv::followRun(facts)) <= 31) {
        return 1;
    }
    QCoreApplication::processEvents();
    return 0;
}
