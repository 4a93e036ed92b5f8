#include <QApplication>
#include <QSocketNotifier>
#include <QTimer>

#include <sys/socket.h>
#include <unistd.h>
#include <csignal>
#include <cstdio>
#include <ctime>

#include "app/programicon.h"
#include "app/startup.h"
#include "app/tform1.h"
#include "archiving/keepawake.h"
#include "language/mainwindowtexts.h"
#include "platform/error.h"
#include "platform/instancechannel.h"
#include "platform/messagebox.h"
#include "platform/programfolder.h"
#include "store/programtables.h"
#include "widgets/filedialogs.h"
#include "widgets/messageboxes.h"

namespace {

int signalPipe[2] = {-1, -1};

void onTerminationSignal(int) {
    const char c = 1;
    [[maybe_unused]] const auto written = ::write(signalPipe[1], &c, 1);
}

// A session log-out (SIGTERM), Ctrl+C (SIGINT) or a closed terminal (SIGHUP) ends the program
// the same way as its exit button: on the event loop, through the main window's destruction.
void watchTerminationSignals(kv::TForm1& form) {
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, signalPipe) != 0) {
        return;
    }
    auto* notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, &form);
    QObject::connect(notifier, &QSocketNotifier::activated, &form, [&form] {
        char c;
        [[maybe_unused]] const auto got = ::read(signalPipe[0], &c, 1);
        form.BitBtn9Click();
    });
    struct sigaction sa {};
    sa.sa_handler = onTerminationSignal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    for (int sig : {SIGTERM, SIGINT, SIGHUP}) {
        ::sigaction(sig, &sa, nullptr);
    }
}

// For start-up measurements (KELVOTRIN_EXIT_WHEN_SHOWN set): once the window's first paint is
// done, the program prints the monotonic clock in nanoseconds ("shown <ns>") and ends.
class ExitWhenShown : public QObject {
public:
    explicit ExitWhenShown(kv::TForm1& form) : form_(form) {
        if (qEnvironmentVariableIsSet("KELVOTRIN_EXIT_WHEN_SHOWN")) {
            form.installEventFilter(this);
        }
    }
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            form_.removeEventFilter(this);
            QTimer::singleShot(0, &form_, [this] {
                timespec now{};
                clock_gettime(CLOCK_MONOTONIC, &now);
                std::printf("shown %lld\n", now.tv_sec * 1000000000LL + now.tv_nsec);
                std::fflush(stdout);
                form_.BitBtn9Click();
            });
        }
        return false;
    }

private:
    kv::TForm1& form_;
};

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const QString executable = QCoreApplication::applicationFilePath();
    QCoreApplication::setApplicationName(kv::kProgramName);
    // Every window's icon; the desktop matches the running program to its menu entry by name.
    QApplication::setWindowIcon(kv::programIcon());
    QGuiApplication::setDesktopFileName(kv::kIconThemeName);
    QApplication::setQuitOnLastWindowClosed(false);

    // The program's folder (beside the executable, or the user's one for an installed program)
    // is the current folder; a folder that cannot be used ends the program before it stores
    // anything. Then the language name.
    const QString shippedData = QStringLiteral(KV_SHIPPED_DATA);
    try {
        kv::setUpProgramFolder(kv::executableFolder(), shippedData);
    } catch (const kv::Error& e) {
        std::fprintf(stderr, "kelvotrin: %s\n", qPrintable(e.message()));
        kv::QtMessageBoxService boxes;
        const kv::ScopedMessageBoxService showBoxes(boxes);
        kv::reportError(e.message());
        return 1;
    }
    const QString language = kv::languageNameAtEntry();

    // A running copy is asked to show itself, and this copy ends.
    const QString caption = kv::mainWindowCaption(language);
    kv::InstanceChannel channel(QStringLiteral("TForm1"), caption);
    const auto claim = channel.claim();
    if (claim == kv::InstanceChannel::Claim::HandedOver) {
        return 0;
    }
    kv::QtMessageBoxService boxes;
    const kv::ScopedMessageBoxService showBoxes(boxes);
    kv::QtDialogService dialogs;
    const kv::ScopedDialogService showDialogs(dialogs);
    // A copy that the channel could not reach (no private runtime folder, or one of its own)
    // still holds the program folder: two copies must never write the same tables. A copy that
    // is just ending gets a moment to let go.
    kv::ProgramFolderLock soleCopy(kv::programFolder());
    if (!soleCopy.acquire(3000)) {
        kv::messageBox(kv::textAtEntry(kv::Form1Text::cs1, language), caption, kv::MbButtons::Ok,
                       kv::MbIcon::Warning);
        return 1;
    }
    if (claim == kv::InstanceChannel::Claim::Failed) {
        qWarning("kelvotrin: cannot watch for a second start: %s", qPrintable(channel.errorText()));
    }

    // The tables, the main window on them, then the event loop.
    QStringList arguments = QCoreApplication::arguments();
    arguments.removeFirst();
    int result = 0;
    kv::ProgramTables tables;
    {
        kv::TForm1 form(tables, {arguments, executable, !shippedData.isEmpty()});
        form.listenForSecondStarts(channel);
        // No suspend while an archiver runs.
        kv::KeepAwakeDuringRuns keepAwake(&form.texts());
        watchTerminationSignals(form);
        form.showAtStart();
        ExitWhenShown exitWhenShown(form);
        result = app.exec();
        channel.stopListening();
    }
    return result;
}
