#pragma once
// The long-lived Argos helper: one Python child speaking JSON lines on its
// standard input and output, started on first need and reused, so Python
// start-up and model loading are paid once. Exchanges are serialised; any
// thread may call, and no call waits longer than its timeout.
//
// Every request carries an increasing id that the helper echoes; a reply with
// another id (one that came after its wait had given up, or a repeat) is
// dropped, so a late reply is never taken as the answer to a later request.

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <atomic>
#include <memory>
#include <mutex>
#include <optional>

namespace trovi {

class ChildProcess;

struct ArgosResponse {
    bool ok = false;
    std::optional<QString> text;
    std::optional<QString> error;
};

class ArgosDaemon {
public:
    static constexpr double responseTimeoutSeconds = 2.5;
    // The longest reply line read; past it the helper is replaced.
    static constexpr qsizetype maxLineBytes = 256 * 1024;

    // `script` is the helper's program text, run as `python -u -c script`.
    explicit ArgosDaemon(QString script = defaultScript());
    ~ArgosDaemon();

    static QString defaultScript();

    // Sends one request (starting the helper when none is running) and waits
    // up to `timeoutSeconds` for its reply. Nothing when the helper cannot be
    // started, the write fails, no matching reply arrives in time or the reply
    // line is too long; the helper is then replaced on the next request.
    std::optional<ArgosResponse> exchange(const QString& pythonExecutablePath,
                                          const QStringList& environment,
                                          const QString& sourceLanguageCode,
                                          const QString& targetLanguageCode, const QString& text,
                                          double timeoutSeconds = responseTimeoutSeconds);
    // Starts the helper unless one is running; launch errors are ignored.
    void warmUp(const QString& pythonExecutablePath, const QStringList& environment);
    // Ends the wait in progress, if any, at once (it gives nothing).
    void interruptWait();
    // Ends the wait in progress and the helper for good: no helper starts
    // afterwards (the launcher is quitting).
    void stop();
    // How many helpers were started; lets callers see reuse.
    int startCount() const { return m_startCount.load(); }

private:
    bool isUsable() const;
    bool startProcess(const QString& pythonExecutablePath, const QStringList& environment);
    void restart();
    bool sendRequest(qint64 id, const QString& text, const QString& source, const QString& target);
    std::optional<ArgosResponse> readResponse(qint64 id, double timeoutSeconds);
    std::optional<QByteArray> takeLine();

    const QString m_script;
    std::mutex m_mutex;
    std::unique_ptr<ChildProcess> m_process;
    QByteArray m_stdoutBuffer;
    qint64 m_lastRequestID = 0;
    int m_interruptFd = -1;
    std::atomic<int> m_startCount{0};
    bool m_stopped = false; // guarded by m_mutex
};

} // namespace trovi
