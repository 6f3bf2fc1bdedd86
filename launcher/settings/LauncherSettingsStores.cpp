#include "launcher/settings/LauncherSettingsStores.h"

#include "launcher/settings/PreferenceKeys.h"

#include <algorithm>

namespace trovi {

namespace keys = preferenceKeys;

// ---- Booleans -------------------------------------------------------------

BooleanSettingStore::BooleanSettingStore(PreferenceStore& defaults, QString key)
    : m_defaults(&defaults), m_key(std::move(key)) {}

std::optional<bool> BooleanSettingStore::storedValue() const {
    return m_defaults->boolValue(m_key);
}

bool BooleanSettingStore::load(bool defaultValue) const {
    return storedValue().value_or(defaultValue);
}

void BooleanSettingStore::save(bool value) const {
    m_defaults->setBool(m_key, value);
}

bool BooleanSettingStore::toggle(bool defaultValue) const {
    const bool value = !load(defaultValue);
    save(value);
    return value;
}

#define TROVI_BOOLEAN_STORE(Type, key)                                                             \
    Type::Type(PreferenceStore& defaults) : BooleanSettingStore(defaults, key) {}                  \
    Type& Type::standard() {                                                                       \
        static Type instance(PreferenceStore::standard());                                         \
        return instance;                                                                           \
    }

TROVI_BOOLEAN_STORE(WindowSnapSettingsStore, keys::launcherSnapToGrid)
TROVI_BOOLEAN_STORE(MenuBarIconVisibilityStore, keys::launcherShowMenuBarIcon)
TROVI_BOOLEAN_STORE(VersionVisibilityStore, keys::launcherShowVersionNumber)
TROVI_BOOLEAN_STORE(SearchScoreVisibilityStore, keys::launcherShowSearchScores)
TROVI_BOOLEAN_STORE(LauncherIconSettingsStore, keys::launcherUseNativeAppIcons)
TROVI_BOOLEAN_STORE(PermissionOnboardingStore, keys::launcherPermissionsOnboardingCompleted)
TROVI_BOOLEAN_STORE(LaunchAtLoginSettingsStore, keys::launcherRunAtLogin)

#undef TROVI_BOOLEAN_STORE

// ---- Bounded integers -----------------------------------------------------

BoundedIntegerSettingStore::BoundedIntegerSettingStore(PreferenceStore& defaults, QString key,
                                                       int minimum, int maximum, int defaultValue)
    : m_defaults(&defaults), m_key(std::move(key)), m_minimum(minimum),
      m_maximum(std::max(minimum, maximum)), m_default(defaultValue) {}

int BoundedIntegerSettingStore::clamped(qint64 value) const {
    return int(std::clamp<qint64>(value, m_minimum, m_maximum));
}

int BoundedIntegerSettingStore::load() const {
    return clamped(m_defaults->integerValue(m_key).value_or(m_default));
}

void BoundedIntegerSettingStore::save(int value) const {
    m_defaults->setInteger(m_key, value);
}

SessionPersistenceSettingsStore::SessionPersistenceSettingsStore(PreferenceStore& defaults)
    : BoundedIntegerSettingStore(defaults, keys::launcherSessionPersistenceSeconds, minimumSeconds,
                                 maximumSeconds, defaultSeconds) {}

SessionPersistenceSettingsStore& SessionPersistenceSettingsStore::standard() {
    static SessionPersistenceSettingsStore instance(PreferenceStore::standard());
    return instance;
}

SearchDebounceSettingsStore::SearchDebounceSettingsStore(PreferenceStore& defaults)
    : BoundedIntegerSettingStore(defaults, keys::launcherSearchDebounceMilliseconds,
                                 minimumMilliseconds, maximumMilliseconds, defaultMilliseconds) {}

SearchDebounceSettingsStore& SearchDebounceSettingsStore::standard() {
    static SearchDebounceSettingsStore instance(PreferenceStore::standard());
    return instance;
}

// ---- Theme ----------------------------------------------------------------

const QStringList& launcherThemeIDs() {
    static const QStringList ids = {
        QStringLiteral("graphite"),
        QStringLiteral("vitesseDarkSoft"),
        QStringLiteral("vitesseDarkSoftUnified"),
        QStringLiteral("vitesseDarkSoftRoseHover"),
        QStringLiteral("midnightBlue"),
        QStringLiteral("forest"),
        QStringLiteral("violetNoir"),
        QStringLiteral("sunset"),
        QStringLiteral("roseDust"),
        QStringLiteral("frost"),
        QStringLiteral("ember"),
        QStringLiteral("daylight"),
    };
    return ids;
}

QString defaultLauncherThemeID() {
    return launcherThemeIDs().front();
}

bool isLauncherThemeID(const QString& themeID) {
    return launcherThemeIDs().contains(themeID);
}

LauncherThemeStore::LauncherThemeStore(PreferenceStore& defaults)
    : m_defaults(&defaults), m_key(keys::launcherThemeID) {}

LauncherThemeStore& LauncherThemeStore::standard() {
    static LauncherThemeStore instance(PreferenceStore::standard());
    return instance;
}

QString LauncherThemeStore::load() const {
    const std::optional<QString> stored = m_defaults->stringValue(m_key);
    return stored && isLauncherThemeID(*stored) ? *stored : defaultLauncherThemeID();
}

bool LauncherThemeStore::save(const QString& themeID) const {
    if (!isLauncherThemeID(themeID))
        return false;
    m_defaults->setString(m_key, themeID);
    return true;
}

// ---- Snippets -------------------------------------------------------------

bool showSnippets(const PreferenceStore& defaults) {
    return defaults.boolValue(keys::showSnippets).value_or(false);
}

void setShowSnippets(PreferenceStore& defaults, bool show) {
    defaults.setBool(keys::showSnippets, show);
}

bool toggleShowSnippets(PreferenceStore& defaults) {
    const bool show = !showSnippets(defaults);
    setShowSnippets(defaults, show);
    return show;
}

} // namespace trovi
