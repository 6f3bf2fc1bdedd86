#include "launcher/session/startup/PermissionsOnboarding.h"

#include <QPointer>

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
    QPointer<PermissionsOnboardingViewModel> self(this);
    m_fileSystemWarmup().then(this, [self](const FileSystemWarmupCounts& counts) {
        if (!self)
            return;
        self->m_isRequestingFileAccess = false;
        self->m_fileAccessStatus = fileAccessStatusFor(counts);
        Q_EMIT self->changed();
    });
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
