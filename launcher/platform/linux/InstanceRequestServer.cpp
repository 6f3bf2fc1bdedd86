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
    QByteArray buffer;
    std::unique_ptr<QSocketNotifier> notifier;
    std::unique_ptr<QTimer> idle;
    ~Client() {
        notifier.reset();
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
        qsizetype newline;
        while ((newline = client.buffer.indexOf('\n')) >= 0) {
            const QByteArray line = client.buffer.left(newline);
            client.buffer.remove(0, newline + 1);
            if (line.size() > kMaximumInstanceRequestLine) {
                drop(fd);
                return;
            }
            QPointer<InstanceRequestServer> alive(this);
            const QByteArray reply = m_handler(line) + '\n';
            if (!alive || m_clients.find(fd) == m_clients.end())
                return;
            if (::send(fd, reply.constData(), size_t(reply.size()), MSG_NOSIGNAL | MSG_DONTWAIT) !=
                ssize_t(reply.size())) {
                drop(fd); // a peer that does not read its answers
                return;
            }
            // Only a whole line buys more time, so a trickle cannot hold a place.
            client.idle->start(m_limits.clientIdleTimeout);
        }
        if (client.buffer.size() > kMaximumInstanceRequestLine) {
            drop(fd);
            return;
        }
    }
}

void InstanceRequestServer::drop(int fd) {
    auto found = m_clients.find(fd);
    if (found == m_clients.end())
        return;
    // Closed later: this may run inside the client's own notifier signal.
    std::unique_ptr<Client> client = std::move(found->second);
    m_clients.erase(found);
    client->notifier->setEnabled(false);
    client->idle->stop();
    if (m_dropped.empty())
        QTimer::singleShot(0, this, [this] { m_dropped.clear(); });
    m_dropped.push_back(std::move(client));
    if (m_listener >= 0 && !m_retryTimer->isActive())
        m_acceptNotifier->setEnabled(true);
}

} // namespace trovi
