#include "launcher/platform/linux/PrivateFolder.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <utility>

namespace trovi {

namespace {

QString systemError(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

} // namespace

std::variant<PrivateFolder, QString> PrivateFolder::open(const QString& path) {
    const QString parent = QDir::cleanPath(path + QStringLiteral("/.."));
    if (!QDir().mkpath(parent))
        return QStringLiteral("cannot create the folder %1").arg(parent);
    const QByteArray native = QFile::encodeName(path);
    if (::mkdir(native.constData(), 0700) != 0 && errno != EEXIST)
        return QStringLiteral("cannot create the folder %1: %2").arg(path, systemError(errno));
    const int fd = ::open(native.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) {
        const int error = errno;
        return QStringLiteral("cannot open the folder %1: %2")
            .arg(path, error == ELOOP || error == ENOTDIR
                           ? QStringLiteral("it is not a folder but a link or a file")
                           : systemError(error));
    }
    PrivateFolder folder(fd, path);
    // Checked on the opened folder, so nothing can be swapped in between.
    struct stat st {};
    if (::fstat(fd, &st) != 0)
        return QStringLiteral("cannot inspect the folder %1: %2").arg(path, systemError(errno));
    if (st.st_uid != ::geteuid())
        return QStringLiteral("the folder %1 belongs to another user (uid %2)")
            .arg(path)
            .arg(st.st_uid);
    if ((st.st_mode & 077) != 0 &&
        (::fchmod(fd, 0700) != 0 || ::fstat(fd, &st) != 0 || (st.st_mode & 077) != 0))
        return QStringLiteral("the folder %1 is open to other users and cannot be made private")
            .arg(path);
    return folder;
}

PrivateFolder::PrivateFolder(int descriptor, QString path)
    : m_descriptor(descriptor), m_path(std::move(path)) {}

PrivateFolder::PrivateFolder(PrivateFolder&& other) noexcept
    : m_descriptor(std::exchange(other.m_descriptor, -1)), m_path(std::move(other.m_path)) {}

PrivateFolder& PrivateFolder::operator=(PrivateFolder&& other) noexcept {
    if (this != &other) {
        if (m_descriptor >= 0)
            ::close(m_descriptor);
        m_descriptor = std::exchange(other.m_descriptor, -1);
        m_path = std::move(other.m_path);
    }
    return *this;
}

PrivateFolder::~PrivateFolder() {
    if (m_descriptor >= 0)
        ::close(m_descriptor);
}

QByteArray PrivateFolder::socketAddress(const QString& name) const {
    const QByteArray plain = QFile::encodeName(m_path + u'/' + name);
    if (plain.size() < qsizetype(sizeof(sockaddr_un::sun_path)))
        return plain;
    return "/proc/self/fd/" + QByteArray::number(m_descriptor) + '/' + QFile::encodeName(name);
}

} // namespace trovi
