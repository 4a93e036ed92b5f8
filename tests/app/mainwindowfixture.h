#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QStringList>
#include <QTemporaryDir>
#include <memory>

#include "app/tform1.h"
#include "platform/programsearch.h"
#include "store/programtables.h"
#include "support/manualclock.h"
#include "support/scriptedmessageboxes.h"
#include "support/tablefolder.h"

namespace kv::test {

// The program file of the windows that the fixture makes.
inline const QString kExecutable = QStringLiteral("/opt/kelvotrin/kelvotrin");

// What a main window needs around it in a test: a temporary program folder (without tables until
// a test makes them; the start-up makes those that are missing), an empty program search path, the
// program's table objects, an autostart folder of its own (XDG_CONFIG_HOME, put back afterwards),
// scripted message boxes and a settable clock. The windows it makes work on `tables`, do not end
// the test program (their ends are counted) and see a tray while `tray` is true.
class MainWindowFixture {
public:
    explicit MainWindowFixture(QDateTime now = naiveDateTime(QDate(2025, 12, 8), QTime(9, 0)));
    ~MainWindowFixture();
    MainWindowFixture(const MainWindowFixture&) = delete;
    MainWindowFixture& operator=(const MainWindowFixture&) = delete;

    // A main window of the program file kExecutable, started with `arguments`.
    std::unique_ptr<TForm1> makeForm(QStringList arguments = {});

    // Makes every window that `form` opens once, in the language that `form` has set up, as
    // the user would by opening each: the editor on a new task, the configuration list, the
    // name dialog, the restore dialog, the run history, the archive's window, the About box. With
    // write-back, this is the pass that fills a new dictionary.
    void openEveryWindowOnce(TForm1& form);

    QTemporaryDir config;
    TableFolder folder{TableFolder::Tables::Missing};
    // No archiver on the search path, whatever the machine has: discovery at the creation of
    // archers.dbf and the configuration list find only what a test puts there.
    ScopedProgramSearchPath searchPath{{}};
    ProgramTables tables;
    ScriptedMessageBoxes boxes;
    ManualClock clock;
    int terminated = 0;
    bool tray = true;

private:
    QByteArray previousConfigHome_;
    bool hadConfigHome_;
};

// The keys of a dictionary file, as "section/key", in file order.
QStringList dictionaryKeys(const QByteArray& file);

}  // namespace kv::test
