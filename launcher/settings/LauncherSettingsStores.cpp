#include "launcher/settings/LauncherSettingsStores.h"

#include "launcher/settings/NotificationCenter.h"
#include "launcher/settings/PreferenceKeys.h"
#include "launcher/settings/PreferenceRegistry.h"
#include "launcher/settings/themes/LauncherTheme.h"

#include <algorithm>

namespace trovi {

namespace keys = preferenceKeys;

namespace {

// Posts the change notification of `key`, if it has one and a centre was given.
void announce(NotificationCenter* notifications, const QString& key) {
    if (!notifications)
        return;
    const PreferenceDefinition* definition = launcherPreferenceDefinitions().find(key);
    if (definition && !definition->notification.isEmpty())
        notifications->post(definition->notification);
}

} // namespace

// ---- Booleans -------------------------------------------------------------

BooleanSettingStore::BooleanSettingStore(PreferenceStore& defaults, QString key,
                                         NotificationCenter* notifications)
    : m_defaults(&defaults), m_key(std::move(key)), m_notifications(notifications) {}

std::optional<bool> BooleanSettingStore::storedValue() const {
    return m_defaults->boolValue(m_key);
}

bool BooleanSettingStore::load() const {
    const PreferenceDefinition* definition = launcherPreferenceDefinitions().find(m_key);
    return load(definition && definition->defaultValue.toBool());
}

bool BooleanSettingStore::load(bool defaultValue) const {
    return storedValue().value_or(defaultValue);
}

void BooleanSettingStore::save(bool value) const {
    m_defaults->setBool(m_key, value);
    announce(m_notifications, m_key);
}

bool BooleanSettingStore::toggle() const {
    const bool value = !load();
    save(value);
    return value;
}

#define TROVI_BOOLEAN_STORE(Type, key)                                                             \
    Type::Type(PreferenceStore& defaults, NotificationCenter* notifications)                       \
        : BooleanSettingStore(defaults, key, notifications) {}                                     \
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
TROVI_BOOLEAN_STORE(ShowSnippetsStore, keys::showSnippets)

#undef TROVI_BOOLEAN_STORE

// ---- Bounded integers -----------------------------------------------------

BoundedIntegerSettingStore::BoundedIntegerSettingStore(PreferenceStore& defaults, QString key,
                                                       int minimum, int maximum, int defaultValue,
                                                       NotificationCenter* notifications)
    : m_defaults(&defaults), m_key(std::move(key)), m_minimum(minimum),
      m_maximum(std::max(minimum, maximum)), m_default(defaultValue),
      m_notifications(notifications) {}

int BoundedIntegerSettingStore::clamped(qint64 value) const {
    return int(std::clamp<qint64>(value, m_minimum, m_maximum));
}

int BoundedIntegerSettingStore::load() const {
    return clamped(m_defaults->integerValue(m_key).value_or(m_default));
}

void BoundedIntegerSettingStore::save(int value) const {
    m_defaults->setInteger(m_key, value);
    announce(m_notifications, m_key);
}

SessionPersistenceSettingsStore::SessionPersistenceSettingsStore(PreferenceStore& defaults,
                                                                 NotificationCenter* notifications)
    : BoundedIntegerSettingStore(defaults, keys::launcherSessionPersistenceSeconds, minimumSeconds,
                                 maximumSeconds, defaultSeconds, notifications) {}

SessionPersistenceSettingsStore& SessionPersistenceSettingsStore::standard() {
    static SessionPersistenceSettingsStore instance(PreferenceStore::standard());
    return instance;
}

SearchDebounceSettingsStore::SearchDebounceSettingsStore(PreferenceStore& defaults,
                                                         NotificationCenter* notifications)
    : BoundedIntegerSettingStore(defaults, keys::launcherSearchDebounceMilliseconds,
                                 minimumMilliseconds, maximumMilliseconds, defaultMilliseconds,
                                 notifications) {}

SearchDebounceSettingsStore& SearchDebounceSettingsStore::standard() {
    static SearchDebounceSettingsStore instance(PreferenceStore::standard());
    return instance;
}

// ---- Theme ----------------------------------------------------------------

const QStringList& launcherThemeIDs() {
    static const QStringList ids = [] {
        QStringList list;
        for (const LauncherTheme& theme : LauncherThemeCatalog::all())
            list.append(rawValue(theme.id));
        return list;
    }();
    return ids;
}

QString defaultLauncherThemeID() {
    return launcherThemeIDs().front();
}

bool isLauncherThemeID(const QString& themeID) {
    return launcherThemeIDs().contains(themeID);
}

LauncherThemeStore::LauncherThemeStore(PreferenceStore& defaults, NotificationCenter* notifications)
    : m_defaults(&defaults), m_key(keys::launcherThemeID), m_notifications(notifications) {}

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
    announce(m_notifications, m_key);
    return true;
}

} // namespace trovi
