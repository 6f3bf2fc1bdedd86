#include "launcher/platform/linux/InstanceRequestServer.h"

#include "launcher/platform/linux/InstanceRequest.h"
#include "launcher/platform/linux/PrivateFolder.h"

#include <QFile>
#include <QPointer>
#include <QSocketNotifier>
#include <QTimer>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace trovi {

struct InstanceRequestServer::Client {
    int fd = -1;
    quint64 serial = 0;
    QByteArray buffer;
    // One request at a time: later lines wait until this one is answered.
    bool awaitingAnswer = false;
    QByteArray outgoing;
    std::unique_ptr<QSocketNotifier> notifier;
    std::unique_ptr<QSocketNotifier> writeNotifier;
    std::unique_ptr<QTimer> idle;
    ~Client() {
        notifier.reset();
        writeNotifier.reset();
        ::close(fd);
    }
};

namespace {

int openReserve() {
    return ::open("/dev/null", O_RDONLY | O_CLOEXEC);
}

bool sameUser(int fd) {
    ucred credentials{};
    socklen_t length = sizeof credentials;
    return ::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &credentials, &length) == 0 &&
           credentials.uid == ::geteuid();
}

} // namespace

InstanceRequestServer::InstanceRequestServer(Handler handler, InstanceRequestServerLimits limits,
                                             QObject* parent)
    : QObject(parent), m_handler(std::move(handler)), m_limits(limits) {}

InstanceRequestServer::~InstanceRequestServer() {
    m_clients.clear();
    m_dropped.clear();
    delete m_acceptNotifier;
    if (m_listener >= 0) {
        ::close(m_listener);
        ::unlink(m_socketPath.constData());
    }
    if (m_reserve >= 0)
        ::close(m_reserve);
}

