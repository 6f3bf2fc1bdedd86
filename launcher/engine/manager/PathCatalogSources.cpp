#include "launcher/engine/manager/PathCatalogSources.h"

#include "launcher/engine/manager/DatabaseManagerConfiguration.h"
#include "launcher/engine/model/Deduplication.h"
#include "launcher/engine/sources/paths/CatalogDiscovery.h"

namespace trovi {

std::unique_ptr<PathCatalogSource> makeApplicationSource(SourceHost& host,
                                                         const DatabaseManagerConfiguration& config,
                                                         InstalledApplications installed) {
    return std::make_unique<PathCatalogSource>(
        host, config.appCacheTTL,
        [roots = config.appSearchRoots, directories = config.desktopApplicationDirectories,
         installed = std::move(installed)](const auto&) -> PathCatalogSource::Walk {
            // Application bundles and the platform's applications make one catalogue.
            return [roots, directories, installed] {
                const QList<SearchResult> bundles = discoverAppBundles(roots);
                return PathRecords(installed ? mergedUniqueByPath(bundles + installed(directories))
                                             : bundles);
            };
        });
}

std::unique_ptr<PathCatalogSource> makeFolderSource(SourceHost& host,
                                                    const DatabaseManagerConfiguration& config) {
    return std::make_unique<PathCatalogSource>(
        host, config.folderCacheTTL,
        [roots = config.folderSearchRoots, depth = config.folderSearchMaxDepth,
         excluded = config.excludedFolderNames](const auto&) -> PathCatalogSource::Walk {
            return [roots, depth, excluded] { return discoverFolders(roots, depth, excluded); };
        },
        [&host, pinned = config.pinnedFolderPaths] {
            QList<SearchResult> results;
            for (const QString& path : pinned) {
                if (auto result = pinnedFolderResult(path))
                    results.append(host.withLearnedOpenCount(*result));
            }
            return results;
        });
}

std::unique_ptr<PathCatalogSource> makeShortcutSource(SourceHost& host,
                                                      const DatabaseManagerConfiguration& config) {
    return std::make_unique<PathCatalogSource>(
        host, config.shortcutCacheTTL,
        [roots = config.shortcutSearchRoots, depth = config.shortcutSearchMaxDepth,
         excluded = config.excludedFolderNames, baseline = config.baselineShortcutFileExtensions](
            const SearchRankingPreferences& preferences) -> PathCatalogSource::Walk {
            // Files with a priority rule count as shortcuts too.
            QStringList suffixes;
            for (const ExtensionBoostRule& rule : preferences.extensionBoostRules())
                suffixes.append(rule.suffix);
            return
                [roots, depth, excluded, extensions = shortcutFileExtensions(baseline, suffixes)] {
                    return PathRecords(discoverShortcuts(roots, depth, excluded, extensions));
                };
        });
}

} // namespace trovi
