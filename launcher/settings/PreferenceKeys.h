#pragma once
// The launcher's preference keys, as stored in the user's preference file.
// Their types, defaults and bounds live with the stores that own them.

#include <QString>

namespace trovi::preferenceKeys {

// Global hotkey
inline const QString launcherHotKeyEnabled = QStringLiteral("launcherHotKeyEnabled");
inline const QString launcherHotKeyCode = QStringLiteral("launcherHotKeyCode");
inline const QString launcherHotKeyModifiers = QStringLiteral("launcherHotKeyModifiers");
inline const QString launcherHotKeyCharacter = QStringLiteral("launcherHotKeyCharacter");

// Visibility and appearance
inline const QString launcherShowMenuBarIcon = QStringLiteral("launcherShowMenuBarIcon");
inline const QString launcherShowVersionNumber = QStringLiteral("launcherShowVersionNumber");
inline const QString launcherShowSearchScores = QStringLiteral("launcherShowSearchScores");
inline const QString showSnippets = QStringLiteral("showSnippets");
inline const QString launcherUseNativeAppIcons = QStringLiteral("launcherUseNativeAppIcons");
inline const QString launcherThemeID = QStringLiteral("launcherThemeID");
inline const QString launcherSnapToGrid = QStringLiteral("launcherSnapToGrid");

// Start-up
inline const QString launcherRunAtLogin = QStringLiteral("launcherRunAtLogin");
inline const QString launcherPermissionsOnboardingCompleted =
    QStringLiteral("launcherPermissionsOnboardingCompleted");
inline const QString allowMultipleInstances = QStringLiteral("allowMultipleInstances");

// Search session
inline const QString launcherSessionPersistenceSeconds =
    QStringLiteral("launcherSessionPersistenceSeconds");
inline const QString launcherSearchDebounceMilliseconds =
    QStringLiteral("launcherSearchDebounceMilliseconds");
inline const QString launcherSearchHistoryQueries = QStringLiteral("launcherSearchHistoryQueries");

// Ranking and learning
inline const QString launcherExtensionBoostRules = QStringLiteral("launcherExtensionBoostRules");
inline const QString launcherPathOpenCounts = QStringLiteral("launcherPathOpenCounts");

// Translation
inline const QString launcherTranslationTrigger = QStringLiteral("launcherTranslationTrigger");
inline const QString launcherTranslationLanguageCodes =
    QStringLiteral("launcherTranslationLanguageCodes");
inline const QString launcherTranslationEngineOrder =
    QStringLiteral("launcherTranslationEngineOrder");
inline const QString launcherTranslationEngineEnabled =
    QStringLiteral("launcherTranslationEngineEnabled");

// Notion
inline const QString notionIntegrationToken = QStringLiteral("notionIntegrationToken");
inline const QString notionSearchEnabled = QStringLiteral("notionSearchEnabled");

// Window geometry
inline const QString launcherWindowX = QStringLiteral("launcherWindowX");
inline const QString launcherWindowTopY = QStringLiteral("launcherWindowTopY");
inline const QString launcherWindowWidth = QStringLiteral("launcherWindowWidth");
inline const QString launcherWindowHeight = QStringLiteral("launcherWindowHeight");
inline const QString launcherSettingsWindowWidth = QStringLiteral("launcherSettingsWindowWidth");
inline const QString launcherSettingsWindowHeight = QStringLiteral("launcherSettingsWindowHeight");

} // namespace trovi::preferenceKeys
