// Start-up time to the first painted window: the program (in a program folder of its own whose
// tables already exist) against a bare Qt window, both ending right after their first paint.
// Uses the display of the environment (QT_QPA_PLATFORM / DISPLAY); prints medians and the ratio.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>

namespace {

double runOnce(const QString& program, const QProcessEnvironment& env) {
    QProcess p;
    p.setProcessEnvironment(env);
    p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QElapsedTimer timer;
    timer.start();
    p.start(program, {});
    if (!p.waitForFinished(30000) || p.exitCode() != 0) {
        std::fprintf(stderr, "%s did not end cleanly\n", qPrintable(program));
        std::exit(1);
    }
    return timer.nsecsElapsed() / 1e6;
}

double median(QList<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int rounds = argc > 1 ? std::atoi(argv[1]) : 21;
    QTemporaryDir folder;
    QTemporaryDir runtime;
    const QString program = folder.path() + QStringLiteral("/kelvotrin");
    QFile::copy(QStringLiteral(KV_PROGRAM), program);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("KELVOTRIN_EXIT_WHEN_SHOWN"), QStringLiteral("1"));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), runtime.path());
    if (!env.contains(QStringLiteral("QT_QPA_PLATFORM")) &&
        !env.contains(QStringLiteral("DISPLAY"))) {
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    }
    const double firstStart = runOnce(program, env);  // creates the tables
    QList<double> ours;
    QList<double> bare;
    for (int i = 0; i < rounds; ++i) {
        ours << runOnce(program, env);
        bare << runOnce(QStringLiteral(KV_BARE_WINDOW), env);
    }
    const double o = median(ours);
    const double b = median(bare);
    std::printf("platform: %s\n",
                qPrintable(env.value(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"))));
    std::printf("first start (creates the tables): %.1f ms\n", firstStart);
    std::printf(
        "start to first paint, median of %d: kelvotrin %.1f ms, bare Qt window %.1f ms, "
        "ratio %.2f\n",
        rounds, o, b, o / b);
    return 0;
}
