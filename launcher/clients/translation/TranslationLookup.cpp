#include "launcher/clients/translation/TranslationLookup.h"

#include "launcher/clients/translation/ArgosDaemon.h"
#include "launcher/clients/translation/ChildProcess.h"

#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QProcessEnvironment>
#include <QRegularExpression>
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
#ifdef Q_OS_MACOS
    candidates << "/opt/homebrew/bin/python3.12"
               << "/opt/homebrew/bin/python3";
#endif
    candidates << "/usr/local/bin/python3"
               << "/usr/bin/python3";
    return candidates;
}

std::optional<QString> resolvedPythonExecutablePath() {
    for (const QString& candidate : pythonCandidatePaths()) {
        const QFileInfo info(candidate);
        if (!candidate.isEmpty() && info.isFile() && info.isExecutable())
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
        return {false, QStringLiteral("Unavailable: Python 3 not found.")};
    case ArgosRuntimeStatus::moduleMissing:
        return {false, QStringLiteral("Unavailable: argostranslate module not installed.")};
    case ArgosRuntimeStatus::checkFailed:
        return {true,
                QStringLiteral("Runtime check failed; Argos will still be tried on translation.")};
    case ArgosRuntimeStatus::ready:
        return {true, QStringLiteral("Ready (%1).").arg(QFileInfo(python.value_or("")).fileName())};
    }
    return {};
}

QString runningSystemName() {
#if defined(Q_OS_LINUX)
    return QStringLiteral("Linux");
#else
    return QSysInfo::prettyProductName();
#endif
}

TranslationEngineAvailability appleAvailability() {
    // Apple's Translation framework is not part of this build's platforms.
    return {false,
            QStringLiteral("Unavailable on %1; requires macOS 26+.").arg(runningSystemName())};
}

} // namespace translation

LocalTranslationEngines::LocalTranslationEngines() : m_daemon(std::make_shared<ArgosDaemon>()) {}

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
    }
    return std::nullopt;
}

std::optional<TranslationLookupResult>
LocalTranslationEngines::translateWithArgos(const QString& text, const QString& source,
                                            const QString& target) {
    const std::optional<QString> python = translation::resolvedPythonExecutablePath();
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
    if (engine == TranslationEngineID::apple)
        return translation::appleAvailability();
    const std::optional<QString> python = translation::resolvedPythonExecutablePath();
    std::lock_guard lock(m_statusMutex);
    if (!m_argosRuntimeStatus)
        m_argosRuntimeStatus = translation::evaluateArgosRuntimeStatus(python);
    return translation::argosAvailability(*m_argosRuntimeStatus, python);
}

void LocalTranslationEngines::prewarm(const QList<TranslationEngineID>& engines) {
    if (!engines.contains(TranslationEngineID::argos))
        return;
    const std::optional<QString> python = translation::resolvedPythonExecutablePath();
    if (!python)
        return;
    std::thread([daemon = m_daemon, python = *python] {
        daemon->warmUp(python, translation::processEnvironment(python));
    }).detach();
}

void LocalTranslationEngines::interrupt() {
    m_daemon->interruptWait();
}

void LocalTranslationEngines::shutDown() {
    m_daemon->stop();
}

} // namespace trovi
