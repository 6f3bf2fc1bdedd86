#pragma once
// A settings pane the launcher can open, and the panes known before any scan.

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace trovi {

struct SystemSettingsShortcut {
    QString title;
    QString subtitle;
    QString primaryURLString;
    std::optional<QString> fallbackURLString;
    QStringList keywords;
    bool operator==(const SystemSettingsShortcut&) const = default;
};

// The panes offered before the first scan of the settings extensions.
QList<SystemSettingsShortcut> systemSettingsSeedShortcuts();

// The subtitle of every pane.
inline QString systemSettingsSubtitle() {
    return QStringLiteral("System Settings");
}

} // namespace trovi
