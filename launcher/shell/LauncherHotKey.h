#pragma once
// LauncherHotKey: the global hotkey's wiring. It registers the stored
// shortcut, again whenever "LauncherHotKeyChanged" is posted, reports each
// outcome (stderr and "LauncherHotKeyRegistrationStatusChanged") and calls
// back on every press.

#include "launcher/session/hotkey/GlobalHotKeyManager.h"
#include "launcher/settings/NotificationCenter.h"

#include <functional>
#include <memory>

namespace trovi {

class PreferenceStore;

class LauncherHotKey {
public:
    // `backend` may be null (no global keys at all).
    LauncherHotKey(HotKeyBackend* backend, PreferenceStore& preferences,
                   NotificationCenter& notifications);
    ~LauncherHotKey();

    // `onPressed` runs for each press; observing starts here.
    void start(std::function<void()> onPressed);
    void reload();
    // Gives the window shown for a press the focus, on the press's authority.
    void activateWindow(quintptr windowID);
    const HotKeyRegistration& lastRegistration() const { return m_lastRegistration; }

private:
    std::unique_ptr<GlobalHotKeyManager> m_manager;
    PreferenceStore& m_preferences;
    NotificationCenter& m_notifications;
    HotKeyRegistration m_lastRegistration{true, {}};
    NotificationToken m_observer;
};

} // namespace trovi
