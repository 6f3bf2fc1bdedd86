#pragma once
// Onboarding before first use: where consent prompts exist, two checks whose
// statuses the onboarding window shows; where they do not (Linux), one walk
// of the folders and how to open the launcher. Also the start-up decision
// between onboarding and the launcher, and the background re-check after
// later launches. UI-free; the warm-ups come in as functions so tests run
// without an engine.

#include <QFuture>
#include <QObject>
#include <QString>

#include <functional>

namespace trovi {

struct PermissionWarmupStatus {
    enum class Kind { idle, running, success, warning };
    Kind kind = Kind::idle;
    QString message = QStringLiteral("Not requested yet.");
    bool operator==(const PermissionWarmupStatus&) const = default;
};

struct FileSystemWarmupCounts {
    int appCount = 0;
    int folderCount = 0;
};

// Consent prompts (macOS) or a first start with nothing to grant (Linux).
enum class OnboardingKind { permissionPrompts, firstStart };

// How a person opens the launcher on this desktop.
struct HotKeyAdviceInput {
    QString shortcut; // as shown to a person, "Ctrl+Space"
    bool enabled = true;
    bool registered = true;
    QString registrationMessage;
    bool wayland = false;
};
QString hotKeyAdvice(const HotKeyAdviceInput& input);

class PermissionsOnboardingViewModel : public QObject {
    Q_OBJECT
public:
    using FileSystemWarmup = std::function<QFuture<FileSystemWarmupCounts>()>;
    // Browser automation cannot be granted here: the check only reports what
    // the platform offers.
    using BrowserAccessCheck = std::function<PermissionWarmupStatus()>;

    PermissionsOnboardingViewModel(FileSystemWarmup fileSystemWarmup,
                                   BrowserAccessCheck browserAccessCheck,
                                   OnboardingKind kind = OnboardingKind::permissionPrompts,
                                   QObject* parent = nullptr);

    OnboardingKind kind() const { return m_kind; }
    const PermissionWarmupStatus& fileAccessStatus() const { return m_fileAccessStatus; }
    const PermissionWarmupStatus& browserAccessStatus() const { return m_browserAccessStatus; }
    bool isRequestingFileAccess() const { return m_isRequestingFileAccess; }
    bool isRequestingBrowserAccess() const { return m_isRequestingBrowserAccess; }

    void requestFileAndFolderAccess();
    void requestBrowserAutomationAccess();

    static PermissionWarmupStatus
    fileAccessStatusFor(const FileSystemWarmupCounts& counts,
                        OnboardingKind kind = OnboardingKind::permissionPrompts);

Q_SIGNALS:
    void changed();

private:
    FileSystemWarmup m_fileSystemWarmup;
    BrowserAccessCheck m_browserAccessCheck;
    OnboardingKind m_kind;
    PermissionWarmupStatus m_fileAccessStatus;
    PermissionWarmupStatus m_browserAccessStatus;
    bool m_isRequestingFileAccess = false;
    bool m_isRequestingBrowserAccess = false;
};

// What the browser card says where open tabs cannot be listed.
PermissionWarmupStatus browserAccessStatusWithoutTabListing();

// Start-up: the launcher when onboarding was completed, onboarding otherwise.
enum class LaunchDecision { showLauncher, showOnboarding };
LaunchDecision launchDecision(bool onboardingCompleted);

// After the background re-check: onboarding comes back when it was never
// completed or when no folder could be read.
bool shouldReopenOnboarding(bool onboardingCompleted, const FileSystemWarmupCounts& counts);

} // namespace trovi
