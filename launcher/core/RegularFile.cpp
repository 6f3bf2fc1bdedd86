#include "launcher/core/RegularFile.h"

#include "launcher/core/NativePath.h"

#include <QMutex>
#include <QScopeGuard>
#include <QSet>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace trovi {

namespace {

enum class Opened { ok, missing, notRegular, tooLarge };

struct Descriptor {
    int fd = -1;
    Opened status = Opened::missing;
    qint64 size = 0;
};

Descriptor openRegular(const QString& path, qint64 maxBytes) {
    Descriptor result;
    result.fd = ::open(encodedPath(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (result.fd < 0)
        return result;
    struct stat st {};
    if (::fstat(result.fd, &st) != 0)
        result.status = Opened::missing;
    else if (!S_ISREG(st.st_mode))
        result.status = Opened::notRegular;
    else if (st.st_size > maxBytes)
        result.status = Opened::tooLarge;
    else {
        result.status = Opened::ok;
        result.size = st.st_size;
        return result;
    }
    ::close(result.fd);
    result.fd = -1;
    return result;
}

// File names go to a terminal: control characters are shown escaped.
QString printable(const QString& path) {
    QString shown;
    for (QChar c : path) {
        const char16_t u = c.unicode();
        if (u < 0x20 || u == 0x7f || (u >= 0x80 && u < 0xa0) || (u >= 0xdc80 && u <= 0xdcff))
            shown += QStringLiteral("\\x%1").arg(u & 0xff, 2, 16, QChar(u'0'));
        else
            shown += c;
    }
    return shown;
}

QString skipReason(const QString& path, Opened status, qint64 maxBytes) {
    if (status == Opened::notRegular)
        return QStringLiteral("%1: not a regular file").arg(printable(path));
    return QStringLiteral("%1: larger than %2 MB")
        .arg(printable(path))
        .arg(maxBytes / (1024 * 1024));
}

} // namespace

void warnOnce(const QString& line) {
    static QMutex mutex;
    static QSet<QString> said;
    {
        const QMutexLocker lock(&mutex);
        if (said.contains(line))
            return;
        said.insert(line);
    }
    std::fprintf(stderr, "trovi: %s\n", line.toUtf8().constData());
}

std::optional<QByteArray> readRegularFile(const QString& path, qint64 maxBytes) {
    const Descriptor opened = openRegular(path, maxBytes);
    if (opened.status == Opened::missing)
        return std::nullopt;
    if (opened.status != Opened::ok) {
        warnOnce(QStringLiteral("skipped ") + skipReason(path, opened.status, maxBytes));
        return std::nullopt;
    }
    const auto closeFd = qScopeGuard([fd = opened.fd] { ::close(fd); });
    QByteArray data;
    data.resize(qsizetype(opened.size));
    qsizetype filled = 0;
    while (filled < data.size()) {
        const ssize_t n =
            ::read(opened.fd, data.data() + filled, std::size_t(data.size() - filled));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return std::nullopt;
        if (n == 0)
            break; // shrank while being read
        filled += n;
    }
    data.truncate(filled);
    return data;
}

bool copyRegularFile(const QString& source, const QString& destination, qint64 maxBytes,
                     QString* error) {
    error->clear();
    const Descriptor in = openRegular(source, maxBytes);
    if (in.status == Opened::missing)
        return false;
    if (in.status != Opened::ok) {
        *error = skipReason(source, in.status, maxBytes);
        return false;
    }
    const auto closeIn = qScopeGuard([fd = in.fd] { ::close(fd); });
    const int out = ::open(encodedPath(destination).constData(),
                           O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    // Said by the source's name, which stays the same from one refresh to
    // the next, unlike a temporary destination.
    const auto failed = [&] {
        *error = QStringLiteral("cannot copy %1: %2")
                     .arg(printable(source), QString::fromLocal8Bit(std::strerror(errno)));
        return false;
    };
    if (out < 0)
        return failed();
    const auto closeOut = qScopeGuard([out] { ::close(out); });
    char buffer[64 * 1024];
    qint64 copied = 0;
    for (;;) {
        const ssize_t n = ::read(in.fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return failed();
        if (n == 0)
            break;
        copied += n;
        if (copied > maxBytes) { // grew while being copied
            *error = skipReason(source, Opened::tooLarge, maxBytes);
            return false;
        }
        for (ssize_t written = 0; written < n;) {
            const ssize_t w = ::write(out, buffer + written, std::size_t(n - written));
            if (w < 0 && errno == EINTR)
                continue;
            if (w < 0)
                return failed();
            written += w;
        }
    }
    return true;
}

} // namespace trovi
