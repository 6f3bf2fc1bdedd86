#pragma once
// Bookmarks of Chromium browsers: the "Bookmarks" JSON file of each profile
// under a browser's user-data root.

#include "launcher/engine/sources/browser/BrowserShortcuts.h"

#include <QJsonObject>

namespace trovi {

// "Bookmarks" files up to depth 4 below the root (profiles sit at depth 1,
// their file at depth 2), hidden entries skipped, once per lower-cased path.
QStringList discoverChromiumBookmarkFiles(const QString& userDataRoot);

// Nothing for an unreadable or malformed file.
QList<BrowserBookmarkShortcut> parseChromiumBookmarks(const QString& filePath,
                                                      const QString& browserName);
// The same for the file's contents.
QList<BrowserBookmarkShortcut> parseChromiumBookmarkContents(const QByteArray& contents,
                                                             const QString& browserName);

// Appends the http(s) bookmarks below the node; folders extend the path.
void collectChromiumBookmarks(const QJsonObject& node, const QString& browserName,
                              const QStringList& folderPathComponents,
                              QList<BrowserBookmarkShortcut>& results);

// The root folder's own name, else a label for the well-known root keys.
QString chromiumBookmarkRootLabel(const QString& rootKey, const QJsonObject& node);

// A folder's children extend the path by its name, unless the name is empty
// or repeats the last component (a root named like its label).
QStringList bookmarkFolderPathComponents(const QStringList& current, const QString& name);

// A bookmark record from a name and URL text; nothing unless http(s).
std::optional<BrowserBookmarkShortcut> makeBrowserBookmark(const QString& browserName,
                                                           const QString& name,
                                                           const QString& urlText,
                                                           const QStringList& folderPath);

} // namespace trovi
