#include <QLocalServer>
#include <QLocalSocket>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QtEndian>
#include <functional>
#include <memory>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>
#include <csignal>

#include "platform/instancechannel.h"

using kv::InstanceChannel;

namespace {

const QString kCaption = QStringLiteral("Кельвотрин");

// Runs `work` on another thread, as another program would (it blocks until answered), while
// this one answers.
void fromThread(const std::function<void()>& work) {
    const std::unique_ptr<QThread> t(QThread::create(work));
    t->start();
    while (!t->wait(10)) {
        QCoreApplication::processEvents();
    }
}

InstanceChannel::Claim claimFromThread(const QString& folder, const QString& caption) {
    InstanceChannel::Claim result = InstanceChannel::Claim::Failed;
    fromThread(
        [&] { result = InstanceChannel(QStringLiteral("TForm1"), caption, folder).claim(); });
    return result;
}

// Whether the window message `message`, its parameters 1 and `lParam`, was answered.
bool sendFromThread(const QString& path, quint32 message, qint32 lParam) {
    bool answered = false;
    fromThread([&] {
        QLocalSocket socket;
        socket.connectToServer(path);
        const quint32 packet[] = {qToLittleEndian(message), qToLittleEndian(1u),
                                  qToLittleEndian(quint32(lParam))};
        answered = socket.waitForConnected(2000) &&
                   socket.write(reinterpret_cast<const char*>(packet), sizeof packet) > 0 &&
                   socket.waitForReadyRead(5000);
    });
    return answered;
}

QString probePath() {
    return QCoreApplication::applicationDirPath() + QStringLiteral("/instance_probe");
}

constexpr uid_t kOtherUser = 65534;

sockaddr_un socketAddress(const QByteArray& path) {
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    std::strncpy(addr.sun_path, path.constData(), sizeof addr.sun_path - 1);
    return addr;
}

}  // namespace

