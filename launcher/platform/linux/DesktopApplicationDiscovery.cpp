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

// Whether a launcher should list the entry on this desktop.
bool isListedApplication(const DesktopEntry& entry, const QStringList& currentDesktops) {
    if (entry.type != u"Application" || entry.hidden || entry.noDisplay)
        return false;
    if (const QString tryExec = entry.values.value(QStringLiteral("TryExec")); !tryExec.isEmpty()) {
        const QString program =
            QDir::isAbsolutePath(tryExec) ? tryExec : QStandardPaths::findExecutable(tryExec);
        if (program.isEmpty() || !QFileInfo(program).isExecutable())
            return false;
    }
    auto shownIn = [&](const QStringList& desktops) {
        return std::any_of(desktops.cbegin(), desktops.cend(),
                           [&](const QString& d) { return currentDesktops.contains(d); });
    };
    const QStringList onlyShowIn = entry.list(QStringLiteral("OnlyShowIn"));
    if (!onlyShowIn.isEmpty() && !shownIn(onlyShowIn))
        return false;
    return !shownIn(entry.list(QStringLiteral("NotShowIn")));
}

} // namespace

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

} // namespace trovi::platform
