#include "launcher/clients/translation/TranslationLookup.h"

#include "launcher/clients/translation/ApertiumEngine.h"
#include "launcher/clients/translation/ArgosDaemon.h"
#include "launcher/clients/translation/ChildProcess.h"

#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QUrl>

#include <thread>

namespace trovi {

namespace translation {

QString foldedForComparison(const QString& text) {
    const QString decomposed = text.trimmed().normalized(QString::NormalizationForm_D);
    QString stripped;
    stripped.reserve(decomposed.size());
    for (const QChar c : decomposed) {
        if (c.category() != QChar::Mark_NonSpacing)
            stripped.append(c);
    }
    return QLocale().toLower(stripped).toCaseFolded();
}

bool isSameText(const QString& a, const QString& b) {
    return foldedForComparison(a) == foldedForComparison(b);
}

std::optional<TranslationLookupResult>
runEngineChain(TranslationEngines& engines, const QString& text, const QString& sourceLanguageCode,
               const QString& targetLanguageCode, QList<TranslationEngineID> order) {
    if (order.isEmpty())
        order = {TranslationEngineID::argos};
    std::optional<TranslationLookupResult> provisional;
    for (const TranslationEngineID engine : order) {
        std::optional<TranslationLookupResult> result =
            engines.translate(engine, text, sourceLanguageCode, targetLanguageCode);
        if (!result)
            continue;
        if (!isSameText(result->text, text))
            return result;
        // Unchanged (a name, a loan word): keep the first, let the next engine try.
        if (!provisional)
            provisional = std::move(result);
    }
    return provisional;
}

std::optional<QString> lexWebFallbackURLString(const TranslationCommand& command) {
    const QUrl base(webDictionaryBaseURL);
    if (!base.isValid() || command.sourceText.isEmpty())
        return std::nullopt;
    // Encoded in full, "+" included: the site reads a bare "+" as a space.
    return base.toString(QUrl::FullyEncoded | QUrl::RemoveQuery | QUrl::RemoveFragment) +
           QStringLiteral("?s=") + QString::fromLatin1(QUrl::toPercentEncoding(command.sourceText));
}

QStringList pythonCandidatePaths() {
    QStringList candidates;
    const QString configured = qEnvironmentVariable("TROVI_TRANSLATION_PYTHON");
    if (qEnvironmentVariableIsSet("TROVI_TRANSLATION_PYTHON"))
        candidates << configured;
    candidates << QDir(argosEnvironmentPath()).filePath(QStringLiteral("bin/python3"));
#ifdef Q_OS_MACOS
    candidates << "/opt/homebrew/bin/python3.12"
               << "/opt/homebrew/bin/python3";
#endif
    candidates << "/usr/local/bin/python3"
               << "/usr/bin/python3";
    return candidates;
}

QString argosEnvironmentPath() {
    QString data = qEnvironmentVariable("XDG_DATA_HOME");
    if (data.isEmpty() || QDir::isRelativePath(data))
        data = QDir::home().filePath(QStringLiteral(".local/share"));
    return QDir(data).filePath(QStringLiteral("trovi-launcher/argos"));
}

namespace {
bool isExecutableFile(const QString& path) {
    const QFileInfo info(path);
    return !path.isEmpty() && info.isFile() && info.isExecutable();
}
} // namespace

ArgosRuntime findArgosRuntime() {
    ArgosRuntime found;
    for (const QString& candidate : pythonCandidatePaths()) {
        if (!isExecutableFile(candidate))
            continue;
        const ArgosRuntimeStatus status = evaluateArgosRuntimeStatus(candidate);
        if (status == ArgosRuntimeStatus::ready)
            return {status, candidate};
        if (!found.python || (status == ArgosRuntimeStatus::checkFailed &&
                              found.status != ArgosRuntimeStatus::checkFailed))
            found = {status, candidate};
    }
    return found;
}

std::optional<QString> resolvedPythonExecutablePath() {
    for (const QString& candidate : pythonCandidatePaths()) {
        if (isExecutableFile(candidate))
            return candidate;
    }
    return std::nullopt;
}

std::optional<QString> userSitePackagesPath(const QString& pythonExecutablePath,
                                            const QString& homeDirectory) {
    static const QRegularExpression minorVersion(QStringLiteral("python3\\.(\\d+)$"));
    QRegularExpressionMatch match = minorVersion.match(pythonExecutablePath);
    // Linux installs python3 as a link to python3.N: the target names the version.
    if (!match.hasMatch())
        match = minorVersion.match(QFileInfo(pythonExecutablePath).canonicalFilePath());
    if (!match.hasMatch())
        return std::nullopt;
#ifdef Q_OS_MACOS
    const QString relative =
        QStringLiteral("Library/Python/3.%1/lib/python/site-packages").arg(match.captured(1));
#else
    const QString relative =
        QStringLiteral(".local/lib/python3.%1/site-packages").arg(match.captured(1));
#endif
    const QString path = QDir(homeDirectory).filePath(relative);
    if (!QFileInfo(path).isDir())
        return std::nullopt;
    return path;
}

QStringList processEnvironment(const QString& pythonExecutablePath) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("PYTHONNOUSERSITE"), QStringLiteral("0"));
    // Never import from the folder Python starts in (the same as -P, and
    // ignored by interpreters older than 3.11, which then start in "/").
    environment.insert(QStringLiteral("PYTHONSAFEPATH"), QStringLiteral("1"));
    if (const auto site = userSitePackagesPath(pythonExecutablePath, QDir::homePath())) {
        const QString old = environment.value(QStringLiteral("PYTHONPATH"));
        environment.insert(QStringLiteral("PYTHONPATH"),
                           old.isEmpty() ? *site : *site + u':' + old);
    }
    return environment.toStringList();
}

