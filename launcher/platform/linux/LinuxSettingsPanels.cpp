#include "launcher/platform/linux/LinuxSettingsPanels.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QSet>

namespace trovi::platform {

namespace {

bool showsOn(const DesktopEntry& entry, const QStringList& desktops) {
    auto anyListed = [&](const QStringList& listed) {
        for (const QString& desktop : desktops)
            if (listed.contains(desktop, Qt::CaseInsensitive))
                return true;
        return false;
    };
    const QStringList onlyShowIn = entry.list(QStringLiteral("OnlyShowIn"));
    if (!onlyShowIn.isEmpty() && !anyListed(onlyShowIn))
        return false;
    return !anyListed(entry.list(QStringLiteral("NotShowIn")));
}

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

} // namespace

bool isSettingsPanelFor(const DesktopEntry& entry, const QString& desktopID,
                        const QStringList& currentDesktops) {
    if (entry.hidden || (!entry.type.isEmpty() && entry.type != u"Application"))
        return false;
    if (entry.name.trimmed().isEmpty() || entry.exec.trimmed().isEmpty())
        return false;
    if (!showsOn(entry, currentDesktops))
        return false;
    // Panels of GNOME and KDE are hidden from menus on purpose: the settings
    // application shows them. Other settings entries follow NoDisplay.
    if (!entry.values.value(QStringLiteral("X-GNOME-Settings-Panel")).trimmed().isEmpty() ||
        isKdeModule(entry, desktopID))
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
    QSet<QString> seenIDs;
    for (const QString& root : applicationDirectories) {
        const QDir rootDir(root);
        QDirIterator it(root, {QStringLiteral("*.desktop")}, QDir::Files | QDir::Readable,
                        QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString path = it.next();
            const QString desktopID = rootDir.relativeFilePath(path).replace(u'/', u'-');
            if (seenIDs.contains(desktopID))
                continue;
            seenIDs.insert(desktopID);
            QFile file(path);
            if (file.size() > (1 << 20) || !file.open(QIODevice::ReadOnly))
                continue;
            const auto entry = parseDesktopEntry(file.readAll(), path, localeName);
            if (!entry || !isSettingsPanelFor(*entry, desktopID, currentDesktops))
                continue;
            panels.append({path, desktopID,
                           entry->values.value(QStringLiteral("X-GNOME-Settings-Panel")).trimmed(),
                           entry->name, entry->untranslatedName, entry->keywords});
        }
    }
    return panels;
}

QStringList currentDesktopNames() {
    return qEnvironmentVariable("XDG_CURRENT_DESKTOP").split(u':', Qt::SkipEmptyParts);
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
