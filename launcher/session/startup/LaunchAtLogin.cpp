#include "launcher/session/startup/LaunchAtLogin.h"

namespace trovi {

QString LaunchAtLoginManagerError::localizedDescription() const {
    const QString prefix = kind == Kind::registerFailed
                               ? QStringLiteral("Could not register run-at-login: ")
                               : QStringLiteral("Could not unregister run-at-login: ");
    return prefix + underlying;
}

void synchronizeLaunchAtLoginAtStartup(LaunchAtLoginManaging& manager,
                                       const LaunchAtLoginSettingsStore& store,
                                       const std::function<void(const QString&)>& report) {
    const std::optional<bool> stored = store.storedValue();
    if (!stored) {
        // An approved or pending registration counts as on.
        store.save(manager.currentState() != LaunchAtLoginState::disabled);
        return;
    }
    const LaunchAtLoginUpdateResult result = manager.update(*stored);
    if (const auto* state = std::get_if<LaunchAtLoginState>(&result)) {
        store.save(*state != LaunchAtLoginState::disabled);
        return;
    }
    // The stored value answers `trovi config get` and the settings toggle: it
    // says what the desktop will do, not what was asked for.
    store.save(manager.currentState() != LaunchAtLoginState::disabled);
    if (report)
        report(QStringLiteral("Failed to update run-at-login state: ") +
               std::get<LaunchAtLoginManagerError>(result).localizedDescription());
}

LaunchAtLoginToggleOutcome applyLaunchAtLoginToggle(LaunchAtLoginManaging& manager,
                                                    const LaunchAtLoginSettingsStore& store,
                                                    bool requested) {
    store.save(requested);
    const LaunchAtLoginUpdateResult result = manager.update(requested);
    if (const auto* error = std::get_if<LaunchAtLoginManagerError>(&result)) {
        const bool on = manager.currentState() != LaunchAtLoginState::disabled;
        store.save(on);
        return {on, error->localizedDescription()};
    }
    const LaunchAtLoginState state = std::get<LaunchAtLoginState>(result);
    const bool on = state != LaunchAtLoginState::disabled;
    store.save(on);
    switch (state) {
    case LaunchAtLoginState::enabled:
        return {on, QStringLiteral("Launcher will start automatically when you log in.")};
    case LaunchAtLoginState::requiresApproval:
        return {on, QStringLiteral("Approve Launcher in your desktop's autostart settings.")};
    case LaunchAtLoginState::disabled:
        break;
    }
    return {on, QStringLiteral("Launcher will not start automatically.")};
}

QString launchAtLoginCaption() {
    return QStringLiteral("Adds Launcher to your desktop's autostart applications.");
}

} // namespace trovi
