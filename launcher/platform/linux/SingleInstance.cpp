#include "launcher/platform/linux/SingleInstance.h"

#include "launcher/settings/PreferenceKeys.h"
#include "launcher/settings/PreferenceStore.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocalServer>
#include <QLocalSocket>
#include <QPointer>
#include <QSaveFile>
#include <QThread>
#include <QTimer>
#include <QUuid>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <type_traits>
#include <unistd.h>

namespace trovi {

// ---- Configuration --------------------------------------------------------

SingleInstanceConfiguration SingleInstanceConfiguration::standard() {
    SingleInstanceConfiguration configuration;
    configuration.defaults = &PreferenceStore::standard();
    configuration.allowMultipleInstancesKey = preferenceKeys::allowMultipleInstances;
    return configuration;
}

QString SingleInstanceConfiguration::lockDirectory() const {
    QString base = directory;
    if (base.isEmpty()) {
        base = qEnvironmentVariable("XDG_DATA_HOME");
        if (!QDir::isAbsolutePath(base))
            base = QDir::homePath() + QStringLiteral("/.local/share");
    }
    return QDir::cleanPath(base + u'/' + bundleIdentifier);
}

QString SingleInstanceConfiguration::lockPath() const {
    return lockDirectory() + u'/' + lockFileName;
}

QString SingleInstanceConfiguration::duplicateLaunchRequestsPath() const {
    return lockDirectory() + QStringLiteral("/DuplicateLaunchRequests");
}

QString SingleInstanceConfiguration::socketPath() const {
    QString name = lockFileName;
    if (name.endsWith(QStringLiteral(".lock")))
        name.chop(5);
    const QString beside = lockDirectory() + u'/' + name + QStringLiteral(".socket");
    if (beside.toLocal8Bit().size() < qsizetype(sizeof(sockaddr_un::sun_path)))
        return beside;
    const QByteArray digest =
        QCryptographicHash::hash(beside.toUtf8(), QCryptographicHash::Sha1).toHex().left(16);
    return QStringLiteral("/tmp/trovi-%1-%2.socket")
        .arg(::getuid())
        .arg(QString::fromLatin1(digest));
}

namespace {

bool makePrivateDirectory(const QString& path, QString* error) {
    if (!QDir().mkpath(path)) {
        *error = QStringLiteral("cannot create the folder %1").arg(path);
        return false;
    }
    ::chmod(QFile::encodeName(path).constData(), 0700);
    return true;
}

} // namespace

// ---- Request files --------------------------------------------------------

namespace DuplicateLaunchRequestStore {

std::optional<QString> enqueue(const DuplicateLaunchRequest& request,
                               const SingleInstanceConfiguration& configuration) {
    QString error;
    if (!makePrivateDirectory(configuration.lockDirectory(), &error) ||
        !QDir().mkpath(configuration.duplicateLaunchRequestsPath()))
        return error.isEmpty() ? QStringLiteral("cannot create the requests folder") : error;
    QJsonArray urls;
    for (const QUrl& url : request.fileURLs)
        urls.append(url.toString());
    const QJsonObject object{
        {QStringLiteral("arguments"), QJsonArray::fromStringList(request.arguments)},
        {QStringLiteral("fileURLs"), urls},
        {QStringLiteral("createdAt"), request.createdAt.toUTC().toString(Qt::ISODateWithMs)},
    };
    const QString name = QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper();
    QSaveFile file(configuration.duplicateLaunchRequestsPath() + u'/' + name +
                   QStringLiteral(".json"));
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(QJsonDocument(object).toJson(QJsonDocument::Compact)) < 0 || !file.commit())
        return QStringLiteral("cannot write a launch request: %1").arg(file.errorString());
    return std::nullopt;
}

std::optional<QString> post(const DuplicateLaunchRequest& request,
                            const SingleInstanceConfiguration& configuration) {
    std::optional<QString> error;
    if (!request.arguments.isEmpty() || !request.fileURLs.isEmpty())
        error = enqueue(request, configuration);
    // The holder may still be starting: its socket comes up after the lock.
    for (int attempt = 0; attempt < 40; ++attempt) {
        if (sendToRunningInstance(configuration, kActivateLine))
            break;
        QThread::msleep(25);
    }
    return error;
}

QList<DuplicateLaunchRequest> consumePending(const SingleInstanceConfiguration& configuration) {
    QDir folder(configuration.duplicateLaunchRequestsPath());
    QList<DuplicateLaunchRequest> requests;
    const QStringList names = folder.entryList({QStringLiteral("*.json")}, QDir::Files);
    for (const QString& name : names) {
        QFile file(folder.filePath(name));
        if (file.open(QIODevice::ReadOnly)) {
            const QJsonObject object = QJsonDocument::fromJson(file.readAll()).object();
            const QDateTime createdAt = QDateTime::fromString(
                object.value(QStringLiteral("createdAt")).toString(), Qt::ISODateWithMs);
            const QJsonValue arguments = object.value(QStringLiteral("arguments"));
            const QJsonValue urls = object.value(QStringLiteral("fileURLs"));
            if (createdAt.isValid() && arguments.isArray() && urls.isArray()) {
                DuplicateLaunchRequest request;
                request.createdAt = createdAt;
                for (const QJsonValue& v : arguments.toArray())
                    request.arguments.append(v.toString());
                for (const QJsonValue& v : urls.toArray())
                    request.fileURLs.append(QUrl(v.toString()));
                requests.append(request);
            }
        }
        file.remove(); // decoded or not; a failure to delete is ignored
    }
    std::stable_sort(requests.begin(), requests.end(),
                     [](const auto& a, const auto& b) { return a.createdAt < b.createdAt; });
    return requests;
}

} // namespace DuplicateLaunchRequestStore

