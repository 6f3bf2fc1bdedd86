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
    // Found in a session file: Return opens the page in that browser, since
    // the tab itself cannot be brought to the front from outside.
    bool opensPageInBrowser = false;
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

// How a browser keeps its bookmarks under its user-data root.
enum class BrowserBookmarkFormat {
    chromium, // a "Bookmarks" JSON file in each profile folder
    firefox,  // profiles.ini naming profiles, each with a places.sqlite
};

struct BrowserBookmarkSource {
    QString browserName;
    QString userDataRoot;
    BrowserBookmarkFormat format = BrowserBookmarkFormat::chromium;
};

} // namespace trovi
