#include "launcher/platform/linux/SingleInstance.h"

#include "launcher/platform/linux/InstanceRequestClient.h"
#include "launcher/platform/linux/PrivateFolder.h"
#include "launcher/settings/PreferenceKeys.h"
#include "launcher/settings/PreferenceStore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QThread>
#include <QTimer>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
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

QString SingleInstanceConfiguration::socketName() const {
    QString name = lockFileName;
    if (name.endsWith(QStringLiteral(".lock")))
        name.chop(5);
    return name + QStringLiteral(".socket");
}

bool sendToRunningInstance(const SingleInstanceConfiguration& configuration,
                           const QByteArray& line) {
    return deliverInstanceRequest(configuration.lockDirectory(), configuration.socketName(), line,
                                  QDeadlineTimer(2000))
               .outcome == InstanceDelivery::Outcome::delivered;
}

// ---- Lock -----------------------------------------------------------------

InstanceLock::InstanceLock(int fileDescriptor, QString lockPath)
    : m_fileDescriptor(fileDescriptor), m_lockPath(std::move(lockPath)) {}

InstanceLock::~InstanceLock() {
    ::close(m_fileDescriptor);
}

std::variant<std::unique_ptr<InstanceLock>, InstanceLock::Error>
InstanceLock::acquire(const QString& lockPath) {
    const QFileInfo info(lockPath);
    auto opened = PrivateFolder::open(info.absolutePath());
    if (auto* problem = std::get_if<QString>(&opened))
        return DirectoryFailed{*problem};
    const PrivateFolder& folder = std::get<PrivateFolder>(opened);
    const QByteArray name = QFile::encodeName(info.fileName());
    const int fd = ::openat(folder.descriptor(), name.constData(),
                            O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0600);
    if (fd < 0)
        return OpenFailed{errno};
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != ::geteuid()) {
        ::close(fd);
        return OpenFailed{EPERM};
    }
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
                return e.error == ELOOP
                           ? QStringLiteral("cannot open the lock file: it is a symbolic link")
                       : e.error == EPERM
                           ? QStringLiteral("cannot use the lock file: it is not a regular file "
                                            "of this user")
                           : QStringLiteral("cannot open the lock file: %1")
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

    const QByteArray line = encodeInstanceRequest(request);
    const QDeadlineTimer deadline(configuration.handOverTimeout);
    InstanceDelivery last;
    for (;;) {
        auto acquired = InstanceLock::acquire(configuration.lockPath());
        if (auto* lock = std::get_if<std::unique_ptr<InstanceLock>>(&acquired))
            return Run{std::unique_ptr<SingleInstanceController>(
                new SingleInstanceController(configuration, std::move(*lock)))};
        const auto& error = std::get<InstanceLock::Error>(acquired);
        // Nothing is sent through a folder that failed its checks.
        if (!std::holds_alternative<InstanceLock::AlreadyRunning>(error))
            return Failed{InstanceLock::describe(error)};
        last = deliverInstanceRequest(configuration.lockDirectory(), configuration.socketName(),
                                      line, deadline);
        if (last.outcome == InstanceDelivery::Outcome::delivered)
            return AlreadyRunning{};
        if (last.outcome != InstanceDelivery::Outcome::notListening || deadline.hasExpired())
            break;
        // The holder is still starting (or just quit): ask again shortly.
        QThread::msleep(25);
    }
    if (last.outcome == InstanceDelivery::Outcome::notListening)
        return NotDelivered{
            QStringLiteral("the running launcher did not listen within %1 seconds (%2)")
                .arg(configuration.handOverTimeout.count() / 1000.0)
                .arg(last.message)};
    return NotDelivered{last.message};
}