bool sendToRunningInstance(const SingleInstanceConfiguration& configuration,
                           const QByteArray& line) {
    QLocalSocket socket;
    socket.connectToServer(configuration.socketPath());
    if (!socket.waitForConnected(500))
        return false;
    // Once connected the line counts as sent, even when the flush below is slow:
    // a retry would deliver it twice, and two toggles cancel each other.
    const bool sent = socket.write(line + '\n') >= 0;
    socket.waitForBytesWritten(500);
    socket.disconnectFromServer();
    if (socket.state() != QLocalSocket::UnconnectedState)
        socket.waitForDisconnected(200);
    return sent;
}

// ---- Lock -----------------------------------------------------------------

InstanceLock::InstanceLock(int fileDescriptor, QString lockPath)
    : m_fileDescriptor(fileDescriptor), m_lockPath(std::move(lockPath)) {}

InstanceLock::~InstanceLock() {
    ::close(m_fileDescriptor);
}

std::variant<std::unique_ptr<InstanceLock>, InstanceLock::Error>
InstanceLock::acquire(const QString& lockPath) {
    QString error;
    if (!makePrivateDirectory(QFileInfo(lockPath).absolutePath(), &error))
        return DirectoryFailed{error};
    const QByteArray path = QFile::encodeName(lockPath);
    const int fd = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0)
        return OpenFailed{errno};
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int lockError = errno;
        ::close(fd);
        if (lockError == EWOULDBLOCK)
            return AlreadyRunning{};
        return LockFailed{lockError};
    }
    ::fchmod(fd, 0600);
    const QByteArray pid = QByteArray::number(qint64(::getpid())) + '\n';
    if (::ftruncate(fd, 0) == 0)
        (void)!::pwrite(fd, pid.constData(), size_t(pid.size()), 0);
    return std::unique_ptr<InstanceLock>(new InstanceLock(fd, lockPath));
}

