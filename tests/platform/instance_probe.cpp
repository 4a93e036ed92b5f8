// A stand-in for a program start: claims the instance channel in the given runtime folder,
// prints what happened and every request received, and stays alive for a while.
#include <QCoreApplication>
#include <QTimer>
#include <cstdio>

#include "platform/instancechannel.h"

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 3) {
        return 2;
    }
    kv::InstanceChannel channel(QStringLiteral("TForm1"), args[2], args[1]);
    QObject::connect(&channel, &kv::InstanceChannel::showRequested, [] {
        std::printf("show request\n");
        std::fflush(stdout);
    });
    switch (channel.claim()) {
        case kv::InstanceChannel::Claim::HandedOver:
            std::printf("handed-over\n");
            return 0;
        case kv::InstanceChannel::Claim::Failed:
            std::printf("failed %s\n", qPrintable(channel.errorText()));
            return 1;
        case kv::InstanceChannel::Claim::Listening:
            std::printf("listening\n");
            std::fflush(stdout);
            break;
    }
    QTimer::singleShot(args.size() > 3 ? args[3].toInt() : 3000, &app, &QCoreApplication::quit);
    return app.exec();
}
