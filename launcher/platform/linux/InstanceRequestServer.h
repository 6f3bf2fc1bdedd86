#pragma once
// The running launcher's end of the per-user socket. Built to stay up whatever
// the peers do: only same-user peers are served, a bounded number at a time,
// each for a bounded idle time and line length, and a failed accept (out of
// descriptors, say) drops that one peer instead of stopping the server.

#include <QByteArray>
#include <QObject>
#include <QString>

#include <chrono>
#include <functional>
#include <memory>
#include <unordered_map>
#include <vector>

class QSocketNotifier;
class QTimer;

namespace trovi {

class PrivateFolder;

struct InstanceRequestServerLimits {
    int maximumClients = 16;
    // A second launch writes its line at once; a peer silent this long is dropped.
    std::chrono::milliseconds clientIdleTimeout{5000};
};

class InstanceRequestServer : public QObject {
    Q_OBJECT
public:
    // Answers one line (without its line feed) with the reply line.
    using Handler = std::function<QByteArray(const QByteArray& line)>;

    InstanceRequestServer(Handler handler, InstanceRequestServerLimits limits,
                          QObject* parent = nullptr);
    ~InstanceRequestServer() override;

    // Replaces whatever sits at `name` in the folder: only the lock holder
    // listens, so an existing socket is a dead predecessor's.
    bool listen(const PrivateFolder& folder, const QString& name, QString* errorMessage);

    int clientCount() const { return int(m_clients.size()); }

private:
    struct Client;
    void acceptPending();
    void readFrom(int fd);
    void drop(int fd);
    void pauseAccepting();

    Handler m_handler;
    InstanceRequestServerLimits m_limits;
    int m_listener = -1;
    // Kept open so that a peer can still be accepted and closed when the
    // process has run out of descriptors.
    int m_reserve = -1;
    QByteArray m_socketPath;
    QSocketNotifier* m_acceptNotifier = nullptr;
    QTimer* m_retryTimer = nullptr;
    std::unordered_map<int, std::unique_ptr<Client>> m_clients;
    std::vector<std::unique_ptr<Client>> m_dropped;
};

} // namespace trovi
