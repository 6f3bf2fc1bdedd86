#include "launcher/clients/translation/ApertiumEngine.h"

#include "launcher/clients/translation/ApertiumModes.h"
#include "launcher/clients/translation/ChildProcess.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QProcessEnvironment>
#include <QStandardPaths>

namespace trovi {

namespace {

// A reply is a translated query; anything longer means the stream is lost.
constexpr qsizetype kMaxReplyBytes = 64 * 1024;

QString pairLabel(const QString& source, const QString& target) {
    return source.toUpper() + QStringLiteral(" -> ") + target.toUpper();
}

} // namespace

class ApertiumEngine::Pipeline {
public:
    enum class Outcome { answered, died, failed };

    Pipeline(QString mode, const ApertiumEngine::Options& options, std::atomic<int>& starts)
        : m_mode(std::move(mode)), m_options(options), m_starts(starts) {}

    std::mutex mutex;

    bool ensureRunning(const QString& program, const QString& dataDirectory) {
        if (m_process && m_process->isRunning())
            return true;
        m_process.reset();
        m_buffer.clear();
        QString executable;
        QStringList arguments;
        const QString bash = QStandardPaths::findExecutable(QStringLiteral("bash"));
        const QString pipeline = nullFlushPipeline(dataDirectory);
        if (!bash.isEmpty() && !pipeline.isEmpty()) {
            // What `apertium -z -f none` runs, without its wrapper around the
            // stages, which reads ahead and so holds each reply back until the
            // next request. $1 marks unknown words (removed from the reply).
            executable = bash;
            arguments = QStringList{QStringLiteral("-c"), pipeline, QStringLiteral("apertium"),
                                    QStringLiteral("-g"), QString()};
        } else {
            executable = program;
            arguments =
                QStringList{QStringLiteral("-z"), QStringLiteral("-f"), QStringLiteral("none"),
                            QStringLiteral("-d"), dataDirectory,        m_mode};
        }
        // Some stages buffer their output despite -z (lt-proc -b in Debian 12):
        // unbuffered output makes every stage pass a reply on at once.
        const QString stdbuf = QStandardPaths::findExecutable(QStringLiteral("stdbuf"));
        if (!stdbuf.isEmpty()) {
            arguments = QStringList{QStringLiteral("-o0"), executable} + arguments;
            executable = stdbuf;
        }
        m_process = ChildProcess::start(executable, arguments,
                                        QProcessEnvironment::systemEnvironment().toStringList(),
                                        ChildProcess::Streams::pipes);
        if (!m_process)
            return false;
        ++m_starts;
        m_fresh = true;
        return true;
    }

