#pragma once
// Names of the launcher's in-process change notifications (posted on
// NotificationCenter::defaultCenter()) and the keys of their payloads.
// The preference keys they announce are in PreferenceKeys.h.

#include "launcher/settings/PreferenceKeys.h"

#include <QString>

namespace trovi::notifications {

// Preference changes; observers re-read the matching store.
inline const QString LauncherThemeChanged = QStringLiteral("LauncherThemeChanged");
inline const QString LauncherIconSettingsChanged = QStringLiteral("LauncherIconSettingsChanged");
inline const QString LauncherWindowSnapChanged = QStringLiteral("LauncherWindowSnapChanged");
inline const QString LauncherMenuBarIconVisibilityChanged =
    QStringLiteral("LauncherMenuBarIconVisibilityChanged");
inline const QString LauncherVersionVisibilityChanged =
    QStringLiteral("LauncherVersionVisibilityChanged");
inline const QString LauncherScoreVisibilityChanged =
    QStringLiteral("LauncherScoreVisibilityChanged");
inline const QString ShowSnippetsChanged = QStringLiteral("ShowSnippetsChanged");
inline const QString LauncherSearchDebounceChanged =
    QStringLiteral("LauncherSearchDebounceChanged");
inline const QString LauncherSessionPersistenceChanged =
    QStringLiteral("LauncherSessionPersistenceChanged");
inline const QString LauncherRankingSettingsChanged =
    QStringLiteral("LauncherRankingSettingsChanged");
inline const QString LauncherHotKeyChanged = QStringLiteral("LauncherHotKeyChanged");
inline const QString NotionSettingsChanged = QStringLiteral("NotionSettingsChanged");

// Events.
// Payload: {"success": bool}
inline const QString LauncherHotKeyRegistrationStatusChanged =
    QStringLiteral("LauncherHotKeyRegistrationStatusChanged");
inline const QString LauncherSearchDataRefreshed = QStringLiteral("LauncherSearchDataRefreshed");
// Payload: {"hasResults": bool}
inline const QString LauncherResultsVisibilityChanged =
    QStringLiteral("LauncherResultsVisibilityChanged");
inline const QString WindowAppeared = QStringLiteral("WindowAppeared");
inline const QString WindowHidden = QStringLiteral("WindowHidden");

// Payload keys.
inline const QString successKey = QStringLiteral("success");
inline const QString hasResultsKey = QStringLiteral("hasResults");

} // namespace trovi::notifications
