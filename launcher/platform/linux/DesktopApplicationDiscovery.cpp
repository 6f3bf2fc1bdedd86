#include "launcher/platform/linux/DesktopApplicationDiscovery.h"

#include "launcher/platform/linux/DesktopEntry.h"
#include "launcher/platform/linux/LinuxSettingsPanels.h"

#include <QFileInfo>

namespace trovi::platform {

namespace {

// Whether a launcher should list the entry on this desktop.
bool isListedApplication(const DesktopEntry& entry, const QStringList& currentDesktops) {
    return entry.type == u"Application" && !entry.hidden && !entry.noDisplay &&
           entry.programsFound() && entry.isShownIn(currentDesktops);
}

SearchResult applicationResult(const DesktopEntry& entry) {
    const QFileInfo info(entry.filePath);
    SearchResult result;
    result.id = stableNegativeID(entry.filePath);
    result.kind = SearchResultKind::app;
    result.filename = info.fileName();
    result.directory = info.path();
    if (!entry.name.isEmpty())
        result.title = entry.name;
    QStringList words = entry.keywords;
    if (!entry.genericName.isEmpty())
        words.prepend(entry.genericName);
    if (!words.isEmpty())
        result.keywords = words.join(u';');
    if (!entry.icon.isEmpty())
        result.iconName = entry.icon;
    // What the application is says more than the folder of its entry.
    const QString description =
        (entry.genericName.isEmpty() ? entry.comment : entry.genericName).simplified();
    if (!description.isEmpty())
        result.description = description;
    return result;
}

} // namespace

QList<SearchResult> discoverDesktopApplications(const QStringList& applicationDirectories) {
    const QStringList currentDesktops = currentDesktopNames();
    QList<SearchResult> results;
    forEachDesktopEntry(applicationDirectories, currentMessageLocale(),
                        [&](const DesktopEntry& entry, const QString& desktopID) {
                            // A settings panel (pavucontrol, XFCE's dialogs) is
                            // offered once, as a pane.
                            if (isListedApplication(entry, currentDesktops) &&
                                !isSettingsPanelFor(entry, desktopID, currentDesktops))
                                results.append(applicationResult(entry));
                        });
    return results;
}

} // namespace trovi::platform
