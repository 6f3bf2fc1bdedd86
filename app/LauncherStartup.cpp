#include "LauncherStartup.h"

#include "launcher/clients/notion/NotionClient.h"
#include "launcher/clients/translation/TranslationLookup.h"
#include "launcher/engine/manager/DatabaseManager.h"
#include "launcher/platform/linux/DesktopShortcut.h"
#include "launcher/platform/linux/X11HotKeyBackend.h"
#include "launcher/session/hotkey/HotKeySettings.h"
#include "launcher/session/startup/LaunchAtLogin.h"
#include "launcher/settings/LauncherNotifications.h"
#include "launcher/settings/LauncherSettingsStores.h"
#include "launcher/settings/NotificationCenter.h"
#include "launcher/shell/ThemePalette.h"
#include "launcher/shell/settings/SettingsWindow.h"
#include "launcher/shell/startup/PermissionsOnboardingWindow.h"

#include <QCoreApplication>

#include <cstdio>

namespace trovi::app {

namespace {
#ifdef Q_OS_MACOS
constexpr bool fileAccessNeedsConsent = true;
constexpr OnboardingKind onboardingKind = OnboardingKind::permissionPrompts;
#else
constexpr bool fileAccessNeedsConsent = false;
constexpr OnboardingKind onboardingKind = OnboardingKind::firstStart;
#endif
} // namespace

LauncherStartup::LauncherStartup(DatabaseManager& engine,
                                 std::shared_ptr<TranslationEngines> translationEngines,
                                 PreferenceStore& preferences, NotificationCenter& notifications)
    : m_engine(engine), m_translationEngines(std::move(translationEngines)),
      m_preferences(preferences), m_notifications(notifications),
      m_loginItem(QCoreApplication::applicationFilePath()) {}

LauncherStartup::~LauncherStartup() = default;

QFuture<FileSystemWarmupCounts> LauncherStartup::fileSystemWarmup() {
    return m_engine.run([](DatabaseManager& m) { return m.warmupFileSystemPermissions(); })
        .unwrap()
        .then([](const CatalogRefreshCounts& counts) {
            return FileSystemWarmupCounts{counts.appCount, counts.folderCount};
        });
}

LauncherShellHooks LauncherStartup::hooks(LauncherShell& shell) {
    LauncherShellHooks hooks;
    hooks.reconcileRunAtLogin = [this] {
        synchronizeLaunchAtLoginAtStartup(
            m_loginItem, LaunchAtLoginSettingsStore(m_preferences), [](const QString& line) {
                std::fprintf(stderr, "trovi: %s\n", line.toUtf8().constData());
            });
    };
    hooks.needsOnboarding = [this, &shell] {
        const bool completed = PermissionOnboardingStore(m_preferences).load();
        if (launchDecision(completed) == LaunchDecision::showOnboarding)
            return true;
        // Folders are readable without consent here, so an empty home is just
        // empty: the re-check only matters where access can be withheld.
        if (fileAccessNeedsConsent)
            revalidateInBackground(shell);
        return false;
    };
    hooks.showOnboarding = [this, &shell] { showOnboarding(shell); };
    hooks.showSettings = [this, &shell] {
        showSettings();
        // The hotkey section shows how the last registration fared, also one
        // made before the window existed.
        const HotKeyRegistration& last = shell.lastHotKeyRegistration();
        m_notifications.post(
            notifications::LauncherHotKeyRegistrationStatusChanged,
            {{notifications::successKey, last.success}, {QStringLiteral("message"), last.message}});
    };
    return hooks;
}

void LauncherStartup::showOnboarding(LauncherShell& shell) {
    if (!m_onboardingWindow) {
        // Open tabs are read from the browsers' own files here: nothing to ask for.
        PermissionsOnboardingViewModel::BrowserAccessCheck browserCheck;
        if (onboardingKind == OnboardingKind::permissionPrompts)
            browserCheck = &browserAccessStatusWithoutTabListing;
        m_onboardingModel = std::make_unique<PermissionsOnboardingViewModel>(
            [this] { return fileSystemWarmup(); }, std::move(browserCheck), onboardingKind);
        m_onboardingWindow = std::make_unique<PermissionsOnboardingWindow>(*m_onboardingModel);
        // The hotkey is registered after the window is up; the advice follows each outcome.
        m_hotKeyObserver = m_notifications.observe(
            notifications::LauncherHotKeyRegistrationStatusChanged,
            [this](const QVariantMap& info) {
                updateHotKeyAdvice({info.value(notifications::successKey).toBool(),
                                    info.value(QStringLiteral("message")).toString()});
            });
        updateHotKeyAdvice(shell.lastHotKeyRegistration());
        QObject::connect(m_onboardingWindow.get(), &PermissionsOnboardingWindow::continueRequested,
                         &shell, [this, &shell] {
                             PermissionOnboardingStore(m_preferences).save(true);
                             m_onboardingWindow->hide();
                             shell.showWindow();
                         });
        QObject::connect(m_onboardingWindow.get(), &PermissionsOnboardingWindow::skipRequested,
                         &shell, [this, &shell] {
                             m_onboardingWindow->hide();
                             shell.showWindow();
                         });
    }
    shell.hideWindow();
    m_onboardingWindow->present();
}

void LauncherStartup::updateHotKeyAdvice(const HotKeyRegistration& registration) {
    const HotKeySettings settings = HotKeySettingsStore(m_preferences).load();
    m_onboardingWindow->setHotKeyAdvice(
        hotKeyAdvice({hotKeySymbolDisplayString(settings), settings.isEnabled, registration.success,
                      registration.message, X11HotKeyBackend::isWaylandSession()}));
}

bool LauncherStartup::raiseOnboardingIfVisible() {
    if (!m_onboardingWindow || !m_onboardingWindow->isVisible())
        return false;
    m_onboardingWindow->present();
    return true;
}

void LauncherStartup::revalidateInBackground(LauncherShell& shell) {
    QPointer<LauncherShell> weakShell(&shell);
    fileSystemWarmup().then(&shell, [this, weakShell](const FileSystemWarmupCounts& counts) {
        const bool completed = PermissionOnboardingStore(m_preferences).load();
        if (weakShell && shouldReopenOnboarding(completed, counts))
            showOnboarding(*weakShell);
    });
}

void LauncherStartup::showSettings() {
    if (!m_settingsWindow) {
        SettingsEnvironment environment;
        environment.preferences = &m_preferences;
        environment.notifications = &m_notifications;
        environment.launchAtLogin = &m_loginItem;
        environment.themePreviews = &themePreviews;
        environment.translationEngines = m_translationEngines;
        environment.installDesktopShortcut = [this] {
            return installDesktopShortcut(HotKeySettingsStore(m_preferences).load(),
                                          DesktopShortcutEnvironment::current())
                .message;
        };
        m_notionClient =
            std::make_unique<NotionClient>(NotionClientConfiguration::fromEnvironment());
        SettingsExtraSections extras;
        extras.notion = makeNotionSection(environment, *m_notionClient, nullptr);
        m_settingsWindow = std::make_unique<SettingsWindow>(std::move(environment), extras);
    }
    m_settingsWindow->present();
}

} // namespace trovi::app
