#pragma once
// The scan of the system's settings extensions (application-extension
// bundles). Reading bundles is the platform's part; choosing, titling and
// keywording them is ours.

#include "launcher/engine/sources/settingspanes/SystemSettingsShortcut.h"

#include <QVariantMap>

#include <optional>

namespace trovi {

// What the scan reads of one bundle.
struct SystemSettingsBundle {
    QString fileName; // as listed, e.g. "Sound.appex"
    std::optional<QString> bundleIdentifier;
    QVariantMap infoDictionary;
    QVariantMap localizedInfoDictionary;
};

class SystemSettingsBundleReader {
public:
    virtual ~SystemSettingsBundleReader() = default;
    // Entry names of the folder, hidden ones skipped; nothing when it is
    // missing, not a folder or cannot be listed.
    virtual std::optional<QStringList> listEntries(const QString& folder) = 0;
    // Nothing when the entry cannot be opened as a bundle.
    virtual std::optional<SystemSettingsBundle> openBundle(const QString& path) = 0;
};

inline QString systemSettingsExtensionsFolder() {
    return QStringLiteral("/System/Library/ExtensionKit/Extensions");
}

// The pane title: the fixed override, else the (localised) display or bundle
// name, else the file name without its suffix; cleaned up unless overridden.
QString systemSettingsTitle(const SystemSettingsBundle& bundle, const QString& bundleIdentifier);

// Every ".appex" bundle of the folder that is a pane of its own.
QList<SystemSettingsShortcut>
discoverSystemSettingsShortcuts(SystemSettingsBundleReader& reader,
                                const QString& folder = systemSettingsExtensionsFolder());

} // namespace trovi