    // The mode's stages with null-flush switches, as apertium-wblank-mode
    // writes them; empty when that tool is missing.
    QString nullFlushPipeline(const QString& dataDirectory) {
        if (!m_pipeline.isEmpty())
            return m_pipeline;
        const QString tool = QStandardPaths::findExecutable(QStringLiteral("apertium-wblank-mode"));
        if (tool.isEmpty())
            return {};
        const QString modeFile =
            QDir(dataDirectory).filePath(QStringLiteral("modes/%1.mode").arg(m_mode));
        auto writer = ChildProcess::start(tool, {QStringLiteral("-z"), modeFile},
                                          QProcessEnvironment::systemEnvironment().toStringList(),
                                          ChildProcess::Streams::pipes);
        QByteArray output;
        const QDeadlineTimer deadline(10'000);
        while (writer && output.size() < kMaxReplyBytes &&
               writer->read(output, deadline) == ChildProcess::ReadStatus::data) {
        }
        if (!writer || !writer->waitForExit(deadline) || writer->exitStatus() != 0)
            return {};
        m_pipeline = QString::fromUtf8(output).trimmed();
        return m_pipeline;
    }

    Outcome exchange(const QString& text, QString& reply) {
        const double seconds =
            m_fresh ? m_options.startupTimeoutSeconds : m_options.responseTimeoutSeconds;
        const QDeadlineTimer deadline(qint64(seconds * 1000));
        if (!m_process->write(apertium::escapedForStream(text) + '\0', deadline)) {
            stop();
            return Outcome::died;
        }
        for (;;) {
            const qsizetype end = m_buffer.indexOf('\0');
            if (end >= 0) {
                reply = apertium::cleanedTranslation(m_buffer.left(end), text);
                m_buffer.clear(); // one reply per request; stray NULs carry nothing
                m_fresh = false;
                return Outcome::answered;
            }
            if (m_buffer.size() > kMaxReplyBytes) {
                stop();
                return Outcome::failed;
            }
            const auto status = m_process->read(m_buffer, deadline);
            if (status == ChildProcess::ReadStatus::data)
                continue;
            // A late reply would answer the next request: start afresh instead.
            const bool died = status == ChildProcess::ReadStatus::closed;
            stop();
            return died ? Outcome::died : Outcome::failed;
        }
    }

    std::optional<qint64> processGroup() const {
        if (!m_process)
            return std::nullopt;
        return m_process->pid();
    }

    void stop() {
        m_process.reset(); // ends the whole pipeline
        m_buffer.clear();
    }

private:
    const QString m_mode;
    const ApertiumEngine::Options& m_options;
    std::atomic<int>& m_starts;
    std::unique_ptr<ChildProcess> m_process;
    QString m_pipeline;
    QByteArray m_buffer;
    bool m_fresh = true;
};

ApertiumEngine::ApertiumEngine() : ApertiumEngine(Options{}) {}

ApertiumEngine::ApertiumEngine(Options options) : m_options(std::move(options)) {
    if (m_options.dataDirectory.isEmpty())
        m_options.dataDirectory = apertium::defaultDataDirectory();
    if (m_options.maxPipelines < 1)
        m_options.maxPipelines = 1;
}

ApertiumEngine::~ApertiumEngine() = default;

std::optional<QString> ApertiumEngine::programPath() const {
    const QString program = m_options.program.isEmpty()
                                ? QStandardPaths::findExecutable(QStringLiteral("apertium"))
                                : m_options.program;
    const QFileInfo info(program);
    if (program.isEmpty() || !info.isFile() || !info.isExecutable())
        return std::nullopt;
    return program;
}

QStringList ApertiumEngine::installedModes() const {
    const auto program = programPath();
    if (!program)
        return {};
    return apertium::installedModes(m_options.dataDirectory, *program);
}

TranslationEngineAvailability ApertiumEngine::availability() const {
    if (!programPath())
        return {false,
                QStringLiteral("apertium not installed: apt install apertium apertium-eng-spa"),
                {}};
    const QStringList modes = installedModes();
    if (modes.isEmpty())
        return {
            false, QStringLiteral("No language pair installed: apt install apertium-eng-spa"), {}};
    return {true, QStringLiteral("Ready (%1).").arg(modes.join(QStringLiteral(", "))), {}};
}

TranslationEngineAvailability ApertiumEngine::availability(const QString& source,
                                                           const QString& target) const {
    TranslationEngineAvailability overall = availability();
    if (!overall.isAvailable)
        return overall;
    if (const auto mode = apertium::modeForPair(installedModes(), source, target))
        return {
            true, QStringLiteral("Ready for %1 (%2).").arg(pairLabel(source, target), *mode), {}};
    QString message;
    if (const auto package = apertium::debianPackageForPair(source, target))
        message = QStringLiteral("%1 not installed: apt install %1").arg(*package);
    else
        message = QStringLiteral("No Apertium pair for %1.").arg(pairLabel(source, target));
    return {false, message,
            QStringLiteral("Apertium unavailable for ") + pairLabel(source, target)};
}

std::shared_ptr<ApertiumEngine::Pipeline> ApertiumEngine::pipelineFor(const QString& mode) {
    std::lock_guard lock(m_mutex);
    m_lastUse.insert(mode, ++m_useCounter);
    if (auto it = m_pipelines.constFind(mode); it != m_pipelines.cend())
        return *it;
    // Each pipeline is a dozen processes holding dictionaries: keep a few.
    while (m_pipelines.size() >= m_options.maxPipelines) {
        QString oldest;
        quint64 oldestUse = ~quint64(0);
        for (auto it = m_pipelines.cbegin(); it != m_pipelines.cend(); ++it) {
            if (m_lastUse.value(it.key()) < oldestUse) {
                oldestUse = m_lastUse.value(it.key());
                oldest = it.key();
            }
        }
        m_pipelines.remove(oldest); // a request in progress keeps it until done
    }
    auto pipeline = std::make_shared<Pipeline>(mode, m_options, m_startCount);
    m_pipelines.insert(mode, pipeline);
    return pipeline;
}

std::optional<QString> ApertiumEngine::translate(const QString& text, const QString& source,
                                                 const QString& target) {
    const auto program = programPath();
    if (!program || text.trimmed().isEmpty())
        return std::nullopt;
    const auto mode = apertium::modeForPair(installedModes(), source, target);
    if (!mode)
        return std::nullopt;
    const std::shared_ptr<Pipeline> pipeline = pipelineFor(*mode);
    std::lock_guard lock(pipeline->mutex);
    // A pipeline that died since the last request (or during this one) is
    // restarted once; a slow or garbled one is not asked again now.
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (!pipeline->ensureRunning(*program, m_options.dataDirectory))
            return std::nullopt;
        QString reply;
        switch (pipeline->exchange(text.trimmed(), reply)) {
        case Pipeline::Outcome::answered:
            if (reply.isEmpty())
                return std::nullopt;
            return reply;
        case Pipeline::Outcome::died:
            continue;
        case Pipeline::Outcome::failed:
            return std::nullopt;
        }
    }
    return std::nullopt;
}

void ApertiumEngine::warmUp(const QString& source, const QString& target) {
    // A first request makes every stage load its dictionaries.
    translate(QStringLiteral("ok"), source, target);
}

std::optional<qint64> ApertiumEngine::pipelineProcessGroup(const QString& source,
                                                           const QString& target) {
    const auto mode = apertium::modeForPair(installedModes(), source, target);
    if (!mode)
        return std::nullopt;
    const std::shared_ptr<Pipeline> pipeline = pipelineFor(*mode);
    std::lock_guard lock(pipeline->mutex);
    return pipeline->processGroup();
}

} // namespace trovi
