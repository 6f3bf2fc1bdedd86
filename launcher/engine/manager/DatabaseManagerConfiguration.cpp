#include "launcher/engine/manager/DatabaseManagerConfiguration.h"

#include "launcher/engine/sources/browser/BrowserBookmarks.h"
#include "launcher/engine/sources/documents/IndexedDocumentSearch.h"
#include "launcher/engine/sources/paths/CatalogDiscovery.h"
#include "launcher/engine/sources/paths/DesktopApplicationDirectories.h"

namespace trovi {

DatabaseManagerConfiguration DatabaseManagerConfiguration::standard(const QString& home,
                                                                    bool isRunningUnitTests) {
    DatabaseManagerConfiguration c;
    c.homeDirectory = home;
    c.indexDatabasePath = IndexedDocumentSearch::defaultDatabasePath(home);
    c.appSearchRoots = defaultAppSearchRoots(home);
    c.desktopApplicationDirectories = defaultDesktopApplicationDirectories(home);
    c.folderSearchRoots = {home};
    c.shortcutSearchRoots = defaultShortcutSearchRoots(home);
    c.notionClient = NotionClientConfiguration::fromEnvironment();
    c.recentActivationsEnabled = !isRunningUnitTests;
    c.persistentQueryResultCacheEnabled = !isRunningUnitTests;
    if (!isRunningUnitTests) {
        const QString xdgConfigHome = qEnvironmentVariable("XDG_CONFIG_HOME");
        c.browserBookmarkSources = defaultBrowserBookmarkSources(home, xdgConfigHome);
        // This platform has no script host: the browsers' session files say
        // which tabs are open.
        c.browserSessionSources = defaultBrowserSessionSources(home, xdgConfigHome);
        c.browserTabsAvailable = true;
    }
    return c;
}

} // namespace trovi
