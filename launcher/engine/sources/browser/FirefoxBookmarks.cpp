#include "launcher/engine/sources/browser/FirefoxBookmarks.h"

#include "db/SqliteDatabase.h"
#include "launcher/core/RegularFile.h"
#include "launcher/engine/sources/browser/ChromiumBookmarks.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QTemporaryDir>

#include <functional>

namespace trovi {

namespace {

struct PlacesItem {
    qint64 parent = 0;
    QString title;
    QString guid;
};

QString rootLabel(const QString& guid) {
    if (guid == u"menu________")
        return QStringLiteral("Bookmarks Menu");
    if (guid == u"toolbar_____")
        return QStringLiteral("Bookmarks Toolbar");
    if (guid == u"unfiled_____")
        return QStringLiteral("Other Bookmarks");
    if (guid == u"mobile______")
        return QStringLiteral("Mobile Bookmarks");
    return {};
}

// Copies the database and its log into a private folder; a copy is
// consistent enough for reading bookmarks, and Firefox never notices. A copy
// that fails (a full temporary folder, a special file in the profile) is
// said once, since the browser's bookmarks are then missing from results.
std::optional<QString> privateCopy(const QString& placesPath, const QTemporaryDir& folder) {
    const QString copy = folder.filePath(QStringLiteral("places.sqlite"));
    QString error;
    const auto fail = [&] {
        if (!error.isEmpty())
            warnOnce(QStringLiteral("Firefox bookmarks skipped: ") + error);
        return std::nullopt;
    };
    if (!copyRegularFile(placesPath, copy, file_caps::browserDatabase, &error))
        return fail();
    // Without a log the database alone is complete.
    if (!copyRegularFile(placesPath + QStringLiteral("-wal"), copy + QStringLiteral("-wal"),
                         file_caps::browserDatabase, &error) &&
        !error.isEmpty())
        return fail();
    return copy;
}

} // namespace

QStringList firefoxProfileFolders(const QString& profilesRoot) {
    const std::optional<QByteArray> contents = readRegularFile(
        QDir(profilesRoot).filePath(QStringLiteral("profiles.ini")), file_caps::settingsFile);
    if (!contents)
        return {};
    QStringList folders;
    QString path;
    bool inProfile = false, relative = true;
    auto finish = [&] {
        if (inProfile && !path.isEmpty()) {
            const QString folder =
                QDir::cleanPath(relative ? QDir(profilesRoot).filePath(path) : path);
            if (!folders.contains(folder))
                folders.append(folder);
        }
        path.clear();
        relative = true;
    };
    for (const QByteArray& raw : contents->split('\n')) {
        const QString line = QString::fromUtf8(raw).trimmed();
        if (line.startsWith(u'[')) {
            finish();
            inProfile = line.startsWith(u"[Profile");
            continue;
        }
        const qsizetype eq = line.indexOf(u'=');
        if (!inProfile || eq <= 0)
            continue;
        const QString key = line.left(eq).trimmed();
        const QString value = line.mid(eq + 1).trimmed();
        if (key == u"Path")
            path = value;
        else if (key == u"IsRelative")
            relative = value != u"0";
    }
    finish();
    return folders;
}

QList<BrowserBookmarkShortcut> readFirefoxBookmarks(const QString& placesPath,
                                                    const QString& browserName) {
    if (!QFileInfo(placesPath).isFile())
        return {};
    const QTemporaryDir folder;
    if (!folder.isValid()) {
        warnOnce(QStringLiteral("Firefox bookmarks skipped: cannot create a temporary folder: ") +
                 folder.errorString());
        return {};
    }
    const auto copy = privateCopy(placesPath, folder);
    if (!copy)
        return {};
    auto connection = db::Connection::open(*copy, db::ReadWrite);
    if (!connection)
        return {};
    auto statement = connection->prepare(QStringLiteral(
        "SELECT b.id, b.type, b.parent, IFNULL(b.title, ''), IFNULL(b.guid, ''), "
        "IFNULL(p.url, '') FROM moz_bookmarks b LEFT JOIN moz_places p ON p.id = b.fk "
        "ORDER BY b.parent, b.position, b.id"));
    if (!statement)
        return {};
    auto rows = statement->all();
    if (!rows)
        return {};
    QList<FirefoxPlacesRow> places;
    places.reserve(qsizetype(rows->size()));
    for (const db::Row& row : *rows)
        places.append({row.integer(0).value_or(0), row.integer(1).value_or(0),
                       row.integer(2).value_or(0), row.text(3).value_or(QString()),
                       row.text(4).value_or(QString()), row.text(5).value_or(QString())});
    return firefoxBookmarksFromRows(places, browserName);
}

QList<BrowserBookmarkShortcut> firefoxBookmarksFromRows(const QList<FirefoxPlacesRow>& rows,
                                                        const QString& browserName) {
    QHash<qint64, PlacesItem> folders;
    struct Mark {
        qint64 parent;
        QString title, url;
    };
    QList<Mark> marks;
    for (const FirefoxPlacesRow& row : rows) {
        if (row.type == 2)
            folders.insert(row.id, {row.parent, row.title.trimmed(), row.guid});
        else if (row.type == 1)
            marks.append({row.parent, row.title.trimmed(), row.url.trimmed()});
    }

    // Folder paths, worked out once per folder; nothing for the tags tree.
    QHash<qint64, std::optional<QStringList>> paths;
    std::function<std::optional<QStringList>(qint64, int)> pathOf =
        [&](qint64 id, int depth) -> std::optional<QStringList> {
        if (const auto it = paths.constFind(id); it != paths.constEnd())
            return *it;
        const auto it = folders.constFind(id);
        std::optional<QStringList> result;
        if (it == folders.constEnd() || it->guid == u"root________" || depth > 64) {
            result = QStringList{};
        } else if (it->guid == u"tags________") {
            result = std::nullopt;
        } else if (const QString label = rootLabel(it->guid); !label.isEmpty()) {
            result = QStringList{label};
        } else if (auto parentPath = pathOf(it->parent, depth + 1)) {
            result = bookmarkFolderPathComponents(*parentPath, it->title);
        }
        paths.insert(id, result);
        return result;
    };

    QList<BrowserBookmarkShortcut> results;
    for (const Mark& mark : marks) {
        const auto path = pathOf(mark.parent, 0);
        if (!path)
            continue;
        if (auto bookmark = makeBrowserBookmark(browserName, mark.title, mark.url, *path))
            results.append(std::move(*bookmark));
    }
    return results;
}

QList<BrowserBookmarkShortcut> FirefoxBookmarkCache::read(const QString& placesPath,
                                                          const QString& browserName) {
    QString stamp;
    for (const QString& path : QStringList{placesPath, placesPath + QStringLiteral("-wal")}) {
        const QFileInfo info(path);
        stamp += QStringLiteral("%1:%2;")
                     .arg(info.size())
                     .arg(info.exists() ? info.lastModified().toMSecsSinceEpoch() : 0);
    }
    const QString key = browserName + u'\n' + placesPath;
    {
        const std::lock_guard lock(m_mutex);
        const auto it = m_entries.constFind(key);
        if (it != m_entries.constEnd() && it->stamp == stamp)
            return it->bookmarks;
    }
    QList<BrowserBookmarkShortcut> bookmarks = readFirefoxBookmarks(placesPath, browserName);
    const std::lock_guard lock(m_mutex);
    m_entries.insert(key, {stamp, bookmarks});
    return bookmarks;
}

QList<BrowserBookmarkShortcut> discoverFirefoxBookmarks(const QString& profilesRoot,
                                                        const QString& browserName,
                                                        FirefoxBookmarkCache* cache) {
    QList<BrowserBookmarkShortcut> results;
    for (const QString& profile : firefoxProfileFolders(profilesRoot)) {
        const QString places = QDir(profile).filePath(QStringLiteral("places.sqlite"));
        results +=
            cache ? cache->read(places, browserName) : readFirefoxBookmarks(places, browserName);
    }
    return results;
}

} // namespace trovi
