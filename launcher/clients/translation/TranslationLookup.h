#pragma once
// Translating a text between two languages with the engines the user enabled:
// the engine chain, each engine's availability, finding Python for the local
// Argos engine, and the web dictionary's search link offered as a fallback.

#include "launcher/clients/TranslationCommand.h"
#include "launcher/clients/TranslationSettingsStores.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <memory>
#include <mutex>
#include <optional>

namespace trovi {

class ArgosDaemon;

struct TranslationLookupResult {
    QString text; // trimmed, never empty
    QString engineName;
    TranslationEngineID engineID = TranslationEngineID::argos;

    friend bool operator==(const TranslationLookupResult&,
                           const TranslationLookupResult&) = default;
};

struct TranslationEngineAvailability {
    bool isAvailable = false;
    QString message;
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
    // Starts what makes the first translation fast; returns at once.
    virtual void prewarm(const QList<TranslationEngineID>&) {}
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
// then the system's usual places.
QStringList pythonCandidatePaths();
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
TranslationEngineAvailability argosAvailability(ArgosRuntimeStatus status,
                                                const std::optional<QString>& python);
TranslationEngineAvailability appleAvailability();
// The system the launcher runs on, as the Apple engine's messages name it.
QString runningSystemName();

} // namespace translation

// The real engines: Argos through one helper process (share the object, so the
// launcher's warm-up and its searches use the same helper); Apple's
// framework exists only on macOS, so elsewhere it is unavailable and never
// called.
class LocalTranslationEngines : public TranslationEngines {
public:
    LocalTranslationEngines();
    ~LocalTranslationEngines() override;

    std::optional<TranslationLookupResult> translate(TranslationEngineID engine,
                                                     const QString& text,
                                                     const QString& sourceLanguageCode,
                                                     const QString& targetLanguageCode) override;
    TranslationEngineAvailability availability(TranslationEngineID engine) override;
    void prewarm(const QList<TranslationEngineID>& engines) override;
    void interrupt() override;
    void shutDown() override;

    ArgosDaemon& daemon() { return *m_daemon; }

private:
    std::optional<TranslationLookupResult>
    translateWithArgos(const QString& text, const QString& source, const QString& target);

    std::shared_ptr<ArgosDaemon> m_daemon;
    std::mutex m_statusMutex;
    std::optional<ArgosRuntimeStatus> m_argosRuntimeStatus; // computed once
};

} // namespace trovi
