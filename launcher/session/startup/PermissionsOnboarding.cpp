#include "launcher/session/startup/PermissionsOnboarding.h"

#include <QFutureWatcher>

namespace trovi {

using Kind = PermissionWarmupStatus::Kind;

PermissionsOnboardingViewModel::PermissionsOnboardingViewModel(
    FileSystemWarmup fileSystemWarmup, BrowserAccessCheck browserAccessCheck, OnboardingKind kind,
    QObject* parent)
    : QObject(parent), m_fileSystemWarmup(std::move(fileSystemWarmup)),
      m_browserAccessCheck(std::move(browserAccessCheck)), m_kind(kind) {}

PermissionWarmupStatus
PermissionsOnboardingViewModel::fileAccessStatusFor(const FileSystemWarmupCounts& counts,
                                                    OnboardingKind kind) {
    // Nothing was asked for, so nothing is said about access.
    if (kind == OnboardingKind::firstStart) {
        if (counts.folderCount < 1)
            return {Kind::warning, QStringLiteral("No folders were found in your home folder. "
                                                  "Folders you add later are found as you "
                                                  "search.")};
        return {Kind::success, QStringLiteral("Found %1 folders and %2 apps.")
                                   .arg(counts.folderCount)
                                   .arg(counts.appCount)};
    }
    if (counts.folderCount < 1)
        return {Kind::warning, QStringLiteral("No folders were indexed. Grant Files & Folders "
                                              "access and try again.")};
    return {Kind::success, QStringLiteral("Access check finished. Indexed %1 folders and %2 apps.")
                               .arg(counts.folderCount)
                               .arg(counts.appCount)};
}

void PermissionsOnboardingViewModel::requestFileAndFolderAccess() {
    if (m_isRequestingFileAccess || !m_fileSystemWarmup)
        return;
    m_isRequestingFileAccess = true;
    m_fileAccessStatus = {Kind::running,
                          m_kind == OnboardingKind::firstStart
                              ? QStringLiteral("Looking through your folders…")
                              : QStringLiteral("Requesting Files & Folders access…")};
    Q_EMIT changed();
    // A watcher owned by the view model, not .then(this, ...): the window may close while the
    // warm-up still runs, and a continuation whose context is gone asserts in Qt 6.4.
    auto* watcher = new QFutureWatcher<FileSystemWarmupCounts>(this);
    connect(watcher, &QFutureWatcherBase::finished, this, [this, watcher] {
        watcher->deleteLater();
        m_isRequestingFileAccess = false;
        m_fileAccessStatus = watcher->isCanceled() ? PermissionWarmupStatus{}
                                                   : fileAccessStatusFor(watcher->result(), m_kind);
        Q_EMIT changed();
    });
    watcher->setFuture(m_fileSystemWarmup());
}

void PermissionsOnboardingViewModel::requestBrowserAutomationAccess() {
    if (m_isRequestingBrowserAccess || !m_browserAccessCheck)
        return;
    m_isRequestingBrowserAccess = true;
    m_browserAccessStatus = {Kind::running,
                             QStringLiteral("Requesting browser automation access…")};
    Q_EMIT changed();
    m_browserAccessStatus = m_browserAccessCheck();
    m_isRequestingBrowserAccess = false;
    Q_EMIT changed();
}

PermissionWarmupStatus browserAccessStatusWithoutTabListing() {
    return {Kind::warning,
            QStringLiteral("Open-tab search needs macOS. Bookmarks of Chrome, Chromium, Brave, "
                           "Edge and Firefox are read without any permission.")};
}

QString hotKeyAdvice(const HotKeyAdviceInput& input) {
    // Wayland lets no program take a key for itself: the desktop runs
    // `trovi`, and a second launch shows or hides the running launcher.
    if (input.wayland)
        return QStringLiteral("Wayland lets no program take a key for itself. Run “trovi shortcut "
                              "install” once to add a desktop shortcut that runs “trovi”, or bind "
                              "“trovi” in your desktop's keyboard settings: each run shows or "
                              "hides the launcher.");
    if (!input.enabled)
        return QStringLiteral("The global hotkey is off. Turn it on in Settings under Global "
                              "Hotkey, or run “trovi” again to show or hide the launcher.");
    if (!input.registered)
        return QStringLiteral("%1 could not be registered: %2 Choose another shortcut in Settings "
                              "under Global Hotkey.")
            .arg(input.shortcut, input.registrationMessage);
    return QStringLiteral("Press %1 anywhere to show or hide the launcher. Change it in Settings "
                          "under Global Hotkey.")
        .arg(input.shortcut);
}

LaunchDecision launchDecision(bool onboardingCompleted) {
    return onboardingCompleted ? LaunchDecision::showLauncher : LaunchDecision::showOnboarding;
}

bool shouldReopenOnboarding(bool onboardingCompleted, const FileSystemWarmupCounts& counts) {
    return !onboardingCompleted || counts.folderCount <= 0;
}

} // namespace trovi
