// The yardstick for the program's start-up: a bare Qt window that ends after its first paint.
#include <QApplication>
#include <QTimer>
#include <QWidget>

class Window : public QWidget {
protected:
    void paintEvent(QPaintEvent*) override {
        if (!done_) {
            done_ = true;
            QTimer::singleShot(0, qApp, &QCoreApplication::quit);
        }
    }

private:
    bool done_ = false;
};

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    Window w;
    w.resize(960, 580);
    w.show();
    return app.exec();
}
