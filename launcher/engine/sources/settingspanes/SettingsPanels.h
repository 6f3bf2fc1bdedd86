#pragma once
// Settings panels of a freedesktop desktop (GNOME, KDE, XFCE): entries found
// by the platform, turned into panes here. A panel covering one of the seed
// panes' concepts (sound, displays, notifications, wallpaper, screen time,
// backup) borrows that seed's keywords, so "lautsprecher" finds Sound there too.

#include "launcher/engine/sources/settingspanes/SystemSettingsShortcut.h"

#include <functional>

namespace trovi {

struct SettingsPanelEntry {
    QString filePath;         // the desktop entry; opening it runs the panel
    QString desktopID;        // "gnome-wifi-panel.desktop"
    QString panelID;          // "wifi" for GNOME's panels, else empty
    QString name;             // localised Name
    QString untranslatedName; // Name
    QStringList keywords;     // the entry's Keywords
};

QList<SystemSettingsShortcut> settingsPanelShortcuts(const QList<SettingsPanelEntry>& entries);

// Where a platform's panes come from: the panes offered before and alongside
// any scan (the seed list where its addresses open), and the scan itself,
// run off the engine thread.
struct SystemSettingsPaneSource {
    QList<SystemSettingsShortcut> preferred = systemSettingsSeedShortcuts();
    std::function<QList<SystemSettingsShortcut>()> discover;
};

} // namespace trovi
