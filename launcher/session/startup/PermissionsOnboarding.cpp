#include "launcher/session/startup/PermissionsOnboarding.h"

#include <QFutureWatcher>

namespace trovi {

using Kind = PermissionWarmupStatus::Kind;

PermissionsOnboardingViewModel::PermissionsOnboardingViewModel(
    FileSystemWarmup fileSystemWarmup, BrowserAccessCheck browserAccessCheck, QObject* parent)
    : QObject(parent), m_fileSystemWarmup(std::move(fileSystemWarmup)),
      m_browserAccessCheck(std::move(browserAccessCheck)) {}

PermissionWarmupStatus
PermissionsOnboardingViewModel::fileAccessStatusFor(const FileSystemWarmupCounts& counts) {
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
    m_fileAccessStatus = {Kind::running, QStringLiteral("Requesting Files & Folders access…")};
    Q_EMIT changed();
    // A watcher owned by the view model, not .then(this, ...): the window may close while the
    // warm-up still runs, and a continuation whose context is gone asserts in Qt 6.4.
    auto* watcher = new QFutureWatcher<FileSystemWarmupCounts>(this);
    connect(watcher, &QFutureWatcherBase::finished, this, [this, watcher] {
        watcher->deleteLater();
        m_isRequestingFileAccess = false;
        m_fileAccessStatus = watcher->isCanceled() ? PermissionWarmupStatus{}
                                                   : fileAccessStatusFor(watcher->result());
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

LaunchDecision launchDecision(bool onboardingCompleted) {
    return onboardingCompleted ? LaunchDecision::showLauncher : LaunchDecision::showOnboarding;
}

bool shouldReopenOnboarding(bool onboardingCompleted, const FileSystemWarmupCounts& counts) {
    return !onboardingCompleted || counts.folderCount <= 0;
}

} // namespace trovi
