#pragma once
// Typed stores for the launcher's own settings: on/off options, bounded
// integers (debounce, session persistence), the theme choice and the snippet
// switch. Each reads a PreferenceStore; `standard()` binds the user's store.
// Defaults and change notifications come from the preference table; a store
// given a NotificationCenter posts its key's notification when it saves.

#include "launcher/settings/PreferenceStore.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace trovi {

class NotificationCenter;

// One boolean under one key. A missing value, or one of another type, loads
// as the key's default (false for a key without one).
class BooleanSettingStore {
public:
    BooleanSettingStore(PreferenceStore& defaults, QString key,
                        NotificationCenter* notifications = nullptr);

    const QString& key() const { return m_key; }
    std::optional<bool> storedValue() const;
    bool load() const;
    bool load(bool defaultValue) const;
    void save(bool value) const;
    // Read, invert, write; returns the value now stored.
    bool toggle() const;

private:
    PreferenceStore* m_defaults;
    QString m_key;
    NotificationCenter* m_notifications;
};

class WindowSnapSettingsStore : public BooleanSettingStore {
public:
    explicit WindowSnapSettingsStore(PreferenceStore& defaults,
                                     NotificationCenter* notifications = nullptr);
    static WindowSnapSettingsStore& standard();
};

class MenuBarIconVisibilityStore : public BooleanSettingStore {
public:
    explicit MenuBarIconVisibilityStore(PreferenceStore& defaults,
                                        NotificationCenter* notifications = nullptr);
    static MenuBarIconVisibilityStore& standard();
};

class VersionVisibilityStore : public BooleanSettingStore {
public:
    explicit VersionVisibilityStore(PreferenceStore& defaults,
                                    NotificationCenter* notifications = nullptr);
    static VersionVisibilityStore& standard();
};

class SearchScoreVisibilityStore : public BooleanSettingStore {
public:
    explicit SearchScoreVisibilityStore(PreferenceStore& defaults,
                                        NotificationCenter* notifications = nullptr);
    static SearchScoreVisibilityStore& standard();
};

class LauncherIconSettingsStore : public BooleanSettingStore {
public:
    explicit LauncherIconSettingsStore(PreferenceStore& defaults,
                                       NotificationCenter* notifications = nullptr);
    static LauncherIconSettingsStore& standard();
};

class PermissionOnboardingStore : public BooleanSettingStore {
public:
    explicit PermissionOnboardingStore(PreferenceStore& defaults,
                                       NotificationCenter* notifications = nullptr);
    static PermissionOnboardingStore& standard();
};

// The user's run-at-login choice. Absent until the first launch records the
// system's state, so storedValue() tells "never decided" from "off".
class LaunchAtLoginSettingsStore : public BooleanSettingStore {
public:
    explicit LaunchAtLoginSettingsStore(PreferenceStore& defaults,
                                        NotificationCenter* notifications = nullptr);
    static LaunchAtLoginSettingsStore& standard();
};

class ShowSnippetsStore : public BooleanSettingStore {
public:
    explicit ShowSnippetsStore(PreferenceStore& defaults,
                               NotificationCenter* notifications = nullptr);
    static ShowSnippetsStore& standard();
};

// An integer kept within [minimum, maximum]. Out-of-range values are clamped
// on load, never rejected; a missing or non-integer value loads the default.
class BoundedIntegerSettingStore {
public:
    BoundedIntegerSettingStore(PreferenceStore& defaults, QString key, int minimum, int maximum,
                               int defaultValue, NotificationCenter* notifications = nullptr);

    const QString& key() const { return m_key; }
    int minimum() const { return m_minimum; }
    int maximum() const { return m_maximum; }
    int defaultValue() const { return m_default; }

    int clamped(qint64 value) const;
    int load() const;
    void save(int value) const;

private:
    PreferenceStore* m_defaults;
    QString m_key;
    int m_minimum;
    int m_maximum;
    int m_default;
    NotificationCenter* m_notifications;
};

// How long the last search stays on screen when the window reopens, in seconds.
class SessionPersistenceSettingsStore : public BoundedIntegerSettingStore {
public:
    static constexpr int minimumSeconds = 0;
    static constexpr int maximumSeconds = 120;
    static constexpr int defaultSeconds = 10;

    explicit SessionPersistenceSettingsStore(PreferenceStore& defaults,
                                             NotificationCenter* notifications = nullptr);
    static SessionPersistenceSettingsStore& standard();
};

// The pause after the last keystroke before a search starts, in milliseconds.
class SearchDebounceSettingsStore : public BoundedIntegerSettingStore {
public:
    static constexpr int minimumMilliseconds = 10;
    static constexpr int maximumMilliseconds = 500;
    static constexpr int defaultMilliseconds = 50;

    explicit SearchDebounceSettingsStore(PreferenceStore& defaults,
                                         NotificationCenter* notifications = nullptr);
    static SearchDebounceSettingsStore& standard();
};

// Theme identifiers in the theme catalogue's order; the first is the default.
const QStringList& launcherThemeIDs();
QString defaultLauncherThemeID();
bool isLauncherThemeID(const QString& themeID);

// The chosen theme; a missing or unknown identifier loads as the default.
class LauncherThemeStore {
public:
    explicit LauncherThemeStore(PreferenceStore& defaults,
                                NotificationCenter* notifications = nullptr);
    static LauncherThemeStore& standard();

    const QString& key() const { return m_key; }
    QString load() const;
    // Stores a known identifier; an unknown one is refused and nothing changes.
    bool save(const QString& themeID) const;

private:
    PreferenceStore* m_defaults;
    QString m_key;
    NotificationCenter* m_notifications;
};

} // namespace trovi
