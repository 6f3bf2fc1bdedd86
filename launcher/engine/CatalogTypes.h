#pragma once
// Records of the settings-pane and browser catalogues the engine keeps next to
// its path catalogues.

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

struct BrowserTabShortcut {
    QString browserName;
    QString browserBundleIdentifier;
    int windowIndex = 1;
    int tabIndex = 1;
    QString title;
    QString urlString;
    QString host;
    bool operator==(const BrowserTabShortcut&) const = default;
};

struct BrowserBookmarkShortcut {
    QString browserName;
    QString title;
    QString urlString;
    QString host;
    QString folderPath;
    bool operator==(const BrowserBookmarkShortcut&) const = default;
};

struct BrowserBookmarkSource {
    QString browserName;
    QString userDataRoot;
};

// The panes offered before the first scan of the settings extensions.
QList<SystemSettingsShortcut> systemSettingsSeedShortcuts();

} // namespace trovi
