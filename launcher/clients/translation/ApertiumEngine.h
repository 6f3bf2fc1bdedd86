#pragma once
// Apertium, Debian's rule-based translator, kept warm: one `apertium -z`
// pipeline per direction in null-flush mode (a request is the text and a NUL
// byte, the reply ends with one), so each request costs milliseconds instead
// of loading the dictionaries again. Pipelines are few (the least recently
// used one goes), replaced after any error or timeout, and end with the
// launcher. Any thread may call; each direction serves one request at a time.

#include "launcher/clients/translation/TranslationEngineAvailability.h"

#include <QHash>
#include <QString>
#include <QStringList>

#include <atomic>
#include <memory>
#include <mutex>
#include <optional>

namespace trovi {

class ApertiumEngine {
public:
    struct Options {
        QString program;       // empty: `apertium` on PATH
        QString dataDirectory; // empty: $APERTIUM_DATADIR or /usr/share/apertium
        double responseTimeoutSeconds = 2.5;
        // A new pipeline loads its dictionaries first: about 0.3 s on an idle
        // machine, many seconds on a busy one.
        double startupTimeoutSeconds = 20;
        int maxPipelines = 4;
    };

    ApertiumEngine();
    explicit ApertiumEngine(Options options);
    ~ApertiumEngine();

    // The translation, trimmed and without unknown-word marks; nothing when
    // the pair is not installed or the pipeline fails.
    std::optional<QString> translate(const QString& text, const QString& sourceLanguageCode,
                                     const QString& targetLanguageCode);
    // Starts the direction's pipeline unless it runs, and has it load its
    // dictionaries; returns when it has.
    void warmUp(const QString& sourceLanguageCode, const QString& targetLanguageCode);

    std::optional<QString> programPath() const;
    QStringList installedModes() const;
    // Whether Apertium is installed with any pair at all, and what it offers.
    TranslationEngineAvailability availability() const;
    // For one direction: "unavailable for EN -> DE" when that pair is missing.
    TranslationEngineAvailability availability(const QString& sourceLanguageCode,
                                               const QString& targetLanguageCode) const;

    // How many pipelines were started; lets callers see reuse and restarts.
    int startCount() const { return m_startCount.load(); }
    // The process group of a running direction's pipeline (for tests).
    std::optional<qint64> pipelineProcessGroup(const QString& sourceLanguageCode,
                                               const QString& targetLanguageCode);

private:
    class Pipeline;
    std::shared_ptr<Pipeline> pipelineFor(const QString& mode);

    Options m_options;
    std::mutex m_mutex;
    QHash<QString, std::shared_ptr<Pipeline>> m_pipelines; // by mode
    QHash<QString, quint64> m_lastUse;
    quint64 m_useCounter = 0;
    std::atomic<int> m_startCount{0};
};

} // namespace trovi
