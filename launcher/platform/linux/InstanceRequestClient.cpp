#include "launcher/platform/linux/InstanceRequestClient.h"

#include "launcher/platform/linux/InstanceRequest.h"
#include "launcher/platform/linux/PrivateFolder.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <sys/socket.h>
#include <sys/time.h>
#include <sys/un.h>
#include <unistd.h>
#include <variant>

namespace trovi {

namespace {

using Outcome = InstanceDelivery::Outcome;

// Bounds each blocking call by what is left of the deadline.
void setTimeouts(int fd, QDeadlineTimer deadline, qint64 minimumMilliseconds) {
    const qint64 milliseconds = std::max(deadline.remainingTime(), minimumMilliseconds);
    timeval tv{};
    tv.tv_sec = time_t(milliseconds / 1000);
    tv.tv_usec = suseconds_t((milliseconds % 1000) * 1000);
    ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &tv, sizeof tv);
    ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
}

struct Socket {
    int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    ~Socket() {
        if (fd >= 0)
            ::close(fd);
    }
};

} // namespace

InstanceDelivery deliverInstanceRequest(const QString& folderPath, const QString& name,
                                        const QByteArray& line, QDeadlineTimer deadline) {
    auto opened = PrivateFolder::open(folderPath);
    if (const auto* problem = std::get_if<QString>(&opened))
        return {Outcome::refused, *problem};
    const PrivateFolder& folder = std::get<PrivateFolder>(opened);

    Socket socket;
    if (socket.fd < 0)
        return {Outcome::notListening, QString::fromLocal8Bit(std::strerror(errno))};
    // A full backlog makes connect wait: never past the deadline.
    setTimeouts(socket.fd, deadline, 50);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray path = folder.socketAddress(name);
    std::memcpy(address.sun_path, path.constData(), size_t(path.size()));
    if (::connect(socket.fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0)
        return {Outcome::notListening, QString::fromLocal8Bit(std::strerror(errno))};

    ucred credentials{};
    socklen_t length = sizeof credentials;
    if (::getsockopt(socket.fd, SOL_SOCKET, SO_PEERCRED, &credentials, &length) != 0 ||
        credentials.uid != ::geteuid())
        return {Outcome::refused, QStringLiteral("the socket is served by another user")};

    // Once connected, the answer gets a few seconds even past the deadline: a
    // busy launcher may read the line late, and a resend would apply it twice.
    setTimeouts(socket.fd, deadline, 5000);
    const QByteArray message = line + '\n';
    for (qsizetype sent = 0; sent < message.size();) {
        const ssize_t count = ::send(socket.fd, message.constData() + sent,
                                     size_t(message.size() - sent), MSG_NOSIGNAL);
        if (count < 0 && errno == EINTR)
            continue;
        if (count < 0) {
            // Turned away before reading anything: nothing was applied.
            if (errno == EPIPE || errno == ECONNRESET)
                return {Outcome::notListening, QString::fromLocal8Bit(std::strerror(errno))};
            return {Outcome::noAnswer, QString::fromLocal8Bit(std::strerror(errno))};
        }
        sent += count;
    }

    QByteArray reply;
    while (!reply.contains('\n') && reply.size() < kMaximumInstanceReplyLine) {
        char chunk[256];
        const ssize_t count = ::recv(socket.fd, chunk, sizeof chunk, 0);
        if (count < 0 && errno == EINTR)
            continue;
        if (count == 0 || (count < 0 && errno == ECONNRESET))
            return {Outcome::notListening, QStringLiteral("the launcher closed the connection")};
        if (count < 0)
            return {Outcome::noAnswer, QStringLiteral("the running launcher did not answer")};
        reply.append(chunk, count);
    }
    reply = reply.left(reply.indexOf('\n'));
    if (reply == kInstanceReplyOk)
        return {Outcome::delivered, {}};
    if (reply.startsWith(QByteArray(kInstanceReplyOk).append(' ')))
        return {Outcome::delivered,
                QString::fromUtf8(reply.mid(qsizetype(sizeof kInstanceReplyOk)))};
    QString shown = QString::fromUtf8(reply.left(200));
    std::replace_if(
        shown.begin(), shown.end(), [](QChar c) { return !c.isPrint(); }, u'?');
    return {Outcome::refused,
            QStringLiteral("the running launcher refused the request: %1").arg(shown)};
}

} // namespace trovi
