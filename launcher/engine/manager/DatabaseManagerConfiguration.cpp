#include "launcher/engine/manager/DatabaseManagerConfiguration.h"

#include "launcher/engine/sources/documents/IndexedDocumentSearch.h"
#include "launcher/engine/sources/paths/CatalogDiscovery.h"

namespace trovi {

DatabaseManagerConfiguration DatabaseManagerConfiguration::standard(const QString& home,
                                                                    bool isRunningUnitTests) {
    DatabaseManagerConfiguration c;
    c.homeDirectory = home;
    c.indexDatabasePath = IndexedDocumentSearch::defaultDatabasePath(home);
    c.appSearchRoots = defaultAppSearchRoots(home);
    c.folderSearchRoots = {home};
    c.shortcutSearchRoots = defaultShortcutSearchRoots(home);
    c.isRunningUnitTests = isRunningUnitTests;
    c.recentActivationsEnabled = !isRunningUnitTests;
    c.persistentQueryResultCacheEnabled = !isRunningUnitTests;
    if (!isRunningUnitTests) {
        const QString mac = home + QStringLiteral("/Library/Application Support/");
        const QString xdg = home + QStringLiteral("/.config/");
        c.browserBookmarkSources = {
            {QStringLiteral("Edge"), mac + QStringLiteral("Microsoft Edge")},
            {QStringLiteral("Brave"), mac + QStringLiteral("BraveSoftware/Brave-Browser")},
            {QStringLiteral("Chrome"), mac + QStringLiteral("Google/Chrome")},
            {QStringLiteral("Edge"), xdg + QStringLiteral("microsoft-edge")},
            {QStringLiteral("Brave"), xdg + QStringLiteral("BraveSoftware/Brave-Browser")},
            {QStringLiteral("Chrome"), xdg + QStringLiteral("google-chrome")},
            {QStringLiteral("Chromium"), xdg + QStringLiteral("chromium")},
        };
    }
    return c;
}

} // namespace trovi