class TestInstanceChannel : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // On the wire, window messages: the second start's show request (1026 with both parameters
    // 1), and also the tray icon's mouse messages (1025, its last parameter the left button's up,
    // its double click or the right button's up); anything else is answered and dropped.
    void secondStartHandsOverTheShowRequest() {
        QTemporaryDir dir;
        InstanceChannel first(QStringLiteral("TForm1"), kCaption, dir.path());
        QSignalSpy shows(&first, &InstanceChannel::showRequested);
        QList<kv::TrayClick> clicks;
        connect(&first, &InstanceChannel::trayClicked, this, [&](auto click) { clicks << click; });
        QCOMPARE(first.claim(), InstanceChannel::Claim::Listening);

        QCOMPARE(claimFromThread(dir.path(), kCaption), InstanceChannel::Claim::HandedOver);
        for (const auto& [message, lParam] : {std::pair{1026u, 1},
                                              {1025u, 514},
                                              {1025u, 515},
                                              {1025u, 517},
                                              {1025u, 512},
                                              {1027u, 514}}) {
            QVERIFY(sendFromThread(first.serverPath(), message, lParam));
        }
        QCOMPARE(shows.count(), 2);
        QCOMPARE(clicks, (QList<kv::TrayClick>{kv::TrayClick::Click, kv::TrayClick::DoubleClick,
                                               kv::TrayClick::ContextMenu}));

        // Only the same user may connect.
        struct stat st {};
        QCOMPARE(::stat(QFile::encodeName(first.serverPath()).constData(), &st), 0);
        QCOMPARE(st.st_mode & 077, 0u);
    }

    void theCaptionIsPartOfTheIdentity() {
        QTemporaryDir dir;
        InstanceChannel russian(QStringLiteral("TForm1"), kCaption, dir.path());
        QCOMPARE(russian.claim(), InstanceChannel::Claim::Listening);
        // A copy whose language file names English looks for "Kelvotrin" and finds nobody.
        InstanceChannel english(QStringLiteral("TForm1"), QStringLiteral("Kelvotrin"), dir.path());
        QCOMPARE(english.claim(), InstanceChannel::Claim::Listening);

        // The caption follows a language change: the new name is reachable, the old one free.
        InstanceChannel follows(QStringLiteral("TForm1"), QStringLiteral("Other"), dir.path());
        QCOMPARE(follows.claim(), InstanceChannel::Claim::Listening);
        follows.setCaption(QStringLiteral("Renamed"));
        QCOMPARE(claimFromThread(dir.path(), QStringLiteral("Renamed")),
                 InstanceChannel::Claim::HandedOver);
        InstanceChannel old(QStringLiteral("TForm1"), QStringLiteral("Other"), dir.path());
        QCOMPARE(old.claim(), InstanceChannel::Claim::Listening);
    }

    void aSocketLeftByACrashIsReplaced() {
        QTemporaryDir dir;
        InstanceChannel probe(QStringLiteral("TForm1"), kCaption, dir.path());
        const QByteArray path = QFile::encodeName(probe.serverPath());
        // A bound socket file whose owner is gone.
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        const sockaddr_un addr = socketAddress(path);
        QCOMPARE(::bind(fd, reinterpret_cast<const sockaddr*>(&addr), sizeof addr), 0);
        ::close(fd);
        QVERIFY(QFile::exists(probe.serverPath()));

        QCOMPARE(probe.claim(), InstanceChannel::Claim::Listening);
        QCOMPARE(claimFromThread(dir.path(), kCaption), InstanceChannel::Claim::HandedOver);
    }

    // A folder that others may enter, or that another user made first (say, the fallback folder
    // under a shared temporary folder), carries no channel.
    void onlyAPrivateFolderIsUsed() {
        QTemporaryDir shared;
        ::chmod(QFile::encodeName(shared.path()).constData(), 01777);
        InstanceChannel inShared(QStringLiteral("TForm1"), kCaption, shared.path());
        QCOMPARE(inShared.claim(), InstanceChannel::Claim::Failed);

        // A shared runtime folder is passed over for a private one under the temporary folder.
        const QByteArray oldRuntime = qgetenv("XDG_RUNTIME_DIR");
        const QByteArray oldTemp = qgetenv("TMPDIR");
        QTemporaryDir temp;
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(shared.path()));
        qputenv("TMPDIR", QFile::encodeName(temp.path()));
        InstanceChannel fallback(QStringLiteral("TForm1"), kCaption);
        QCOMPARE(fallback.claim(), InstanceChannel::Claim::Listening);
        QVERIFY(fallback.serverPath().startsWith(temp.path() + u'/'));

        if (::geteuid() == 0) {
            QTemporaryDir squatted;
            const QByteArray made = QFile::encodeName(
                squatted.path() + QStringLiteral("/kelvotrin-%1").arg(::geteuid()));
            QCOMPARE(::mkdir(made.constData(), 0700), 0);
            QCOMPARE(::chown(made.constData(), kOtherUser, kOtherUser), 0);
            qputenv("TMPDIR", QFile::encodeName(squatted.path()));
            InstanceChannel late(QStringLiteral("TForm1"), kCaption);
            QCOMPARE(late.claim(), InstanceChannel::Claim::Failed);
        }
        qputenv("XDG_RUNTIME_DIR", oldRuntime);
        qputenv("TMPDIR", oldTemp);
    }

    // A listener of another user that answers like a running copy is not handed the message.
    void aPeerOfAnotherUserIsIgnored() {
        if (::geteuid() != 0) {
            QSKIP("needs root to act as another user");
        }
        QTemporaryDir dir;
        InstanceChannel second(QStringLiteral("TForm1"), kCaption, dir.path());
        const sockaddr_un addr = socketAddress(QFile::encodeName(second.serverPath()));
        int ready[2];
        QCOMPARE(::pipe(ready), 0);
        const pid_t child = ::fork();
        if (child == 0) {
            ::alarm(10);  // never outlives a failed test for long
            const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
            if (::bind(fd, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) == 0 &&
                ::setuid(kOtherUser) == 0 && ::listen(fd, 4) == 0) {
                [[maybe_unused]] auto w = ::write(ready[1], "r", 1);
                const int c = ::accept(fd, nullptr, nullptr);
                char packet[12];
                if (::read(c, packet, sizeof packet) > 0) {
                    w = ::write(c, "\1", 1);
                    w = ::read(c, packet, 1);  // until the other end lets go
                }
            }
            ::_exit(0);
        }
        char r;
        QCOMPARE(::read(ready[0], &r, 1), 1);
        ::close(ready[0]);
        ::close(ready[1]);
        QCOMPARE(second.claim(), InstanceChannel::Claim::Failed);
        ::waitpid(child, nullptr, 0);
    }

    // The program folder lock keeps a second copy off the tables when the channel cannot.
    void theProgramFolderHasOneHolder() {
        QTemporaryDir folder;
        {
            kv::ProgramFolderLock running(folder.path());
            QVERIFY(running.acquire(0));
            kv::ProgramFolderLock second(folder.path());
            QVERIFY(!second.acquire(100));
        }
        kv::ProgramFolderLock next(folder.path());
        QVERIFY(next.acquire(0));
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
        QCOMPARE(listenerOutput.count(QStringLiteral("show request")), kStarts - 1);
    }
};

QTEST_GUILESS_MAIN(TestInstanceChannel)
#include "tst_instancechannel.moc"
