#include "launcher/engine/sources/settingspanes/SettingsPanels.h"

#include "launcher/engine/sources/settingspanes/SystemSettingsPanes.h"

#include <QUrl>

namespace trovi {

namespace {

// Words in a panel's identifiers or English name that mark it as covering a
// seed pane, in seed order.
const std::initializer_list<const char*> kSeedMarkers[] = {
    {"sound", "audio", "pulseaudio", "pavucontrol"},
    {"display", "displays", "monitor", "monitors", "kscreen"},
    {"notification", "notifications", "notifyd"},
    {"wallpaper", "background", "backdrop"},
    {"screentime", "wellbeing"},
    {"backup", "backups", "dejadup", "timeshift"},
};

QString stem(const QString& desktopID) {
    return desktopID.endsWith(u".desktop") ? desktopID.chopped(8) : desktopID;
}

bool covers(const SettingsPanelEntry& entry, const SystemSettingsShortcut& seed,
            std::initializer_list<const char*> markers) {
    if (entry.untranslatedName.trimmed().compare(seed.title, Qt::CaseInsensitive) == 0)
        return true;
    const QStringList pieces = alphanumericPieces(entry.panelID.toLower()) +
                               alphanumericPieces(stem(entry.desktopID).toLower()) +
                               alphanumericPieces(entry.untranslatedName.toLower());
    for (const char* marker : markers)
        if (pieces.contains(QLatin1String(marker)))
            return true;
    return false;
}

} // namespace

QList<SystemSettingsShortcut> settingsPanelShortcuts(const QList<SettingsPanelEntry>& entries) {
    const QList<SystemSettingsShortcut> seeds = systemSettingsSeedShortcuts();
    QList<SystemSettingsShortcut> shortcuts;
    for (const SettingsPanelEntry& entry : entries) {
        // A desktop entry's Name is already what the desktop shows: no
        // clean-up of bundle names here ("ARandR" is not "ARand R").
        const QString title = entry.name.trimmed();
        if (title.isEmpty())
            continue;
        const QString identifier = entry.panelID.isEmpty() ? stem(entry.desktopID) : entry.panelID;
        QStringList keywords = systemSettingsKeywords(title, identifier);
        // The keyword groups are English: a German "Klang" still gets them
        // through its untranslated name.
        keywords += systemSettingsKeywords(entry.untranslatedName.trimmed(), {});
        for (const QString& keyword : entry.keywords)
            keywords.append(keyword.toLower());
        for (qsizetype i = 0; i < seeds.size() && i < qsizetype(std::size(kSeedMarkers)); ++i)
            if (covers(entry, seeds[i], kSeedMarkers[i]))
                keywords += seeds[i].keywords;
        keywords.removeAll(QString());
        keywords.removeDuplicates();
        shortcuts.append({title, systemSettingsSubtitle(),
                          QUrl::fromLocalFile(entry.filePath).toString(QUrl::FullyEncoded),
                          std::nullopt, keywords});
    }
    return shortcuts;
}

} // namespace trovi
