#pragma once
// Records of the browser catalogues: open tabs, bookmarks, and where bookmark
// files are looked for.

#include <QList>
#include <QString>

namespace trovi {

struct BrowserTabShortcut {
    QString browserName;
    QString browserBundleIdentifier;
    int windowIndex = 1;
    int tabIndex = 1;
    QString title;
    QString urlString;
    QString host;
    bool operator==(const BrowserTabShortcut&) const = default;
};

struct BrowserBookmarkShortcut {
    QString browserName;
    QString title;
    QString urlString;
    QString host;
    QString folderPath;
    bool operator==(const BrowserBookmarkShortcut&) const = default;
};

struct BrowserBookmarkSource {
    QString browserName;
    QString userDataRoot;
};

} // namespace trovi
