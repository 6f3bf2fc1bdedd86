#pragma once
// One global shortcut for the whole process. The platform backend grabs the
// key; this object remembers what was asked, re-registers when the keyboard
// layout changes (a character shortcut follows its character) and reports
// each outcome.

#include "launcher/session/hotkey/HotKeySettings.h"

#include <functional>

namespace trovi {

struct HotKeyRegistration {
    bool success = false;
    // Why it failed, or a note (the key is taken, no global keys on Wayland).
    QString message;
};

class HotKeyBackend {
public:
    virtual ~HotKeyBackend() = default;
    // Grabs the settings' key, the character looked up on the current layout
    // first; replaces any earlier grab.
    virtual HotKeyRegistration grab(const HotKeySettings& settings) = 0;
    virtual void release() = 0;
    // Gives the window shown for a press the keyboard focus, on the press's
    // authority (the toolkit never saw the key, so its own request may be refused).
    virtual void activateWindow(quintptr windowID) { Q_UNUSED(windowID); }

    // Set by the manager; the backend calls them on the main thread.
    std::function<void()> pressed;
    std::function<void()> layoutChanged;
};

class GlobalHotKeyManager {
public:
    explicit GlobalHotKeyManager(HotKeyBackend& backend);
    ~GlobalHotKeyManager();
    GlobalHotKeyManager(const GlobalHotKeyManager&) = delete;
    GlobalHotKeyManager& operator=(const GlobalHotKeyManager&) = delete;

    // Disabled settings release the key and count as success.
    HotKeyRegistration registerHotKey(const HotKeySettings& settings);
    void unregisterHotKey();

    const std::optional<HotKeySettings>& registeredSettings() const { return m_registered; }
    void activateWindow(quintptr windowID) { m_backend.activateWindow(windowID); }
    std::function<void()> onHotKeyPressed;

private:
    HotKeyBackend& m_backend;
    std::optional<HotKeySettings> m_registered;
};

} // namespace trovi
