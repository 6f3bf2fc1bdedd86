#include "TranslationStatus.h"

#include "launcher/clients/TranslationSettingsStores.h"
#include "launcher/clients/translation/ApertiumEngine.h"
#include "launcher/clients/translation/TranslationLookup.h"
#include "launcher/settings/PreferenceStore.h"

#include <QDir>
#include <QFileInfo>

#include <cstdio>

namespace trovi::app {

namespace {

// Paths come from the environment: never pass control characters on.
QString printable(QString text) {
    for (QChar& c : text) {
        if (c.category() == QChar::Other_Control)
            c = u'?';
    }
    return text;
}

void line(const QString& text) {
    std::fprintf(stdout, "%s\n", printable(text).toUtf8().constData());
}

QString homeRelative(const QString& path) {
    const QString home = QDir::homePath();
    if (path.startsWith(home + u'/'))
        return QStringLiteral("~") + path.mid(home.size());
    return path;
}

QString interpreterState(const QString& path) {
    const QFileInfo info(path);
    if (!info.exists())
        return QStringLiteral("not found");
    if (!info.isFile() || !info.isExecutable())
        return QStringLiteral("not an executable file");
    switch (translation::evaluateArgosRuntimeStatus(path)) {
    case ArgosRuntimeStatus::ready:
        return QStringLiteral("imports argostranslate");
    case ArgosRuntimeStatus::moduleMissing:
        return QStringLiteral("cannot import argostranslate");
    case ArgosRuntimeStatus::checkFailed:
    case ArgosRuntimeStatus::pythonMissing:
        break;
    }
    return QStringLiteral("did not answer in time");
}

void printArgos(LocalTranslationEngines& engines) {
    line(QStringLiteral("  interpreters, in the order they are tried:"));
    if (!qEnvironmentVariableIsSet("TROVI_TRANSLATION_PYTHON"))
        line(QStringLiteral("    TROVI_TRANSLATION_PYTHON: not set"));
    for (const QString& candidate : translation::pythonCandidatePaths())
        line(QStringLiteral("    %1: %2").arg(candidate, interpreterState(candidate)));
    if (engines.availability(TranslationEngineID::argos).isAvailable)
        return;
    const QString venv = homeRelative(translation::argosEnvironmentPath());
    line(QStringLiteral("  to install it (Debian's pip refuses system-wide installs):"));
    line(QStringLiteral("    apt install python3-venv"));
    line(QStringLiteral("    python3 -m venv %1").arg(venv));
    line(QStringLiteral("    %1/bin/pip install argostranslate").arg(venv));
    line(QStringLiteral("    %1/bin/argospm update && %1/bin/argospm install translate-en_de")
             .arg(venv));
}

void printApertium(LocalTranslationEngines& engines, const QStringList& languages) {
    ApertiumEngine& apertium = engines.apertium();
    const auto program = apertium.programPath();
    line(QStringLiteral("  program: %1").arg(program.value_or(QStringLiteral("not found"))));
    const QStringList modes = apertium.installedModes();
    line(QStringLiteral("  installed directions: %1")
             .arg(modes.isEmpty() ? QStringLiteral("none") : modes.join(QStringLiteral(", "))));
    if (!program)
        return;
    line(QStringLiteral("  your languages (%1):").arg(languages.join(QStringLiteral(", "))));
    for (const QString& from : languages) {
        for (const QString& to : languages) {
            if (from != to)
                line(QStringLiteral("    %1 -> %2: %3")
                         .arg(from.toUpper(), to.toUpper(),
                              apertium.availability(from, to).message));
        }
    }
}

} // namespace

int runTranslationStatus() {
    PreferenceStore& preferences = PreferenceStore::standard();
    const TranslationEnginePreferences settings =
        TranslationEngineSettingsStore(preferences).load();
    const QStringList languages = TranslationLanguageSettingsStore(preferences).load();
    LocalTranslationEngines engines;
    line(QStringLiteral("Translation engines, in the order they are tried:"));
    for (const TranslationEngineID id : settings.order) {
        const bool enabled = settings.enabledEngineIDs.contains(id);
        line(QStringLiteral("%1 (%2, %3): %4")
                 .arg(displayName(id), rawValue(id),
                      enabled ? QStringLiteral("enabled") : QStringLiteral("disabled"),
                      engines.availability(id).message));
        if (id == TranslationEngineID::argos)
            printArgos(engines);
        else if (id == TranslationEngineID::apertium)
            printApertium(engines, languages);
    }
    return 0;
}

} // namespace trovi::app
