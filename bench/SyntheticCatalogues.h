#pragma once
// Catalogues shaped like a real home for the benchmarks: folders dominate,
// apps are few, shortcut files sit in between, paths nest a few levels deep.
// The same size gives the same catalogues every time.

#include "launcher/engine/model/SearchResult.h"

#include <QHash>
#include <QList>
#include <QRandomGenerator>
#include <QStringList>

#include <algorithm>
#include <cstdint>

namespace trovi {

inline const QStringList kWords = {
    "project", "notes",    "invoice", "budget",  "report",   "photos",  "backup",   "2023",
    "2024",    "client",   "design",  "draft",   "meeting",  "team",    "archive",  "src",
    "docs",    "assets",   "old",     "final",   "taxes",    "travel",  "Résumé",   "Q3",
    "scripts", "Research", "Data",    "export",  "Personal", "Work",    "receipts", "music",
    "video",   "Lecture",  "thesis",  "website", "api",      "mobile",  "config",   "test",
    "Kitchen", "garden",   "Cars",    "school",  "Contract", "roadmap", "planning", "ideas"};
inline const QStringList kShortcutSuffixes = {".gsheet.url", ".gdoc.url", ".gslides.url", ".url",
                                              ".webloc",     ".gsheet",   ".gdoc",        ".pdf",
                                              ".txt",        ".md"};
inline const QStringList kApps = {"Firefox",
                                  "Thunderbird",
                                  "LibreOffice Writer",
                                  "LibreOffice Calc",
                                  "GIMP",
                                  "Inkscape",
                                  "Terminal",
                                  "Files",
                                  "Settings",
                                  "Visual Studio Code",
                                  "Calendar",
                                  "Calculator",
                                  "Maps",
                                  "Weather",
                                  "Photos",
                                  "Videos",
                                  "Music",
                                  "Text Editor",
                                  "Disks",
                                  "Software",
                                  "Krita",
                                  "Blender",
                                  "Audacity",
                                  "Signal"};

struct Catalogues {
    QList<SearchResult> apps;
    QList<SearchResult> folders;
    QList<SearchResult> shortcuts;
    QHash<QString, std::int64_t> learned; // lower-cased usage key or path -> count
    QList<SearchResult> allItems;
};

inline SearchResult pathResult(SearchResultKind kind, const QString& directory,
                               const QString& name) {
    SearchResult r;
    r.kind = kind;
    r.directory = directory;
    r.filename = name;
    r.id = stableNegativeID(joinPath(directory, name));
    return r;
}

inline QString phrase(QRandomGenerator& random, int words, const QString& separator) {
    QStringList parts;
    for (int i = 0; i < words; ++i)
        parts.append(kWords[random.bounded(int(kWords.size()))]);
    return parts.join(separator);
}

// Folders dominate a home directory; apps are few; shortcut files sit in
// between. Paths nest a few levels deep like a real home.
inline Catalogues makeCatalogues(int total) {
    QRandomGenerator random(20240601);
    const int appCount = std::max(200, total / 50);
    const int shortcutCount = total / 4;
    const int folderCount = total - appCount - shortcutCount;

    QList<SearchResult> apps;
    for (int i = 0; i < appCount; ++i) {
        const QString base = kApps[i % kApps.size()];
        const QString name = i < kApps.size() ? base : base + u' ' + QString::number(i);
        apps.append(pathResult(SearchResultKind::app, "/usr/share/applications",
                               name + QStringLiteral(".desktop")));
    }
    QStringList directories = {"/home/ana"};
    QList<SearchResult> folders;
    for (int i = 0; i < folderCount; ++i) {
        const QString& parent = directories[random.bounded(int(directories.size()))];
        const int words = 1 + int(random.bounded(3));
        const QString name = phrase(random, words, random.bounded(2) ? "-" : " ");
        folders.append(pathResult(SearchResultKind::folder, parent, name));
        if (parent.count(u'/') < 7)
            directories.append(joinPath(parent, name));
    }
    QList<SearchResult> shortcuts;
    for (int i = 0; i < shortcutCount; ++i) {
        const QString& directory = directories[random.bounded(int(directories.size()))];
        const QString name = phrase(random, 1 + int(random.bounded(4)), " ") +
                             kShortcutSuffixes[random.bounded(int(kShortcutSuffixes.size()))];
        SearchResult r = pathResult(SearchResultKind::file, directory, name);
        if (name.endsWith(u".url"))
            r.usageKey = QStringLiteral("https://docs.example.com/d/") + QString::number(i);
        shortcuts.append(r);
    }

    Catalogues c;
    c.allItems = apps + folders + shortcuts;
    for (int i = 0; i < 600; ++i) {
        const SearchResult& r = c.allItems[random.bounded(int(c.allItems.size()))];
        c.learned.insert(r.usageKeyOrFullPath().toLower(), 1 + random.bounded(60));
    }
    c.apps = std::move(apps);
    c.folders = std::move(folders);
    c.shortcuts = std::move(shortcuts);
    return c;
}

} // namespace trovi
