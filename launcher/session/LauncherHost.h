#pragma once
// LauncherHost: what the launcher window's logic needs from the window and
// the desktop around it. The shell implements it; tests record the calls.

#include <QString>

namespace trovi {

class LauncherHost {
public:
    virtual ~LauncherHost() = default;

    // Hides the launcher window; the view then hears viewDisappeared().
    virtual void hideLauncher() = 0;
    virtual void showSettingsWindow() = 0;
    virtual void terminate() = 0;
    // The key that switches Return to revealing (Ctrl on Linux, Command on macOS).
    virtual bool isCommandKeyHeld() const = 0;
    virtual QString clipboardText() const = 0;
};

} // namespace trovi