ArgosRuntimeStatus evaluateArgosRuntimeStatus(const std::optional<QString>& python) {
    if (!python)
        return ArgosRuntimeStatus::pythonMissing;
    auto check = ChildProcess::start(*python, {"-c", "import argostranslate.translate"},
                                     processEnvironment(*python), ChildProcess::Streams::none);
    if (!check)
        return ArgosRuntimeStatus::checkFailed;
    if (!check->waitForExit(QDeadlineTimer(1200))) {
        check->terminate(QDeadlineTimer(500));
        return ArgosRuntimeStatus::checkFailed;
    }
    return check->exitStatus() == 0 ? ArgosRuntimeStatus::ready : ArgosRuntimeStatus::moduleMissing;
}

TranslationEngineAvailability argosAvailability(ArgosRuntimeStatus status,
                                                const std::optional<QString>& python) {
    switch (status) {
    case ArgosRuntimeStatus::pythonMissing:
        return {false, QStringLiteral("Unavailable: Python 3 not found."), {}};
    case ArgosRuntimeStatus::moduleMissing:
        return {false, QStringLiteral("Unavailable: argostranslate module not installed."), {}};
    case ArgosRuntimeStatus::checkFailed:
        return {true,
                QStringLiteral("Runtime check failed; Argos will still be tried on translation."),
                {}};
    case ArgosRuntimeStatus::ready:
        return {
            true, QStringLiteral("Ready (%1).").arg(QFileInfo(python.value_or("")).fileName()), {}};
    }
    return {};
}

#ifdef Q_OS_MACOS
TranslationEngineAvailability appleAvailability() {
    // The framework is not linked into this build yet.
    return {
        false,
        QStringLiteral("Unavailable on %1; requires macOS 26+.").arg(QSysInfo::prettyProductName()),
        {}};
}
#endif

} // namespace translation

struct LocalTranslationEngines::RuntimeCache {
    std::mutex mutex;
    std::optional<translation::ArgosRuntime> runtime;

    translation::ArgosRuntime get() {
        std::lock_guard lock(mutex);
        if (!runtime)
            runtime = translation::findArgosRuntime();
        return *runtime;
    }
};

