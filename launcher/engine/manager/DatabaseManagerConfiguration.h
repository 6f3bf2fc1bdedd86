#pragma once
// Everything the search engine is configured with: roots, limits, time-to-live
// values and feature switches. `standard(home)` gives the launcher's values;
// tests build their own with temporary roots.

#include "launcher/clients/notion/NotionClient.h"
#include "launcher/engine/sources/browser/BrowserSessionSource.h"
#include "launcher/engine/sources/browser/BrowserShortcuts.h"
#include "launcher/engine/sources/paths/CatalogDiscovery.h"
#include "launcher/engine/sources/settingspanes/SettingsPanels.h"

#include <QSet>
#include <QString>
#include <QStringList>

namespace trovi {

struct DatabaseManagerConfiguration {
    QString homeDirectory;
    QString indexDatabasePath;
    QStringList appSearchRoots;
    // Folders of freedesktop application entries, searched next to the bundles.
    QStringList desktopApplicationDirectories;
    QStringList folderSearchRoots;
    QStringList shortcutSearchRoots;
    QList<BrowserBookmarkSource> browserBookmarkSources;

    QString usageStoreKey = QStringLiteral("launcherPathOpenCounts");
    QString recentActivationsStoreKey() const {
        return usageStoreKey + QStringLiteral(".recentActivations");
    }
    QString persistentQueryResultCacheKey() const {
        return usageStoreKey + QStringLiteral(".queryResults");
    }

    bool recentActivationsEnabled = true;
    bool persistentQueryResultCacheEnabled = true;
    bool backgroundRefreshEnabled = true;
    // Whether this platform can list open browser tabs at all; when it cannot,
    // the tab catalogue is never refreshed (and never drops the query caches).
    bool browserTabsAvailable = false;
    // The program that runs the browsers' tab scripts.
    QString scriptHostPath = QStringLiteral("/usr/bin/osascript");
    // Where open tabs are read from instead, without asking the browsers.
    QList<BrowserSessionSource> browserSessionSources;
    // Where settings panes come from: the seed list and no scan unless the
    // platform offers one.
    SystemSettingsPaneSource systemSettingsPanes;

    double appCacheTTL = 120.0;
    double folderCacheTTL = 180.0;
    double shortcutCacheTTL = 180.0;
    double systemSettingsCacheTTL = 600.0;
    double browserTabsCacheTTL = 8.0;
    double browserBookmarksCacheTTL = 60.0;
    double queryResultCacheTTL = 5.0;
    int queryResultCacheMaxEntries = 120;
    double translationActionCacheTTL = 1800.0;
    int translationActionCacheMaxEntries = 300;
    double notionCacheTTL = 30.0;
    int notionCacheMaxEntries = 60;
    // The API address and request timeout; standard() applies TROVI_NOTION_API_URL.
    NotionClientConfiguration notionClient;
    int recentActivationsMaxEntries = 80;

    int folderSearchMaxDepth = 5;
    int shortcutSearchMaxDepth = 6;
    QSet<QString> baselineShortcutFileExtensions = trovi::baselineShortcutFileExtensions();
    QStringList pinnedFolderPaths = defaultPinnedFolderPaths();
    QSet<QString> excludedFolderNames = defaultExcludedFolderNames();

    double shortcutRootWatcherCoalescingDelay = 0.5;

    // The launcher's configuration for a user whose home directory is `home`.
    // `isRunningUnitTests` stands in for the unit-test host probe: bookmarks,
    // browser tabs, recent activations and the persistent query cache stay off.
    static DatabaseManagerConfiguration standard(const QString& home,
                                                 bool isRunningUnitTests = false);
};

} // namespace trovi
