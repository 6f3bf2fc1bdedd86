#include "launcher/engine/sources/paths/DesktopApplicationDiscovery.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QSet>

namespace trovi {

namespace {

QStringList pathList(const char* variable, const QStringList& fallback) {
    QStringList paths;
    const QString value = qEnvironmentVariable(variable);
    for (const QString& path : value.split(u':', Qt::SkipEmptyParts))
        if (QDir::isAbsolutePath(path))
            paths.append(path);
    return paths.isEmpty() ? fallback : paths;
}

// Whether the [Desktop Entry] group describes an application to list.
bool isListedApplication(const QString& path) {
    QFile file(path);
    if (file.size() > 1024 * 1024 || !file.open(QIODevice::ReadOnly))
        return false;
    bool inEntry = false;
    bool isApplication = false;
    while (!file.atEnd()) {
        const QByteArray line = file.readLine().trimmed();
        if (line.startsWith('[')) {
            if (inEntry)
                break;
            inEntry = line == "[Desktop Entry]";
            continue;
        }
        if (!inEntry)
            continue;
        if (line == "Type=Application")
            isApplication = true;
        else if (line == "NoDisplay=true" || line == "Hidden=true")
            return false;
    }
    return isApplication;
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
            if (!isListedApplication(path))
                continue;
            const QFileInfo info(path);
            SearchResult result;
            result.id = stableNegativeID(path);
            result.kind = SearchResultKind::app;
            result.filename = info.fileName();
            result.directory = info.path();
            results.append(result);
        }
    }
    return results;
}

} // namespace trovi
