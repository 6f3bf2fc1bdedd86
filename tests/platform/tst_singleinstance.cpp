// The running launcher's socket under misbehaving peers, and where the lock and
// socket may live: real sockets and folders, the server in this process and
// each well-behaved sender on a thread of its own, as a second launch would be.

#include "launcher/platform/linux/InstanceRequestClient.h"
#include "launcher/platform/linux/SingleInstance.h"

#include <QFileInfo>
#include <QTemporaryDir>
#include <QtConcurrent/QtConcurrentRun>
#include <QtTest>

#include <cerrno>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

using namespace trovi;

namespace {

struct Holder {
    std::unique_ptr<SingleInstanceController> controller;
    QList<DuplicateLaunchRequest> received;
};

SingleInstanceConfiguration configurationIn(const QString& directory) {
    SingleInstanceConfiguration configuration;
    configuration.directory = directory;
    configuration.handOverTimeout = std::chrono::seconds(30);
    return configuration;
}

// Takes the lock and listens, recording every request it is handed.
std::unique_ptr<Holder> hold(const SingleInstanceConfiguration& configuration) {
    auto holder = std::make_unique<Holder>();
    auto started = SingleInstanceController::start(configuration, {});
    auto* run = std::get_if<SingleInstanceController::Run>(&started);
    if (!run)
        return nullptr;
    holder->controller = std::move(run->controller);
    QString error;
    if (!holder->controller->listen(&error)) {
        qWarning("listen: %s", qPrintable(error));
        return nullptr;
    }
    holder->controller->setDuplicateLaunchHandler(
        [h = holder.get()](const QList<DuplicateLaunchRequest>& requests) {
            h->received += requests;
        });
    return holder;
}

// A second launch asking for `argument`, sent from another thread so that this
// thread's event loop can serve it.
QFuture<InstanceDelivery> launchWith(const SingleInstanceConfiguration& configuration,
                                     const QString& argument) {
    DuplicateLaunchRequest request;
    request.arguments = QStringList{argument};
    request.createdAt = QDateTime::currentDateTimeUtc();
    return QtConcurrent::run([configuration, request] {
        return deliverInstanceRequest(configuration.lockDirectory(), configuration.socketName(),
                                      encodeInstanceRequest(request), QDeadlineTimer(60000));
    });
}

int connectTo(const SingleInstanceConfiguration& configuration) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray path =
        QFile::encodeName(configuration.lockDirectory() + u'/' + configuration.socketName());
    std::memcpy(address.sun_path, path.constData(), size_t(path.size()));
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

// True once the server has closed the connection (the peer reads end of file
// or a reset), without waiting on the socket.
bool closedByServer(int fd) {
    char byte;
    const ssize_t count = ::recv(fd, &byte, 1, MSG_DONTWAIT);
    return count == 0 || (count < 0 && errno != EAGAIN && errno != EWOULDBLOCK);
}

enum class Misbehaviour { silentBeyondTheCap, lineWithoutEnd, outOfDescriptors };

} // namespace

class TestSingleInstance : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void misbehavingPeersLoseTheirPlaceNotTheServer_data() {
        QTest::addColumn<Misbehaviour>("misbehaviour");
        QTest::addRow("silent peers beyond the cap") << Misbehaviour::silentBeyondTheCap;
        QTest::addRow("400 KB without a line feed") << Misbehaviour::lineWithoutEnd;
        QTest::addRow("accept runs out of descriptors") << Misbehaviour::outOfDescriptors;
    }
    void misbehavingPeersLoseTheirPlaceNotTheServer() {
        QFETCH(Misbehaviour, misbehaviour);
        QTemporaryDir dir;
        SingleInstanceConfiguration configuration = configurationIn(dir.path());
        configuration.serverLimits.maximumClients = 4;
        // Only silent peers should meet the idle limit.
        configuration.serverLimits.clientIdleTimeout =
            misbehaviour == Misbehaviour::silentBeyondTheCap ? std::chrono::milliseconds(300)
                                                             : std::chrono::minutes(10);
        auto holder = hold(configuration);
        QVERIFY(holder);

        QList<int> peers;
        if (misbehaviour == Misbehaviour::silentBeyondTheCap) {
            for (int i = 0; i < 12; ++i)
                peers.append(connectTo(configuration));
        } else if (misbehaviour == Misbehaviour::lineWithoutEnd) {
            const int fd = connectTo(configuration);
            peers.append(fd);
            const QByteArray chunk(64 * 1024, 'x');
            ::fcntl(fd, F_SETFL, O_NONBLOCK);
            int sent = 0;
            QTRY_VERIFY_WITH_TIMEOUT(
                [&] {
                    if (sent < 400 * 1024 &&
                        ::send(fd, chunk.constData(), size_t(chunk.size()), MSG_NOSIGNAL) > 0)
                        sent += int(chunk.size());
                    return closedByServer(fd);
                }(),
                30000);
        } else {
            // Peers wait in the backlog, then descriptors run out before the
            // server accepts them.
            for (int i = 0; i < 3; ++i)
                peers.append(connectTo(configuration));
            rlimit saved{};
            ::getrlimit(RLIMIT_NOFILE, &saved);
            const int probe = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
            ::close(probe);
            rlimit tight = saved;
            tight.rlim_cur = rlim_t(probe); // the next descriptor is refused
            QVERIFY(::setrlimit(RLIMIT_NOFILE, &tight) == 0);
            const bool turnedAway = QTest::qWaitFor(
                [&] { return std::all_of(peers.cbegin(), peers.cend(), closedByServer); }, 30000);
            ::setrlimit(RLIMIT_NOFILE, &saved);
            QVERIFY(turnedAway);
        }
        for (int fd : std::as_const(peers))
            QVERIFY(fd >= 0);
        QTRY_VERIFY_WITH_TIMEOUT(std::all_of(peers.cbegin(), peers.cend(), closedByServer), 30000);
        for (int fd : std::as_const(peers))
            ::close(fd);

        // The server is still there for a well-behaved launch.
        auto delivery = launchWith(configuration, "--show");
        QTRY_VERIFY_WITH_TIMEOUT(delivery.isFinished(), 60000);
        QCOMPARE(delivery.result().outcome, InstanceDelivery::Outcome::delivered);
        QTRY_COMPARE_WITH_TIMEOUT(holder->received.size(), 1, 30000);
        QCOMPARE(holder->received.first().arguments, QStringList{"--show"});
    }

    void aLongFolderPathKeepsTheSocketInside() {
        QTemporaryDir dir;
        // Too long for a socket address, so no plain path to it can be bound.
        const QString deep = dir.path() + "/" + QString(120, u'd');
        const SingleInstanceConfiguration configuration = configurationIn(deep);
        auto holder = hold(configuration);
        QVERIFY(holder);
        const QFileInfo socket(configuration.lockDirectory() + u'/' + configuration.socketName());
        QVERIFY(socket.exists());
        QCOMPARE(socket.ownerId(), ::geteuid());
        struct stat folder {};
        QCOMPARE(::stat(QFile::encodeName(configuration.lockDirectory()).constData(), &folder), 0);
        QCOMPARE(folder.st_mode & 0777, 0700u);

        auto delivery = launchWith(configuration, "--settings");
        QTRY_VERIFY_WITH_TIMEOUT(delivery.isFinished(), 60000);
        QCOMPARE(delivery.result().outcome, InstanceDelivery::Outcome::delivered);
        QTRY_COMPARE_WITH_TIMEOUT(holder->received.size(), 1, 30000);
    }
};

QTEST_GUILESS_MAIN(TestSingleInstance)
#include "tst_singleinstance.moc"
