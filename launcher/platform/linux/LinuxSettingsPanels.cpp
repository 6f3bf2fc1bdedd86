#include "launcher/platform/linux/LinuxSettingsPanels.h"

#include <QFileInfo>
#include <QRegularExpression>

namespace trovi::platform {

namespace {

bool isKdeModule(const DesktopEntry& entry, const QString& desktopID) {
    for (auto it = entry.values.constBegin(); it != entry.values.constEnd(); ++it)
        if (it.key().startsWith(u"X-KDE-System-Settings"))
            return true;
    if (desktopID.startsWith(u"kcm_") || desktopID.startsWith(u"kcm-"))
        return true;
    const QString program = entry.exec.section(u' ', 0, 0, QString::SectionSkipEmpty);
    const QString base = QFileInfo(program).fileName();
    return base.startsWith(u"kcmshell") ||
           (base == u"systemsettings" && entry.exec.contains(u"kcm_"));
}

bool isGnomePanel(const DesktopEntry& entry) {
    // Most of GNOME's panels say so only in their categories, as GNOME's own
    // search reads them.
    return !entry.values.value(QStringLiteral("X-GNOME-Settings-Panel")).trimmed().isEmpty() ||
           entry.list(QStringLiteral("Categories")).contains(u"X-GNOME-Settings-Panel");
}

// "display" for GNOME's panels: the key's value, else the desktop id's middle
// ("gnome-display-panel.desktop").
QString gnomePanelID(const DesktopEntry& entry, const QString& desktopID) {
    const QString key = entry.values.value(QStringLiteral("X-GNOME-Settings-Panel")).trimmed();
    if (!key.isEmpty())
        return key;
    static const QRegularExpression pattern(QStringLiteral("^gnome-(.+)-panel\\.desktop$"));
    return pattern.match(desktopID).captured(1);
}

} // namespace

bool isSettingsPanelFor(const DesktopEntry& entry, const QString& desktopID,
                        const QStringList& currentDesktops) {
    if (entry.hidden || (!entry.type.isEmpty() && entry.type != u"Application"))
        return false;
    if (entry.name.trimmed().isEmpty() || entry.exec.trimmed().isEmpty())
        return false;
    if (!entry.isShownIn(currentDesktops) || !entry.programsFound())
        return false;
    // Panels of GNOME and KDE are hidden from menus on purpose: the settings
    // application shows them. Other settings entries follow NoDisplay.
    if (isGnomePanel(entry) || isKdeModule(entry, desktopID))
        return true;
    const QStringList categories = entry.list(QStringLiteral("Categories"));
    const bool settings = categories.contains(QStringLiteral("X-XFCE-SettingsDialog")) ||
                          categories.contains(QStringLiteral("Settings"));
    return settings && !entry.noDisplay;
}

QList<SettingsPanelEntry> discoverSettingsPanels(const QStringList& applicationDirectories,
                                                 const QStringList& currentDesktops,
                                                 const QString& localeName) {
    QList<SettingsPanelEntry> panels;
    forEachDesktopEntry(applicationDirectories, localeName,
                        [&](const DesktopEntry& entry, const QString& desktopID) {
                            if (!isSettingsPanelFor(entry, desktopID, currentDesktops))
                                return;
                            panels.append(
                                {entry.filePath, desktopID,
                                 isGnomePanel(entry) ? gnomePanelID(entry, desktopID) : QString(),
                                 entry.name, entry.untranslatedName, entry.keywords});
                        });
    return panels;
}

SystemSettingsPaneSource linuxSystemSettingsPaneSource(const QStringList& applicationDirectories) {
    SystemSettingsPaneSource source;
    source.preferred.clear();
    source.discover = [applicationDirectories] {
        return settingsPanelShortcuts(discoverSettingsPanels(
            applicationDirectories, currentDesktopNames(), currentMessageLocale()));
    };
    return source;
}

} // namespace trovi::platform
