#pragma once
// The running launcher's end of the per-user socket. Built to stay up whatever
// the peers do: only same-user peers are served, a bounded number at a time,
// each for a bounded idle time and line length, and a failed accept (out of
// descriptors, say) drops that one peer instead of stopping the server. An
// answer may come later (a query runs on the engine's thread): the peer keeps
// its place meanwhile, and a peer gone by then is simply not answered.

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
    // Sends the answer to one line (without its line feed). Call it once, on
    // the server's thread, now or later; it does nothing once the peer or the
    // server is gone.
    using Reply = std::function<void(const QByteArray& answer)>;
    using Handler = std::function<void(const QByteArray& line, Reply reply)>;

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
    void answerLines(int fd);
    void sendReply(int fd, quint64 serial, const QByteArray& answer);
    void flush(int fd);
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
    // Tells a late answer's peer from a newer one on the same descriptor.
    quint64 m_nextSerial = 0;
};

} // namespace trovi
