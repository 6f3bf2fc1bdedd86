#pragma once
// One launcher per user. The first process holds an exclusive flock on a lock
// file and listens on a local socket beside it; a second launch leaves its
// arguments in a request file, pokes the socket and exits. The socket also
// carries change notifications from `trovi config` to the running launcher.

#include <QDateTime>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <functional>
#include <memory>
#include <optional>
#include <variant>

class QLocalServer;

namespace trovi {

class PreferenceStore;

struct SingleInstanceConfiguration {
    QString bundleIdentifier = QStringLiteral("com.dalvo.trovi-launcher");
    // When set, the store's boolean under the key lets several processes run.
    PreferenceStore* defaults = nullptr;
    QString allowMultipleInstancesKey;
    // Empty: the per-user data folder ($XDG_DATA_HOME, else ~/.local/share).
    QString directory;
    QString lockFileName = QStringLiteral("TroviLauncher.lock");

    // The launcher's own configuration.
    static SingleInstanceConfiguration standard();

    QString lockDirectory() const;
    QString lockPath() const;
    QString duplicateLaunchRequestsPath() const;
    // Beside the lock file; a short fallback under /tmp when that path is too
    // long for a socket address.
    QString socketPath() const;
};

struct DuplicateLaunchRequest {
    QStringList arguments;
    QList<QUrl> fileURLs;
    QDateTime createdAt;
};

namespace DuplicateLaunchRequestStore {
// Leaves the request (when it carries anything) and sends the activation
// signal; the returned message describes a failed enqueue, after signalling.
std::optional<QString> post(const DuplicateLaunchRequest& request,
                            const SingleInstanceConfiguration& configuration);
std::optional<QString> enqueue(const DuplicateLaunchRequest& request,
                               const SingleInstanceConfiguration& configuration);
// Every .json file is read and then deleted; the decodable ones come back
// oldest first.
QList<DuplicateLaunchRequest> consumePending(const SingleInstanceConfiguration& configuration);
} // namespace DuplicateLaunchRequestStore

// Sends one line to the running launcher's socket. False when none listens.
bool sendToRunningInstance(const SingleInstanceConfiguration& configuration,
                           const QByteArray& line);

class InstanceLock {
public:
    struct OpenFailed {
        int error;
    };
    struct LockFailed {
        int error;
    };
    struct AlreadyRunning {};
    struct DirectoryFailed {
        QString message;
    };
    using Error = std::variant<OpenFailed, LockFailed, AlreadyRunning, DirectoryFailed>;

    static std::variant<std::unique_ptr<InstanceLock>, Error> acquire(const QString& lockPath);
    static QString describe(const Error& error);

    ~InstanceLock();
    const QString& lockPath() const { return m_lockPath; }

private:
    InstanceLock(int fileDescriptor, QString lockPath);
    int m_fileDescriptor;
    QString m_lockPath;
};

class SingleInstanceController : public QObject {
    Q_OBJECT
public:
    struct Run {
        std::unique_ptr<SingleInstanceController> controller;
    };
    struct Failed {
        QString message;
    };
    struct AlreadyRunning {};
    using StartupResult = std::variant<Run, Failed, AlreadyRunning>;

    // Takes the lock or hands `request` to the process that holds it.
    static StartupResult start(const SingleInstanceConfiguration& configuration,
                               const DuplicateLaunchRequest& request);

    ~SingleInstanceController() override;

    // Starts listening for signals (needs a QCoreApplication). The lock holder
    // alone removes a stale socket left by a crashed predecessor.
    bool listen(QString* errorMessage = nullptr);

    using DuplicateLaunchHandler = std::function<void(const QList<DuplicateLaunchRequest>&)>;
    // A signal that came before the handler is delivered when it is set.
    void setDuplicateLaunchHandler(DuplicateLaunchHandler handler);
    void setActivationHandler(std::function<void()> handler);
    // Change notifications sent by `trovi config`.
    void setNotificationHandler(std::function<void(const QString& name)> handler);

    bool holdsLock() const { return m_lock != nullptr; }
    const SingleInstanceConfiguration& configuration() const { return m_configuration; }

private:
    SingleInstanceController(SingleInstanceConfiguration configuration,
                             std::unique_ptr<InstanceLock> lock);
    void handleLine(const QByteArray& line);
    void activate();

    SingleInstanceConfiguration m_configuration;
    std::unique_ptr<InstanceLock> m_lock;
    QLocalServer* m_server = nullptr;
    DuplicateLaunchHandler m_handler;
    std::function<void(const QString&)> m_notificationHandler;
    bool m_pendingActivation = false;
};

// Socket lines.
inline constexpr char kActivateLine[] = "activate";
inline constexpr char kNotifyPrefix[] = "notify ";

} // namespace trovi