bool InstanceRequestServer::listen(const PrivateFolder& folder, const QString& name,
                                   QString* errorMessage) {
    auto fail = [&](const QString& what) {
        if (errorMessage)
            *errorMessage =
                what + QStringLiteral(": ") + QString::fromLocal8Bit(std::strerror(errno));
        if (m_listener >= 0)
            ::close(m_listener);
        m_listener = -1;
        return false;
    };
    const QByteArray encodedName = QFile::encodeName(name);
    if (::unlinkat(folder.descriptor(), encodedName.constData(), 0) != 0 && errno != ENOENT)
        return fail(QStringLiteral("cannot remove the old socket"));
    m_listener = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (m_listener < 0)
        return fail(QStringLiteral("cannot create a socket"));
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray path = folder.socketAddress(name);
    std::memcpy(address.sun_path, path.constData(), size_t(path.size()));
    if (::bind(m_listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0)
        return fail(QStringLiteral("cannot bind the socket"));
    ::fchmodat(folder.descriptor(), encodedName.constData(), 0600, 0);
    if (::listen(m_listener, 64) != 0)
        return fail(QStringLiteral("cannot listen on the socket"));
    m_socketPath = QFile::encodeName(folder.path() + u'/' + name);
    m_reserve = openReserve();

    m_acceptNotifier = new QSocketNotifier(m_listener, QSocketNotifier::Read, this);
    connect(m_acceptNotifier, &QSocketNotifier::activated, this, [this] { acceptPending(); });
    m_retryTimer = new QTimer(this);
    m_retryTimer->setSingleShot(true);
    m_retryTimer->setInterval(100);
    connect(m_retryTimer, &QTimer::timeout, this, [this] {
        if (m_reserve < 0)
            m_reserve = openReserve();
        m_acceptNotifier->setEnabled(true);
        acceptPending();
    });
    return true;
}

void InstanceRequestServer::pauseAccepting() {
    m_acceptNotifier->setEnabled(false);
    if (!m_retryTimer->isActive())
        m_retryTimer->start();
}

void InstanceRequestServer::acceptPending() {
    while (int(m_clients.size()) < m_limits.maximumClients) {
        const int fd = ::accept4(m_listener, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd < 0) {
            const int error = errno;
            if (error == EAGAIN || error == EWOULDBLOCK)
                return;
            if (error == EINTR || error == ECONNABORTED || error == EPROTO)
                continue;
            if ((error == EMFILE || error == ENFILE) && m_reserve >= 0) {
                // Out of descriptors: turn this peer away so it does not spin
                // the loop, and keep serving once descriptors come back.
                ::close(m_reserve);
                const int turnedAway = ::accept4(m_listener, nullptr, nullptr, SOCK_CLOEXEC);
                const int acceptError = errno;
                if (turnedAway >= 0)
                    ::close(turnedAway);
                m_reserve = openReserve();
                // Accept reports the missing descriptor before an empty
                // backlog, so stop once nobody was waiting.
                if (turnedAway < 0 && (acceptError == EAGAIN || acceptError == EWOULDBLOCK))
                    return;
                if (m_reserve >= 0)
                    continue;
            }
            pauseAccepting();
            return;
        }
        if (!sameUser(fd)) {
            ::close(fd);
            continue;
        }
        auto client = std::make_unique<Client>();
        client->fd = fd;
        client->serial = ++m_nextSerial;
        client->notifier = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
        connect(client->notifier.get(), &QSocketNotifier::activated, this,
                [this, fd] { readFrom(fd); });
        client->idle = std::make_unique<QTimer>();
        client->idle->setSingleShot(true);
        connect(client->idle.get(), &QTimer::timeout, this, [this, fd] { drop(fd); });
        client->idle->start(m_limits.clientIdleTimeout);
        m_clients.emplace(fd, std::move(client));
    }
    // Full: the rest wait in the backlog until a peer leaves.
    m_acceptNotifier->setEnabled(false);
}

void InstanceRequestServer::readFrom(int fd) {
    auto found = m_clients.find(fd);
    if (found == m_clients.end())
        return;
    Client& client = *found->second;
    char chunk[4096];
    for (;;) {
        const ssize_t count = ::read(fd, chunk, sizeof chunk);
        if (count == 0 || (count < 0 && errno != EAGAIN && errno != EINTR)) {
            drop(fd);
            return;
        }
        if (count < 0) {
            if (errno == EINTR)
                continue;
            break;
        }
        client.buffer.append(chunk, count);
        if (client.buffer.size() > kMaximumInstanceRequestLine + 1) {
            drop(fd);
            return;
        }
    }
    answerLines(fd);
}

void InstanceRequestServer::answerLines(int fd) {
    auto found = m_clients.find(fd);
    if (found == m_clients.end())
        return;
    Client& client = *found->second;
    qsizetype newline;
    while (!client.awaitingAnswer && (newline = client.buffer.indexOf('\n')) >= 0) {
        const QByteArray line = client.buffer.left(newline);
        client.buffer.remove(0, newline + 1);
        if (line.size() > kMaximumInstanceRequestLine) {
            drop(fd);
            return;
        }
        client.awaitingAnswer = true;
        // The answer's own time: the handler bounds it, not the idle limit.
        client.idle->stop();
        QPointer<InstanceRequestServer> alive(this);
        const quint64 serial = client.serial;
        m_handler(line, [alive, fd, serial](const QByteArray& answer) {
            if (alive)
                alive->sendReply(fd, serial, answer);
        });
        // Answered at once (and sent, or the peer dropped), or later.
        if (!alive || m_clients.find(fd) == m_clients.end())
            return;
    }
    if (client.buffer.size() > kMaximumInstanceRequestLine)
        drop(fd);
}

void InstanceRequestServer::sendReply(int fd, quint64 serial, const QByteArray& answer) {
    auto found = m_clients.find(fd);
    if (found == m_clients.end() || found->second->serial != serial ||
        !found->second->awaitingAnswer)
        return; // the peer left while its answer was being made
    found->second->outgoing = answer + '\n';
    flush(fd);
}

void InstanceRequestServer::flush(int fd) {
    auto found = m_clients.find(fd);
    if (found == m_clients.end())
        return;
    Client& client = *found->second;
    while (!client.outgoing.isEmpty()) {
        const ssize_t count = ::send(fd, client.outgoing.constData(),
                                     size_t(client.outgoing.size()), MSG_NOSIGNAL | MSG_DONTWAIT);
        if (count < 0 && errno == EINTR)
            continue;
        if (count < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            // A long answer goes out as the peer reads; one that stops reading
            // is dropped by the idle limit.
            if (!client.writeNotifier) {
                client.writeNotifier =
                    std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Write);
                connect(client.writeNotifier.get(), &QSocketNotifier::activated, this,
                        [this, fd] { flush(fd); });
            }
            client.writeNotifier->setEnabled(true);
            client.idle->start(m_limits.clientIdleTimeout);
            return;
        }
        if (count < 0) {
            drop(fd);
            return;
        }
        client.outgoing.remove(0, count);
    }
    if (client.writeNotifier)
        client.writeNotifier->setEnabled(false);
    client.awaitingAnswer = false;
    // Only a whole exchange buys more time, so a trickle cannot hold a place.
    client.idle->start(m_limits.clientIdleTimeout);
    // Sent from inside a notifier's signal or a handler: later lines are read
    // from the event loop.
    QTimer::singleShot(0, this, [this, fd, serial = client.serial] {
        auto again = m_clients.find(fd);
        if (again != m_clients.end() && again->second->serial == serial)
            answerLines(fd);
    });
}

void InstanceRequestServer::drop(int fd) {
    auto found = m_clients.find(fd);
    if (found == m_clients.end())
        return;
    // Closed later: this may run inside the client's own notifier signal.
    std::unique_ptr<Client> client = std::move(found->second);
    m_clients.erase(found);
    client->notifier->setEnabled(false);
    if (client->writeNotifier)
        client->writeNotifier->setEnabled(false);
    client->idle->stop();
    if (m_dropped.empty())
        QTimer::singleShot(0, this, [this] { m_dropped.clear(); });
    m_dropped.push_back(std::move(client));
    if (m_listener >= 0 && !m_retryTimer->isActive())
        m_acceptNotifier->setEnabled(true);
}

} // namespace trovi