QString InstanceLock::describe(const Error& error) {
    return std::visit(
        [](const auto& e) -> QString {
            using T = std::decay_t<decltype(e)>;
            if constexpr (std::is_same_v<T, OpenFailed>)
                return QStringLiteral("cannot open the lock file: %1")
                    .arg(QString::fromLocal8Bit(std::strerror(e.error)));
            else if constexpr (std::is_same_v<T, LockFailed>)
                return QStringLiteral("cannot lock the lock file: %1")
                    .arg(QString::fromLocal8Bit(std::strerror(e.error)));
            else if constexpr (std::is_same_v<T, DirectoryFailed>)
                return e.message;
            else
                return QStringLiteral("another launcher is running");
        },
        error);
}

// ---- Controller -----------------------------------------------------------

SingleInstanceController::SingleInstanceController(SingleInstanceConfiguration configuration,
                                                   std::unique_ptr<InstanceLock> lock)
    : m_configuration(std::move(configuration)), m_lock(std::move(lock)) {}

SingleInstanceController::~SingleInstanceController() = default;

SingleInstanceController::StartupResult
SingleInstanceController::start(const SingleInstanceConfiguration& configuration,
                                const DuplicateLaunchRequest& request) {
    if (configuration.defaults && !configuration.allowMultipleInstancesKey.isEmpty() &&
        configuration.defaults->boolValue(configuration.allowMultipleInstancesKey).value_or(false))
        return Run{std::unique_ptr<SingleInstanceController>(
            new SingleInstanceController(configuration, nullptr))};

    auto acquired = InstanceLock::acquire(configuration.lockPath());
    if (auto* lock = std::get_if<std::unique_ptr<InstanceLock>>(&acquired))
        return Run{std::unique_ptr<SingleInstanceController>(
            new SingleInstanceController(configuration, std::move(*lock)))};
    const auto& error = std::get<InstanceLock::Error>(acquired);
    (void)DuplicateLaunchRequestStore::post(request, configuration);
    if (std::holds_alternative<InstanceLock::AlreadyRunning>(error))
        return AlreadyRunning{};
    return Failed{InstanceLock::describe(error)};
}

bool SingleInstanceController::listen(QString* errorMessage) {
    if (!m_lock)
        return true; // several instances allowed: nobody to signal
    const QString path = m_configuration.socketPath();
    // Only the lock holder gets here, so an existing socket is a dead one.
    QLocalServer::removeServer(path);
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!m_server->listen(path)) {
        if (errorMessage)
            *errorMessage = m_server->errorString();
        return false;
    }
    ::chmod(QFile::encodeName(path).constData(), 0600);
    connect(m_server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* socket = m_server->nextPendingConnection()) {
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
                while (socket->canReadLine())
                    handleLine(socket->readLine().trimmed());
            });
        }
    });
    return true;
}

void SingleInstanceController::handleLine(const QByteArray& line) {
    if (line == kActivateLine) {
        // Deliver from the event loop, never from inside the socket's signal.
        QTimer::singleShot(0, this, [this] { activate(); });
    } else if (line.startsWith(kNotifyPrefix)) {
        const QString name = QString::fromUtf8(line.mid(qsizetype(std::strlen(kNotifyPrefix))));
        if (m_notificationHandler && !name.isEmpty())
            m_notificationHandler(name);
    }
}

void SingleInstanceController::activate() {
    if (!m_handler) {
        m_pendingActivation = true;
        return;
    }
    m_handler(DuplicateLaunchRequestStore::consumePending(m_configuration));
}

void SingleInstanceController::setDuplicateLaunchHandler(DuplicateLaunchHandler handler) {
    m_handler = std::move(handler);
    if (m_handler && m_pendingActivation) {
        m_pendingActivation = false;
        activate();
    }
}

void SingleInstanceController::setActivationHandler(std::function<void()> handler) {
    setDuplicateLaunchHandler(
        handler
            ? DuplicateLaunchHandler([handler](const QList<DuplicateLaunchRequest>&) { handler(); })
            : DuplicateLaunchHandler());
}

void SingleInstanceController::setNotificationHandler(
    std::function<void(const QString& name)> handler) {
    m_notificationHandler = std::move(handler);
}

} // namespace trovi