LocalTranslationEngines::LocalTranslationEngines()
    : m_daemon(std::make_shared<ArgosDaemon>()), m_apertium(std::make_shared<ApertiumEngine>()),
      m_argosRuntime(std::make_shared<RuntimeCache>()) {}

LocalTranslationEngines::~LocalTranslationEngines() = default;

std::optional<TranslationLookupResult>
LocalTranslationEngines::translate(TranslationEngineID engine, const QString& text,
                                   const QString& sourceLanguageCode,
                                   const QString& targetLanguageCode) {
    switch (engine) {
    case TranslationEngineID::apple:
        return std::nullopt; // never called successfully off macOS
    case TranslationEngineID::argos:
        return translateWithArgos(text, sourceLanguageCode, targetLanguageCode);
    case TranslationEngineID::apertium:
        if (const auto translated =
                m_apertium->translate(text, sourceLanguageCode, targetLanguageCode))
            return TranslationLookupResult{*translated, displayName(engine), engine};
        return std::nullopt;
    }
    return std::nullopt;
}

translation::ArgosRuntime LocalTranslationEngines::argosRuntime() {
    return m_argosRuntime->get();
}

namespace {
// No resident helper for an interpreter known not to have Argos.
std::optional<QString> helperInterpreter(const translation::ArgosRuntime& runtime) {
    if (runtime.status == ArgosRuntimeStatus::ready ||
        runtime.status == ArgosRuntimeStatus::checkFailed)
        return runtime.python;
    return std::nullopt;
}
} // namespace

std::optional<TranslationLookupResult>
LocalTranslationEngines::translateWithArgos(const QString& text, const QString& source,
                                            const QString& target) {
    const std::optional<QString> python = helperInterpreter(argosRuntime());
    if (!python)
        return std::nullopt;
    const std::optional<ArgosResponse> response =
        m_daemon->exchange(*python, translation::processEnvironment(*python), source, target, text);
    if (!response || !response->ok)
        return std::nullopt;
    const QString translated = response->text.value_or(QString()).trimmed();
    if (translated.isEmpty())
        return std::nullopt;
    return TranslationLookupResult{translated, displayName(TranslationEngineID::argos),
                                   TranslationEngineID::argos};
}

TranslationEngineAvailability LocalTranslationEngines::availability(TranslationEngineID engine) {
    switch (engine) {
    case TranslationEngineID::apple:
#ifdef Q_OS_MACOS
        return translation::appleAvailability();
#else
        return {false, QString(), QString()}; // never offered here
#endif
    case TranslationEngineID::argos: {
        const translation::ArgosRuntime runtime = argosRuntime();
        return translation::argosAvailability(runtime.status, runtime.python);
    }
    case TranslationEngineID::apertium:
        return m_apertium->availability();
    }
    return {};
}

TranslationEngineAvailability LocalTranslationEngines::pairAvailability(TranslationEngineID engine,
                                                                        const QString& source,
                                                                        const QString& target) {
    if (engine == TranslationEngineID::apertium)
        return m_apertium->availability(source, target);
    return availability(engine);
}

void LocalTranslationEngines::prewarm(const QList<TranslationEngineID>& engines,
                                      const QStringList& languageCodes) {
    // The first two languages are the pair a plain "cc" command translates.
    const QStringList pair = languageCodes.mid(0, 2);
    std::thread([engines, pair, daemon = m_daemon, apertium = m_apertium,
                 runtime = m_argosRuntime] {
        if (engines.contains(TranslationEngineID::apertium) && pair.size() == 2) {
            apertium->warmUp(pair[0], pair[1]);
            apertium->warmUp(pair[1], pair[0]);
        }
        if (!engines.contains(TranslationEngineID::argos))
            return;
        if (const std::optional<QString> python = helperInterpreter(runtime->get()))
            daemon->warmUp(*python, translation::processEnvironment(*python));
    }).detach();
}

void LocalTranslationEngines::interrupt() {
    m_daemon->interruptWait();
}

void LocalTranslationEngines::shutDown() {
    m_daemon->stop();
}

} // namespace trovi
