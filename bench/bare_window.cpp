// The yardstick for the program's start-up: a bare main window with a label, of the program's
// size. Like the program under KELVOTRIN_EXIT_WHEN_SHOWN, it prints the monotonic clock in
// nanoseconds once its first paint is done ("shown <ns>") and ends.
#include <QApplication>
#include <QLabel>
#include <QMainWindow>
#include <QTimer>
#include <cstdio>
#include <ctime>

namespace {

class ShownProbe : public QObject {
public:
    explicit ShownProbe(QWidget& window) : window_(window) { window.installEventFilter(this); }
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            window_.removeEventFilter(this);
            QTimer::singleShot(0, qApp, [] {
                timespec now{};
                clock_gettime(CLOCK_MONOTONIC, &now);
                std::printf("shown %lld\n", now.tv_sec * 1000000000LL + now.tv_nsec);
                std::fflush(stdout);
                QCoreApplication::quit();
            });
        }
        return false;
    }

private:
    QWidget& window_;
};

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QMainWindow window;
    window.setCentralWidget(new QLabel(QStringLiteral("Kelvotrin"), &window));
    window.resize(960, 580);
    ShownProbe probe(window);
    window.show();
    return app.exec();
}
