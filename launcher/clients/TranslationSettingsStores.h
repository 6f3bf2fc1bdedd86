#pragma once
// The persisted translation settings: the trigger word, the user's language
// list and the engines' priority order and enablement. Each store reads and
// writes one PreferenceStore and normalises on both sides, so a hand-edited
// or corrupt value falls back to sensible defaults.

#include "launcher/clients/TranslationCommand.h"
#include "launcher/settings/PreferenceStore.h"

#include <QLatin1StringView>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

#include <array>
#include <optional>

namespace trovi {

class TranslationCommandSettingsStore {
public:
    static constexpr QLatin1StringView translationTriggerKey{"launcherTranslationTrigger"};
    static constexpr QLatin1StringView defaultTrigger{"cc"};

    explicit TranslationCommandSettingsStore(PreferenceStore& preferences)
        : m_preferences(&preferences) {}

    // The stored trigger, normalised; "cc" when absent or unusable.
    QString loadTrigger() const;
    // Stores and returns the normalised trigger.
    QString saveTrigger(const QString& rawTrigger) const;

    static TranslationCommandSettingsStore& standard();

private:
    PreferenceStore* m_preferences;
};

class TranslationLanguageSettingsStore {
public:
    static constexpr QLatin1StringView languageCodesKey{"launcherTranslationLanguageCodes"};
    static constexpr qsizetype maxLanguageCodes = 8;
    static QStringList defaultLanguageCodes(); // "en", "de"

    explicit TranslationLanguageSettingsStore(PreferenceStore& preferences)
        : m_preferences(&preferences) {}

    // Between 2 and 8 distinct normalised codes.
    QStringList load() const;
    // Stores the normalised form of the text typed in the settings screen
    // ("en, DE ,fr"), completed to at least two codes.
    void save(const QString& rawValue) const;

    static QString normalizeLanguageCode(const QString& code);
    // Normalised, empty and repeated codes dropped, at most 8.
    static QStringList normalizedLanguageCodes(const QStringList& codes);
    static QStringList normalizedLanguageCodesFromRawValue(const QString& rawValue);
    // Fills up a short list with "en" and "de" so translation has two languages.
    static QStringList withMinimumLanguageCount(const QStringList& codes);

    static TranslationLanguageSettingsStore& standard();

private:
    PreferenceStore* m_preferences;
};

enum class TranslationEngineID {
    apple,    // the platform's translation framework (macOS only)
    argos,    // Argos Translate, run locally
    apertium, // Apertium, Debian's rule-based translator, run locally
};

// The engines that can exist on this platform, in case order. Elsewhere than
// macOS there is no Apple engine: a stored list naming it loads without it.
#ifdef Q_OS_MACOS
inline constexpr std::array<TranslationEngineID, 3> allTranslationEngineIDs{
    TranslationEngineID::apple, TranslationEngineID::argos, TranslationEngineID::apertium};
#else
inline constexpr std::array<TranslationEngineID, 2> allTranslationEngineIDs{
    TranslationEngineID::argos, TranslationEngineID::apertium};
#endif

QString rawValue(TranslationEngineID id);
std::optional<TranslationEngineID> translationEngineIDFromRawValue(const QString& rawValue);
QString displayName(TranslationEngineID id);

inline size_t qHash(TranslationEngineID id, size_t seed = 0) noexcept {
    return ::qHash(static_cast<int>(id), seed);
}

struct TranslationEnginePreferences {
    QList<TranslationEngineID> order;           // every engine once, highest priority first
    QSet<TranslationEngineID> enabledEngineIDs; // never empty

    // The enabled engines in priority order.
    QList<TranslationEngineID> prioritizedEnabledEngineIDs() const;

    friend bool operator==(const TranslationEnginePreferences&,
                           const TranslationEnginePreferences&) = default;
};

class TranslationEngineSettingsStore {
public:
    static constexpr QLatin1StringView orderKey{"launcherTranslationEngineOrder"};
    static constexpr QLatin1StringView enabledKey{"launcherTranslationEngineEnabled"};
    // Every engine of this platform, all enabled: apple (macOS), argos, apertium.
    static QList<TranslationEngineID> defaultOrder();
    static QSet<TranslationEngineID> defaultEnabled();

    explicit TranslationEngineSettingsStore(PreferenceStore& preferences)
        : m_preferences(&preferences) {}

    TranslationEnginePreferences load() const;
    // Stores both normalised; the enabled list is written in priority order.
    void save(const QList<TranslationEngineID>& order,
              const QSet<TranslationEngineID>& enabled) const;

    // "argos, apple,foo" -> argos, apple; nothing when no known engine is named.
    static std::optional<QList<TranslationEngineID>>
    parseEngineIDs(const std::optional<QString>& rawValue);
    static QString encodeEngineIDs(const QList<TranslationEngineID>& ids);
    // Repeats dropped, missing engines appended in default order.
    static QList<TranslationEngineID>
    normalizedEngineOrder(const QList<TranslationEngineID>& order);
    // Never empty: an empty selection means every default engine.
    static QSet<TranslationEngineID>
    normalizedEnabledEngineIDs(const QSet<TranslationEngineID>& enabled);

    static TranslationEngineSettingsStore& standard();

private:
    PreferenceStore* m_preferences;
};

// The command in `query` under the user's current trigger and languages
// (read afresh each time), or nothing when it is an ordinary query.
std::optional<TranslationCommand>
translationCommandFromSettings(const QString& query, PreferenceStore& preferences,
                               const LanguageRecognizer& recognizer);

} // namespace trovi
