#include <QLocalServer>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include "platform/instancechannel.h"

using kv::InstanceChannel;

namespace {

const QString kCaption = QStringLiteral("Кельвотрин");

// Claims from another thread, as a second program start would (it blocks until answered).
InstanceChannel::Claim claimFromThread(const QString& folder, const QString& caption) {
    InstanceChannel::Claim result = InstanceChannel::Claim::Failed;
    QThread* t = QThread::create([&] {
        InstanceChannel second(QStringLiteral("TForm1"), caption, folder);
        result = second.claim(1026, 1, 1);
    });
    t->start();
    while (!t->wait(10)) {
        QCoreApplication::processEvents();
    }
    delete t;
    return result;
}

QString probePath() {
    return QCoreApplication::applicationDirPath() + QStringLiteral("/instance_probe");
}

}  // namespace

class TestInstanceChannel : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void secondStartHandsOverTheShowRequest() {
        QTemporaryDir dir;
        InstanceChannel first(QStringLiteral("TForm1"), kCaption, dir.path());
        QSignalSpy spy(&first, &InstanceChannel::messageReceived);
        QCOMPARE(first.claim(1026, 1, 1), InstanceChannel::Claim::Listening);

        QCOMPARE(claimFromThread(dir.path(), kCaption), InstanceChannel::Claim::HandedOver);
        QCOMPARE(spy.count(), 1);
        QCOMPARE(spy[0][0].toUInt(), 1026u);
        QCOMPARE(spy[0][1].toInt(), 1);
        QCOMPARE(spy[0][2].toInt(), 1);

        // Only the same user may connect.
        struct stat st {};
        QCOMPARE(::stat(QFile::encodeName(first.serverPath()).constData(), &st), 0);
        QCOMPARE(st.st_mode & 077, 0u);
    }

    void theCaptionIsPartOfTheIdentity() {
        QTemporaryDir dir;
        InstanceChannel russian(QStringLiteral("TForm1"), kCaption, dir.path());
        QCOMPARE(russian.claim(1026, 1, 1), InstanceChannel::Claim::Listening);
        // A copy whose language file names English looks for "Kelvotrin" and finds nobody.
        InstanceChannel english(QStringLiteral("TForm1"), QStringLiteral("Kelvotrin"), dir.path());
        QCOMPARE(english.claim(1026, 1, 1), InstanceChannel::Claim::Listening);

        // The caption follows a language change: the new name is reachable, the old one free.
        InstanceChannel follows(QStringLiteral("TForm1"), QStringLiteral("Other"), dir.path());
        QCOMPARE(follows.claim(1026, 1, 1), InstanceChannel::Claim::Listening);
        follows.setCaption(QStringLiteral("Renamed"));
        QCOMPARE(claimFromThread(dir.path(), QStringLiteral("Renamed")),
                 InstanceChannel::Claim::HandedOver);
        InstanceChannel old(QStringLiteral("TForm1"), QStringLiteral("Other"), dir.path());
        QCOMPARE(old.claim(1026, 1, 1), InstanceChannel::Claim::Listening);
    }

    void aSocketLeftByACrashIsReplaced() {
        QTemporaryDir dir;
        InstanceChannel probe(QStringLiteral("TForm1"), kCaption, dir.path());
        const QByteArray path = QFile::encodeName(probe.serverPath());
        // A bound socket file whose owner is gone.
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un addr{};
        addr.sun_family = AF_UNIX;
        std::strncpy(addr.sun_path, path.constData(), sizeof addr.sun_path - 1);
        QCOMPARE(::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
        ::close(fd);
        QVERIFY(QFile::exists(probe.serverPath()));

        QCOMPARE(probe.claim(1026, 1, 1), InstanceChannel::Claim::Listening);
        QCOMPARE(claimFromThread(dir.path(), kCaption), InstanceChannel::Claim::HandedOver);
    }

    void simultaneousStartsLeaveExactlyOne() {
        QTemporaryDir dir;
        constexpr int kStarts = 6;
        QList<QProcess*> starts;
        for (int i = 0; i < kStarts; ++i) {
            auto* p = new QProcess(this);
            p->start(probePath(), {dir.path(), kCaption, QStringLiteral("4000")});
            starts << p;
        }
        int listening = 0;
        int handedOver = 0;
        QString listenerOutput;
        for (QProcess* p : starts) {
            QVERIFY(p->waitForFinished(15000));
            const QString out = QString::fromUtf8(p->readAllStandardOutput());
            if (out.startsWith(u"listening")) {
                ++listening;
                listenerOutput = out;
            } else if (out.startsWith(u"handed-over")) {
                ++handedOver;
            }
        }
        qDeleteAll(starts);
        QCOMPARE(listening, 1);
        QCOMPARE(handedOver, kStarts - 1);
        QCOMPARE(listenerOutput.count(QStringLiteral("message 1026 1 1")), kStarts - 1);
    }
};

QTEST_GUILESS_MAIN(TestInstanceChannel)
#include "tst_instancechannel.moc"
