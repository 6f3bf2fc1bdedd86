#pragma once
// The start-up pieces around the launcher window: run at login kept in step,
// the first-run onboarding and its background re-check, and the one settings
// window. Hands the shell the hooks it calls.

#include "launcher/platform/linux/XdgAutostartLoginItem.h"
#include "launcher/session/startup/PermissionsOnboarding.h"
#include "launcher/shell/LauncherShell.h"

#include <QPointer>

#include <memory>

namespace trovi {
class DatabaseManager;
class NotionClient;
class PermissionsOnboardingWindow;
class SettingsWindow;
class TranslationEngines;
} // namespace trovi

namespace trovi::app {

class LauncherStartup {
public:
    LauncherStartup(DatabaseManager& engine, std::shared_ptr<TranslationEngines> translationEngines,
                    PreferenceStore& preferences, NotificationCenter& notifications);
    ~LauncherStartup();

    // Called once the shell exists; the hooks refer back to it.
    LauncherShellHooks hooks(LauncherShell& shell);
    // A second launch while onboarding is up raises onboarding instead.
    bool raiseOnboardingIfVisible();

private:
    void showOnboarding(LauncherShell& shell);
    void showSettings();
    void updateHotKeyAdvice(const HotKeyRegistration& registration);
    void revalidateInBackground(LauncherShell& shell);
    QFuture<FileSystemWarmupCounts> fileSystemWarmup();

    DatabaseManager& m_engine;
    std::shared_ptr<TranslationEngines> m_translationEngines;
    PreferenceStore& m_preferences;
    NotificationCenter& m_notifications;
    platform::XdgAutostartLoginItem m_loginItem;
    std::unique_ptr<PermissionsOnboardingViewModel> m_onboardingModel;
    std::unique_ptr<PermissionsOnboardingWindow> m_onboardingWindow;
    NotificationToken m_hotKeyObserver;
    // The settings window's connection test; outlives the window.
    std::unique_ptr<NotionClient> m_notionClient;
    std::unique_ptr<SettingsWindow> m_settingsWindow;
};

} // namespace trovi::app
