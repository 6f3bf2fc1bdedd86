#pragma once
// `trovi shortcut install|remove`: the key that calls the launcher up, bound in
// the running desktop's own settings, since a Wayland client may not grab keys.
// GNOME gets a custom keybinding; elsewhere the person is told the steps.

#include "launcher/platform/linux/GnomeCustomKeybinding.h"

namespace trovi {

struct DesktopShortcutEnvironment {
    QString currentDesktop; // XDG_CURRENT_DESKTOP
    QString command;        // what the key runs: this executable's absolute path
    QString gsettings = QStringLiteral("gsettings");
    // Asks the session bus whether org.freedesktop.portal.GlobalShortcuts exists.
    bool probePortal = true;

    static DesktopShortcutEnvironment current();
};

DesktopShortcutOutcome installDesktopShortcut(const HotKeySettings& hotKey,
                                              const DesktopShortcutEnvironment& environment);
DesktopShortcutOutcome removeDesktopShortcut(const DesktopShortcutEnvironment& environment);

bool desktopIsGnome(const QString& currentDesktop);
// True when the desktop portal on the session bus offers global shortcuts.
bool globalShortcutsPortalOffered();

} // namespace trovi
