#pragma once
// What the settings window's sections read, write and tell: the preference
// store, the notification centre and the platform pieces behind interfaces.

#include "launcher/shell/settings/ThemePreviewCard.h"

#include <QList>
#include <QString>

#include <functional>
#include <memory>

class QGroupBox;
class QLabel;
class QWidget;

namespace trovi {

class LaunchAtLoginManaging;
class NotificationCenter;
class NotionClient;
class PreferenceStore;
class TranslationEngines;

struct SettingsEnvironment {
    PreferenceStore* preferences = nullptr;
    NotificationCenter* notifications = nullptr;
    LaunchAtLoginManaging* launchAtLogin = nullptr;         // null: run at login is not offered
    std::function<QList<ThemePreview>()> themePreviews;     // the theme catalogue, in order
    std::shared_ptr<TranslationEngines> translationEngines; // null: availability not shown
    // Binds the hotkey in the desktop's own shortcut settings (the way on
    // Wayland) and returns what to tell the person; null: not offered.
    std::function<QString()> installDesktopShortcut;
};

// Section builders, in the window's order. Each control writes through its
// store as soon as it changes and posts the matching notification.
QGroupBox* makeHotKeySection(const SettingsEnvironment& environment, QWidget* parent);
QGroupBox* makeSearchResultsSection(const SettingsEnvironment& environment, QWidget* parent);
QGroupBox* makeRankingSection(const SettingsEnvironment& environment, QWidget* parent);
QGroupBox* makeWindowSection(const SettingsEnvironment& environment, QWidget* parent);
QGroupBox* makeSystemIntegrationSection(const SettingsEnvironment& environment, QWidget* parent);
QGroupBox* makeAppearanceSection(const SettingsEnvironment& environment, QWidget* parent);
QGroupBox* makeTranslationSection(const SettingsEnvironment& environment, QWidget* parent);
// Passed in as an extra section: the connection test needs `client`, which
// must outlive the section.
QGroupBox* makeNotionSection(const SettingsEnvironment& environment, NotionClient& client,
                             QWidget* parent);

// Small pieces the sections share.
QGroupBox* makeSection(const QString& title, const QString& objectName, QWidget* parent);
QLabel* makeCaption(const QString& text, QWidget* parent);

} // namespace trovi
