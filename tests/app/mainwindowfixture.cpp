#include "mainwindowfixture.h"

namespace kv::test {

MainWindowFixture::MainWindowFixture(QDateTime now)
    : clock(std::move(now)),
      previousConfigHome_(qgetenv("XDG_CONFIG_HOME")),
      hadConfigHome_(qEnvironmentVariableIsSet("XDG_CONFIG_HOME")) {
    // The autostart entry of the machine stays out of reach.
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(config.path()));
}

MainWindowFixture::~MainWindowFixture() {
    if (hadConfigHome_) {
        qputenv("XDG_CONFIG_HOME", previousConfigHome_);
    } else {
        qunsetenv("XDG_CONFIG_HOME");
    }
}

std::unique_ptr<TForm1> MainWindowFixture::makeForm(QStringList arguments) {
    auto form = std::make_unique<TForm1>(TForm1::Options{std::move(arguments), kExecutable});
    form->terminate = [this] { ++terminated; };
    form->trayAvailable = [this] { return tray; };
    return form;
}

}  // namespace kv::test
