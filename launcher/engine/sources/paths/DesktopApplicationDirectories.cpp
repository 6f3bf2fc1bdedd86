#include "launcher/engine/sources/paths/DesktopApplicationDirectories.h"

#include <QDir>

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

} // namespace trovi