bool SingleInstanceController::listen(QString* errorMessage) {
    if (!m_lock)
        return true; // several instances allowed: nobody to signal
    auto opened = PrivateFolder::open(m_configuration.lockDirectory());
    if (auto* problem = std::get_if<QString>(&opened)) {
        if (errorMessage)
            *errorMessage = *problem;
        return false;
    }
    // Requests left as files by earlier versions are never replayed.
    QDir(m_configuration.lockDirectory() + QStringLiteral("/DuplicateLaunchRequests"))
        .removeRecursively();
    m_server = new InstanceRequestServer(
        [this](const QByteArray& line, InstanceRequestServer::Reply reply) {
            receive(line, std::move(reply));
        },
        m_configuration.serverLimits, this);
    if (!m_server->listen(std::get<PrivateFolder>(opened), m_configuration.socketName(),
                          errorMessage)) {
        delete m_server;
        m_server = nullptr;
        return false;
    }
    return true;
}

void SingleInstanceController::receive(const QByteArray& line, InstanceRequestServer::Reply reply) {
    auto parsed = parseInstanceRequest(line);
    const auto* request = std::get_if<InstanceRequest>(&parsed);
    const auto* command = request ? std::get_if<InstanceCommand>(request) : nullptr;
    if (!command) {
        reply(answer(line));
        return;
    }
    if (!m_commandHandler) {
        reply("error no-commands");
        return;
    }
    m_commandHandler(*command, [reply](const InstanceCommandOutput& output) {
        // The asking process runs the command itself rather than take a flood.
        if (output.out.size() + output.err.size() > kMaximumInstanceAnswer - 64)
            reply("error answer-too-large");
        else
            reply(encodeInstanceAnswer(output));
    });
}

QByteArray SingleInstanceController::answer(const QByteArray& line) {
    auto parsed = parseInstanceRequest(line);
    if (const auto* refusal = std::get_if<InstanceRequestRefusal>(&parsed))
        return "error " + refusal->reason;
    const auto& request = std::get<InstanceRequest>(parsed);
    if (const auto* notification = std::get_if<InstanceNotification>(&request)) {
        if (m_notificationHandler)
            m_notificationHandler(notification->name);
        return kInstanceReplyOk;
    }
    if (std::holds_alternative<InstanceStatusRequest>(request)) {
        if (!m_statusHandler)
            return "error starting";
        return QByteArray(kInstanceReplyOk) + ' ' + m_statusHandler();
    }
    // Several launchers allowed since this one started: the launch starts its
    // own, as it would have had it read the preference itself.
    if (m_configuration.defaults && !m_configuration.allowMultipleInstancesKey.isEmpty() &&
        m_configuration.defaults->boolValue(m_configuration.allowMultipleInstancesKey)
            .value_or(false))
        return "error multiple-instances-allowed";
    m_pending.append(std::get<DuplicateLaunchRequest>(request));
    // Delivered from the event loop, never from inside the socket's signal.
    QTimer::singleShot(0, this, [this] { deliverPending(); });
    return kInstanceReplyOk;
}

void SingleInstanceController::deliverPending() {
    while (m_handler && !m_pending.isEmpty()) {
        const DuplicateLaunchRequest request = m_pending.takeFirst();
        m_handler({request});
    }
}

void SingleInstanceController::setDuplicateLaunchHandler(DuplicateLaunchHandler handler) {
    m_handler = std::move(handler);
    deliverPending();
}

void SingleInstanceController::setStatusHandler(std::function<QByteArray()> handler) {
    m_statusHandler = std::move(handler);
}

void SingleInstanceController::setActivationHandler(std::function<void()> handler) {
    setDuplicateLaunchHandler(
        handler
            ? DuplicateLaunchHandler([handler](const QList<DuplicateLaunchRequest>&) { handler(); })
            : DuplicateLaunchHandler());
}

void SingleInstanceController::setCommandHandler(CommandHandler handler) {
    m_commandHandler = std::move(handler);
}

void SingleInstanceController::setNotificationHandler(
    std::function<void(const QString& name)> handler) {
    m_notificationHandler = std::move(handler);
}

} // namespace trovi
