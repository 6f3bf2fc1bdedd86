#include "launcher/clients/translation/ArgosDaemon.h"

#include "launcher/clients/translation/ArgosHelperScript.h"
#include "launcher/clients/translation/ChildProcess.h"

#include <QDeadlineTimer>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringDecoder>

#include <sys/eventfd.h>
#include <unistd.h>

namespace trovi {

ArgosDaemon::ArgosDaemon(QString script)
    : m_script(std::move(script)), m_interruptFd(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {}

ArgosDaemon::~ArgosDaemon() {
    restart();
    if (m_interruptFd >= 0)
        ::close(m_interruptFd);
}

QString ArgosDaemon::defaultScript() {
    return QString::fromUtf8(kArgosHelperScript);
}

bool ArgosDaemon::isUsable() const {
    return m_process && m_process->isRunning() && m_process->hasPipes();
}

bool ArgosDaemon::startProcess(const QString& pythonExecutablePath,
                               const QStringList& environment) {
    if (m_stopped)
        return false;
    m_process = ChildProcess::start(pythonExecutablePath, {"-u", "-c", m_script}, environment,
                                    ChildProcess::Streams::pipes);
    m_stdoutBuffer.clear();
    if (!m_process)
        return false;
    ++m_startCount;
    return true;
}

void ArgosDaemon::restart() {
    if (m_process)
        m_process->terminate(QDeadlineTimer(500));
    m_process.reset();
    m_stdoutBuffer.clear();
}

bool ArgosDaemon::sendRequest(qint64 id, const QString& text, const QString& source,
                              const QString& target) {
    if (!m_process || !m_process->hasPipes())
        return false;
    const QJsonObject request{{"id", id}, {"source", source}, {"target", target}, {"text", text}};
    QByteArray line = QJsonDocument(request).toJson(QJsonDocument::Compact);
    line.append('\n');
    return m_process->write(line, QDeadlineTimer(int(responseTimeoutSeconds * 1000)));
}

std::optional<QByteArray> ArgosDaemon::takeLine() {
    const qsizetype end = m_stdoutBuffer.indexOf('\n');
    if (end < 0)
        return std::nullopt;
    QByteArray line = m_stdoutBuffer.left(end);
    m_stdoutBuffer.remove(0, end + 1);
    if (line.endsWith('\r'))
        line.chop(1);
    return line;
}

std::optional<ArgosResponse> ArgosDaemon::readResponse(qint64 id, double timeoutSeconds) {
    const QDeadlineTimer deadline(qint64(timeoutSeconds * 1000));
    for (;;) {
        while (std::optional<QByteArray> line = takeLine()) {
            QStringDecoder utf8(QStringDecoder::Utf8);
            const QString decoded = utf8.decode(*line);
            if (utf8.hasError())
                continue; // not UTF-8: skipped, as if never sent
            const QJsonDocument document = QJsonDocument::fromJson(decoded.toUtf8());
            if (!document.isObject())
                return std::nullopt;
            const QJsonObject object = document.object();
            // A reply to an earlier request whose wait gave up: not ours.
            if (object.value("id").toInteger(-1) != id)
                continue;
            if (!object.value("ok").isBool())
                return std::nullopt;
            ArgosResponse response;
            response.ok = object.value("ok").toBool();
            if (object.value("text").isString())
                response.text = object.value("text").toString();
            if (object.value("error").isString())
                response.error = object.value("error").toString();
            return response;
        }
        // A reply is a line of a few kilobytes; a helper that never ends its
        // line, or is still busy with a request given up on, is replaced so
        // the buffer cannot grow and a stale reply cannot be read later.
        if (deadline.hasExpired() || m_stdoutBuffer.size() > maxLineBytes) {
            restart();
            return std::nullopt;
        }
        const auto status = m_process->read(m_stdoutBuffer, deadline, m_interruptFd);
        if (status == ChildProcess::ReadStatus::data)
            continue;
        // Output ended (it can answer nothing more) or the wait ran out.
        if (status != ChildProcess::ReadStatus::interrupted)
            restart();
        return std::nullopt;
    }
}

std::optional<ArgosResponse> ArgosDaemon::exchange(const QString& pythonExecutablePath,
                                                   const QStringList& environment,
                                                   const QString& sourceLanguageCode,
                                                   const QString& targetLanguageCode,
                                                   const QString& text, double timeoutSeconds) {
    std::lock_guard lock(m_mutex);
    // An interruption meant for an earlier wait must not cut this one short.
    eventfd_t ignored;
    ::eventfd_read(m_interruptFd, &ignored);
    if (!isUsable()) {
        restart();
        if (!startProcess(pythonExecutablePath, environment))
            return std::nullopt;
    }
    const qint64 id = ++m_lastRequestID;
    if (!sendRequest(id, text, sourceLanguageCode, targetLanguageCode)) {
        restart();
        return std::nullopt;
    }
    return readResponse(id, timeoutSeconds);
}

void ArgosDaemon::warmUp(const QString& pythonExecutablePath, const QStringList& environment) {
    std::lock_guard lock(m_mutex);
    if (isUsable())
        return;
    restart();
    startProcess(pythonExecutablePath, environment);
}

void ArgosDaemon::interruptWait() {
    ::eventfd_write(m_interruptFd, 1);
}

void ArgosDaemon::stop() {
    interruptWait();
    std::lock_guard lock(m_mutex);
    m_stopped = true;
    restart();
}

} // namespace trovi
