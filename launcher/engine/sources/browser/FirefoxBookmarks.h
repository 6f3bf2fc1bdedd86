#pragma once
// Firefox bookmarks: every profile that profiles.ini names, read from its
// places.sqlite. Firefox keeps that database locked and half of it in its
// write-ahead log while it runs, so we read a private copy of both files and
// never open the browser's own.

#include "launcher/engine/sources/browser/BrowserShortcuts.h"

#include <QHash>

#include <mutex>

namespace trovi {

// Profile folders listed in <root>/profiles.ini, relative paths resolved
// against the root; nothing when the file is missing.
QStringList firefoxProfileFolders(const QString& profilesRoot);

// The http(s) bookmarks of one places.sqlite, folder paths led by the root
// folder's label ("Bookmarks Menu", "Bookmarks Toolbar", "Other Bookmarks",
// "Mobile Bookmarks"); tags are not bookmarks of their own. Nothing for a
// missing or unreadable database.
QList<BrowserBookmarkShortcut> readFirefoxBookmarks(const QString& placesPath,
                                                    const QString& browserName);

// One row of moz_bookmarks joined with its page's address; type 1 is a
// bookmark, 2 a folder.
struct FirefoxPlacesRow {
    qint64 id = 0;
    qint64 type = 0;
    qint64 parent = 0;
    QString title;
    QString guid;
    QString url;
};

// The bookmarks that the rows describe, as readFirefoxBookmarks gives them.
QList<BrowserBookmarkShortcut> firefoxBookmarksFromRows(const QList<FirefoxPlacesRow>& rows,
                                                        const QString& browserName);

// Each database's bookmarks with the stamps of its files when read, so an
// unchanged places.sqlite is not copied again on every refresh.
class FirefoxBookmarkCache {
public:
    QList<BrowserBookmarkShortcut> read(const QString& placesPath, const QString& browserName);

private:
    struct Entry {
        QString stamp;
        QList<BrowserBookmarkShortcut> bookmarks;
    };
    std::mutex m_mutex;
    QHash<QString, Entry> m_entries;
};

// Every profile's bookmarks under the root, through the cache when given.
QList<BrowserBookmarkShortcut> discoverFirefoxBookmarks(const QString& profilesRoot,
                                                        const QString& browserName,
                                                        FirefoxBookmarkCache* cache = nullptr);

} // namespace trovi
