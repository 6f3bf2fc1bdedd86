#pragma once
// One launcher per user. The first process holds an exclusive flock on a lock
// file in a private folder and listens on a socket beside it; a second launch
// sends its request over the socket (waiting while the first is still starting),
// gets an answer and exits. The socket also carries change notifications from
// `trovi config` to the running launcher.

#include "launcher/platform/linux/InstanceRequest.h"
#include "launcher/platform/linux/InstanceRequestServer.h"

#include <QObject>
#include <QString>

#include <chrono>
#include <functional>
#include <memory>
#include <variant>

namespace trovi {

class PreferenceStore;

struct SingleInstanceConfiguration {
    QString bundleIdentifier = QString::fromLatin1(kInstanceBundleIdentifier);
    // When set, the store's boolean under the key lets several processes run.
    PreferenceStore* defaults = nullptr;
    QString allowMultipleInstancesKey;
    // Empty: the per-user data folder ($XDG_DATA_HOME, else ~/.local/share).
    QString directory;
    QString lockFileName = QStringLiteral("TroviLauncher.lock");
    // How long a second launch waits for a starting launcher to listen.
    std::chrono::milliseconds handOverTimeout{kInstanceHandOverMilliseconds};
    InstanceRequestServerLimits serverLimits;

    // The launcher's own configuration.
    static SingleInstanceConfiguration standard();

    // Private to the user (0700, owned); the lock and the socket live there.
    QString lockDirectory() const;
    QString lockPath() const;
    QString socketName() const;
};

// Sends one request line to the running launcher. False when none listens or
// it did not take the line.
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

    // The folder is made private first; the lock file is never a link.
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
    // The lock could not be taken (a foreign or linked folder or file).
    struct Failed {
        QString message;
    };
    // Another launcher holds the lock and took the request.
    struct AlreadyRunning {};
    // Another launcher holds the lock but did not take the request in time.
    struct NotDelivered {
        QString message;
    };
    using StartupResult = std::variant<Run, Failed, AlreadyRunning, NotDelivered>;

    // Takes the lock or hands `request` to the process that holds it, waiting
    // up to the hand-over timeout for it to listen; should the holder quit in
    // the meantime, this process takes the lock instead.
    static StartupResult start(const SingleInstanceConfiguration& configuration,
                               const DuplicateLaunchRequest& request);

    ~SingleInstanceController() override;

    // Starts listening (needs a QCoreApplication).
    bool listen(QString* errorMessage = nullptr);

    // Each request arrives once, on its own, in the order received.
    using DuplicateLaunchHandler = std::function<void(const QList<DuplicateLaunchRequest>&)>;
    // Requests that came before the handler are delivered when it is set.
    void setDuplicateLaunchHandler(DuplicateLaunchHandler handler);
    void setActivationHandler(std::function<void()> handler);
    // Change notifications sent by `trovi config`.
    void setNotificationHandler(std::function<void(const QString& name)> handler);
    // `trovi query` and `trovi open` run here for the process that asks;
    // `done` (called once, on this thread) carries what it prints. Without a
    // handler, commands are refused and the asking process runs them itself.
    using CommandDone = std::function<void(const InstanceCommandOutput& output)>;
    using CommandHandler = std::function<void(const InstanceCommand& command, CommandDone done)>;
    void setCommandHandler(CommandHandler handler);
    // Answers `trovi status` at once (one JSON object, compact, one line).
    void setStatusHandler(std::function<QByteArray()> handler);

    bool holdsLock() const { return m_lock != nullptr; }
    const SingleInstanceConfiguration& configuration() const { return m_configuration; }

private:
    SingleInstanceController(SingleInstanceConfiguration configuration,
                             std::unique_ptr<InstanceLock> lock);
    QByteArray answer(const QByteArray& line);
    void receive(const QByteArray& line, InstanceRequestServer::Reply reply);
    void deliverPending();

    SingleInstanceConfiguration m_configuration;
    std::unique_ptr<InstanceLock> m_lock;
    InstanceRequestServer* m_server = nullptr;
    DuplicateLaunchHandler m_handler;
    std::function<void(const QString&)> m_notificationHandler;
    CommandHandler m_commandHandler;
    std::function<QByteArray()> m_statusHandler;
    QList<DuplicateLaunchRequest> m_pending;
};

} // namespace trovi
