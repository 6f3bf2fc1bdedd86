#pragma once
// The desktop's settings panels among the freedesktop application entries:
// GNOME's X-GNOME-Settings-Panel entries, KDE's system-settings modules and
// XFCE's settings dialogs (or any entry in the Settings category), as far as
// OnlyShowIn and NotShowIn let them show on the current desktop.

#include "launcher/engine/sources/settingspanes/SettingsPanels.h"
#include "launcher/platform/linux/DesktopEntry.h"

namespace trovi::platform {

// Whether the entry is a settings panel shown on one of the desktops
// (XDG_CURRENT_DESKTOP's names).
bool isSettingsPanelFor(const DesktopEntry& entry, const QString& desktopID,
                        const QStringList& currentDesktops);

// Entries of the folders, earlier folders hiding later ones with the same
// desktop id. Unreadable files and folders are skipped.
QList<SettingsPanelEntry> discoverSettingsPanels(const QStringList& applicationDirectories,
                                                 const QStringList& currentDesktops,
                                                 const QString& localeName);

// The launcher's panes on this desktop: no seeds (their addresses only open
// on macOS), the panels of the application folders found on each refresh.
SystemSettingsPaneSource linuxSystemSettingsPaneSource(const QStringList& applicationDirectories);

} // namespace trovi::platform
