#pragma once
// Run at login: keeps the user's choice ("launcherRunAtLogin") and the
// desktop's login-item registration in step, at start-up and from the
// settings toggle. The registration itself sits behind LaunchAtLoginManaging.

#include "launcher/settings/LauncherSettingsStores.h"

#include <QString>

#include <functional>
#include <variant>

namespace trovi {

enum class LaunchAtLoginState { enabled, disabled, requiresApproval };

struct LaunchAtLoginManagerError {
    enum class Kind { registerFailed, unregisterFailed } kind;
    QString underlying; // the platform's own description
    QString localizedDescription() const;
};

// A state, or the error that kept the registration from changing.
using LaunchAtLoginUpdateResult = std::variant<LaunchAtLoginState, LaunchAtLoginManagerError>;

class LaunchAtLoginManaging {
public:
    virtual ~LaunchAtLoginManaging() = default;
    virtual LaunchAtLoginState currentState() = 0;
    virtual LaunchAtLoginUpdateResult update(bool enabled) = 0;
};

// Start-up: without a stored choice the system's state is recorded; with one,
// the registration follows it. A failure is reported and the state the
// desktop will really act on is stored instead.
void synchronizeLaunchAtLoginAtStartup(LaunchAtLoginManaging& manager,
                                       const LaunchAtLoginSettingsStore& store,
                                       const std::function<void(const QString&)>& report);

struct LaunchAtLoginToggleOutcome {
    bool enabled = false; // the toggle's position after the attempt
    QString statusMessage;
};

// The settings toggle: saves the request, updates the registration and
// returns the position and status line to show.
LaunchAtLoginToggleOutcome applyLaunchAtLoginToggle(LaunchAtLoginManaging& manager,
                                                    const LaunchAtLoginSettingsStore& store,
                                                    bool requested);

// The caption under the toggle, naming where the desktop lists login items.
QString launchAtLoginCaption();

} // namespace trovi
