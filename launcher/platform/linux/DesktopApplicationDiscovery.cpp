#include "launcher/platform/linux/DesktopApplicationDiscovery.h"

#include "launcher/platform/linux/DesktopEntry.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QSet>
#include <QStandardPaths>

#include <algorithm>

namespace trovi::platform {

namespace {

QStringList pathList(const char* variable, const QStringList& fallback) {
    QStringList paths;
    const QString value = qEnvironmentVariable(variable);
    for (const QString& path : value.split(u':', Qt::SkipEmptyParts))
        if (QDir::isAbsolutePath(path))
            paths.append(path);
    return paths.isEmpty() ? fallback : paths;
}

// Whether a launcher should list the entry on this desktop.
bool isListedApplication(const DesktopEntry& entry, const QStringList& currentDesktops) {
    if (entry.type != u"Application" || entry.hidden || entry.noDisplay)
        return false;
    if (!entry.tryExec.isEmpty()) {
        const QString program = QDir::isAbsolutePath(entry.tryExec)
                                    ? entry.tryExec
                                    : QStandardPaths::findExecutable(entry.tryExec);
        if (program.isEmpty() || !QFileInfo(program).isExecutable())
            return false;
    }
    auto shownIn = [&](const QStringList& desktops) {
        return std::any_of(desktops.cbegin(), desktops.cend(),
                           [&](const QString& d) { return currentDesktops.contains(d); });
    };
    if (!entry.onlyShowIn.isEmpty() && !shownIn(entry.onlyShowIn))
        return false;
    return !shownIn(entry.notShowIn);
}

} // namespace

QStringList defaultDesktopApplicationDirectories(const QString& home) {
    QStringList dataDirs;
    dataDirs += pathList("XDG_DATA_HOME", {home + QStringLiteral("/.local/share")});
    dataDirs += QStringList{home + QStringLiteral("/.local/share/flatpak/exports/share")};
    dataDirs += pathList("XDG_DATA_DIRS",
                         {QStringLiteral("/usr/local/share"), QStringLiteral("/usr/share")});
    dataDirs += QStringList{QStringLiteral("/var/lib/flatpak/exports/share"),
                            QStringLiteral("/var/lib/snapd/desktop")};
    QStringList directories;
    for (const QString& dir : dataDirs) {
        const QString applications = QDir::cleanPath(dir + QStringLiteral("/applications"));
        if (!directories.contains(applications))
            directories.append(applications);
    }
    return directories;
}

QList<SearchResult> discoverDesktopApplications(const QStringList& applicationDirectories) {
    const QStringList currentDesktops =
        qEnvironmentVariable("XDG_CURRENT_DESKTOP").split(u':', Qt::SkipEmptyParts);
    const QString locale = currentMessageLocale();
    QList<SearchResult> results;
    QSet<QString> seenIDs;
    for (const QString& root : applicationDirectories) {
        const QDir rootDir(root);
        QDirIterator it(root, {QStringLiteral("*.desktop")}, QDir::Files | QDir::Readable,
                        QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString path = it.next();
            // The desktop id: the path below the folder with "/" read as "-".
            const QString desktopID = rootDir.relativeFilePath(path).replace(u'/', u'-');
            if (seenIDs.contains(desktopID))
                continue;
            seenIDs.insert(desktopID);
            QFile file(path);
            // Desktop files are small; a huge one is not a desktop file.
            if (file.size() > 1024 * 1024 || !file.open(QIODevice::ReadOnly))
                continue;
            const auto entry = parseDesktopEntry(file.readAll(), path, locale);
            if (!entry || !isListedApplication(*entry, currentDesktops))
                continue;
            const QFileInfo info(path);
            SearchResult result;
            result.id = stableNegativeID(path);
            result.kind = SearchResultKind::app;
            result.filename = info.fileName();
            result.directory = info.path();
            if (!entry->name.isEmpty())
                result.title = entry->name;
            QStringList words = entry->keywords;
            if (!entry->genericName.isEmpty())
                words.prepend(entry->genericName);
            if (!words.isEmpty())
                result.keywords = words.join(u';');
            if (!entry->icon.isEmpty())
                result.iconName = entry->icon;
            results.append(std::move(result));
        }
    }
    return results;
}

QList<SearchResult> installedDesktopApplications() {
    return discoverDesktopApplications(defaultDesktopApplicationDirectories(QDir::homePath()));
}

} // namespace trovi::platform
