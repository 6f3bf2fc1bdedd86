#pragma once
// Translating a text between two languages with the engines the user enabled:
// the engine chain, each engine's availability, finding Python for the local
// Argos engine, and the web dictionary's search link offered as a fallback.

#include "launcher/clients/TranslationCommand.h"
#include "launcher/clients/TranslationSettingsStores.h"
#include "launcher/clients/translation/TranslationEngineAvailability.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <memory>
#include <mutex>
#include <optional>

namespace trovi {

class ApertiumEngine;
class ArgosDaemon;

struct TranslationLookupResult {
    QString text; // trimmed, never empty
    QString engineName;
    TranslationEngineID engineID = TranslationEngineID::argos;

    friend bool operator==(const TranslationLookupResult&,
                           const TranslationLookupResult&) = default;
};

// The engines as the chain and the result rows see them. Calls may block for
// the engine's own time limits: make them off the engine thread.
class TranslationEngines {
public:
    virtual ~TranslationEngines() = default;
    virtual std::optional<TranslationLookupResult> translate(TranslationEngineID engine,
                                                             const QString& text,
                                                             const QString& sourceLanguageCode,
                                                             const QString& targetLanguageCode) = 0;
    virtual TranslationEngineAvailability availability(TranslationEngineID engine) = 0;
    // For one direction, where an engine has some pairs and not others.
    virtual TranslationEngineAvailability pairAvailability(TranslationEngineID engine,
                                                           const QString& /*sourceLanguageCode*/,
                                                           const QString& /*targetLanguageCode*/) {
        return availability(engine);
    }
    // Starts what makes the first translation between the user's languages
    // fast; returns at once.
    virtual void prewarm(const QList<TranslationEngineID>&, const QStringList& /*languageCodes*/) {}
    // Ends a translation in progress early (it gives nothing).
    virtual void interrupt() {}
    // Interrupts, then stops any helper process for good (at exit).
    virtual void shutDown() { interrupt(); }
};

enum class ArgosRuntimeStatus { pythonMissing, moduleMissing, checkFailed, ready };

namespace translation {

inline const QString webDictionaryName = QStringLiteral("dict.cc");
inline const QString webDictionaryBaseURL = QStringLiteral("https://www.dict.cc/");

// Trimmed, case- and diacritic-folded in the current locale: "Über" and
// "uber" are the same text.
QString foldedForComparison(const QString& text);
bool isSameText(const QString& a, const QString& b);

// Tries the engines in order; the first result that changed the text wins,
// else the first unchanged one, else nothing. An empty list means Argos alone.
std::optional<TranslationLookupResult>
runEngineChain(TranslationEngines& engines, const QString& text, const QString& sourceLanguageCode,
               const QString& targetLanguageCode, QList<TranslationEngineID> order);

// The web dictionary's search page for the command's text (query item "s").
std::optional<QString> lexWebFallbackURLString(const TranslationCommand& command);

// Where Python is looked for, in order: TROVI_TRANSLATION_PYTHON when set,
// the launcher's own virtual environment (argosEnvironmentPath()/bin/python3),
// then the system's usual places.
QStringList pythonCandidatePaths();
// $XDG_DATA_HOME/trovi-launcher/argos: where `python3 -m venv` puts Argos
// when the system's pip is closed.
QString argosEnvironmentPath();
std::optional<QString> resolvedPythonExecutablePath();
// ~/.local/lib/python3.N/site-packages (Linux) for an interpreter whose
// path, or link target, names its minor version; only when it exists.
std::optional<QString> userSitePackagesPath(const QString& pythonExecutablePath,
                                            const QString& homeDirectory);
// The launcher's environment ("NAME=value"), with the user's site-packages
// made visible to the helper.
QStringList processEnvironment(const QString& pythonExecutablePath);

// Whether Python can import Argos, judged within 1.2 seconds.
ArgosRuntimeStatus evaluateArgosRuntimeStatus(const std::optional<QString>& pythonExecutablePath);
// The first candidate interpreter that can import Argos; else the first
// whose check failed, else the first that exists.
struct ArgosRuntime {
    ArgosRuntimeStatus status = ArgosRuntimeStatus::pythonMissing;
    std::optional<QString> python;
};
ArgosRuntime findArgosRuntime();
TranslationEngineAvailability argosAvailability(ArgosRuntimeStatus status,
                                                const std::optional<QString>& python);
#ifdef Q_OS_MACOS
TranslationEngineAvailability appleAvailability();
#endif

} // namespace translation

// The real engines: Argos through the shared helper process (started only
// when an interpreter can import Argos), Apertium through its warm
// pipelines; Apple's framework exists only on macOS.
class LocalTranslationEngines : public TranslationEngines {
public:
    LocalTranslationEngines();
    ~LocalTranslationEngines() override;

    std::optional<TranslationLookupResult> translate(TranslationEngineID engine,
                                                     const QString& text,
                                                     const QString& sourceLanguageCode,
                                                     const QString& targetLanguageCode) override;
    TranslationEngineAvailability availability(TranslationEngineID engine) override;
    TranslationEngineAvailability pairAvailability(TranslationEngineID engine,
                                                   const QString& sourceLanguageCode,
                                                   const QString& targetLanguageCode) override;
    void prewarm(const QList<TranslationEngineID>& engines,
                 const QStringList& languageCodes) override;
    void interrupt() override;
    void shutDown() override;

    ArgosDaemon& daemon() { return *m_daemon; }
    ApertiumEngine& apertium() { return *m_apertium; }
    // Checked once per process, on first need.
    translation::ArgosRuntime argosRuntime();

private:
    std::optional<TranslationLookupResult>
    translateWithArgos(const QString& text, const QString& source, const QString& target);

    std::shared_ptr<ArgosDaemon> m_daemon;
    std::shared_ptr<ApertiumEngine> m_apertium;
    struct RuntimeCache;
    std::shared_ptr<RuntimeCache> m_argosRuntime; // computed once, shared with the warm-up
};

} // namespace trovi
