// Catalogue refresh: time-to-live per catalogue, one refresh in flight, the
// builders off the engine thread, and the shortcut-root watcher.

#include "launcher/engine/manager/DatabaseManager.h"

#include "launcher/engine/model/Deduplication.h"
#include "launcher/engine/sources/paths/CatalogDiscovery.h"
#include "launcher/settings/LauncherNotifications.h"
#include "launcher/settings/NotificationCenter.h"

#include <QPointer>
#include <QtConcurrent/QtConcurrent>

#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace trovi {

struct DatabaseManager::RefreshInputs {
    StaleCatalogs stale;
    QStringList appSearchRoots;
    std::function<QList<SearchResult>()> installedApplications;
    QStringList folderSearchRoots;
    QStringList shortcutSearchRoots;
    QSet<QString> excludedFolderNames;
    int folderSearchMaxDepth = 5;
    int shortcutSearchMaxDepth = 6;
    QSet<QString> shortcutFileExtensions;
    // Lets the builders prepare what the first search after the swap needs.
    std::optional<SearchRankingPreferences> rankingPreferences;
};

struct DatabaseManager::RefreshOutput {
    std::optional<PathCatalog> apps;
    std::optional<PathCatalog> folders;
    std::optional<PathCatalog> shortcuts;
    std::optional<QList<SystemSettingsShortcut>> systemSettingsShortcuts;
    std::optional<QList<BrowserTabShortcut>> browserTabs;
    std::optional<QList<BrowserBookmarkShortcut>> browserBookmarks;
    bool deliveredAnything() const {
        return apps || folders || shortcuts || systemSettingsShortcuts || browserTabs ||
               browserBookmarks;
    }
};

namespace {

// Builders walk whole home folders: keep them from competing with typing.
// Application bundles and the platform's installed applications make one
// catalogue.
QList<SearchResult> discoverApplications(const QStringList& appRoots,
                                         const std::function<QList<SearchResult>()>& installed) {
    QList<SearchResult> apps = discoverAppBundles(appRoots);
    return installed ? mergedUniqueByPath(apps + installed()) : apps;
}

void lowerCurrentThreadPriority() {
    static thread_local bool lowered = false;
    if (lowered)
        return;
    lowered = true;
    setpriority(PRIO_PROCESS, id_t(syscall(SYS_gettid)), 10);
}

} // namespace

QSet<QString> DatabaseManager::shortcutFileExtensions() const {
    QStringList suffixes;
    const SearchRankingPreferences preferences = rankingPreferences();
    for (const ExtensionBoostRule& rule : preferences.extensionBoostRules())
        suffixes.append(rule.suffix);
    return trovi::shortcutFileExtensions(m_config.baselineShortcutFileExtensions, suffixes);
}

bool DatabaseManager::isStale(const std::optional<QDateTime>& stamp, double ttl,
                              const QDateTime& current) const {
    return !stamp || secondsBetween(*stamp, current) > ttl;
}

DatabaseManager::StaleCatalogs DatabaseManager::staleCatalogs() const {
    const QDateTime current = now();
    StaleCatalogs stale;
    stale.apps = isStale(m_appCacheLastRefresh, m_config.appCacheTTL, current);
    stale.folders = isStale(m_folderCacheLastRefresh, m_config.folderCacheTTL, current);
    stale.shortcuts = isStale(m_shortcutCacheLastRefresh, m_config.shortcutCacheTTL, current);
    stale.systemSettings =
        isStale(m_systemSettingsCacheLastRefresh, m_config.systemSettingsCacheTTL, current);
    stale.browserTabs =
        m_config.browserTabsAvailable && !m_config.isRunningUnitTests &&
        isStale(m_browserTabsCacheLastRefresh, m_config.browserTabsCacheTTL, current);
    stale.browserBookmarks =
        isStale(m_browserBookmarksCacheLastRefresh, m_config.browserBookmarksCacheTTL, current);
    return stale;
}

DatabaseManager::RefreshInputs
DatabaseManager::captureRefreshInputs(const StaleCatalogs& stale) const {
    RefreshInputs inputs;
    inputs.stale = stale;
    inputs.appSearchRoots = m_config.appSearchRoots;
    inputs.installedApplications = m_services.installedApplications;
    inputs.folderSearchRoots = m_config.folderSearchRoots;
    inputs.shortcutSearchRoots = m_config.shortcutSearchRoots;
    inputs.excludedFolderNames = m_config.excludedFolderNames;
    inputs.folderSearchMaxDepth = m_config.folderSearchMaxDepth;
    inputs.shortcutSearchMaxDepth = m_config.shortcutSearchMaxDepth;
    inputs.shortcutFileExtensions = shortcutFileExtensions();
    inputs.rankingPreferences = rankingPreferences();
    return inputs;
}

DatabaseManager::RefreshOutput DatabaseManager::buildCatalogs(const RefreshInputs& in) {
    RefreshOutput out;
    const SearchRankingPreferences& prefs = *in.rankingPreferences;
    if (in.stale.apps)
        out.apps = PathCatalog::build(
            discoverApplications(in.appSearchRoots, in.installedApplications), prefs);
    if (in.stale.folders)
        out.folders = PathCatalog::build(
            discoverFolders(in.folderSearchRoots, in.folderSearchMaxDepth, in.excludedFolderNames),
            prefs);
    if (in.stale.shortcuts)
        out.shortcuts =
            PathCatalog::build(discoverShortcuts(in.shortcutSearchRoots, in.shortcutSearchMaxDepth,
                                                 in.excludedFolderNames, in.shortcutFileExtensions),
                               prefs);
    // Settings panes and browsers keep their place in the refresh; their
    // discovery is not available here yet, so they deliver the seed list and
    // empty lists.
    if (in.stale.systemSettings)
        out.systemSettingsShortcuts = systemSettingsSeedShortcuts();
    if (in.stale.browserTabs)
        out.browserTabs = QList<BrowserTabShortcut>{};
    if (in.stale.browserBookmarks)
        out.browserBookmarks = QList<BrowserBookmarkShortcut>{};
    return out;
}

void DatabaseManager::startShortcutRootWatcherIfNeeded() {
    if (m_shortcutRootWatcher || !m_services.shortcutRootWatcherFactory)
        return;
    QPointer<DatabaseManager> self(this);
    m_shortcutRootWatcher = m_services.shortcutRootWatcherFactory(
        m_config.shortcutSearchRoots, m_config.shortcutRootWatcherCoalescingDelay, [self] {
            // Called on the watcher's thread: hop to ours.
            if (self)
                QMetaObject::invokeMethod(
                    self.data(),
                    [self] {
                        if (self)
                            self->shortcutRootsDidChange();
                    },
                    Qt::QueuedConnection);
        });
}

void DatabaseManager::scheduleBackgroundCacheRefreshIfNeeded() {
    if (!m_config.backgroundRefreshEnabled)
        return;
    startShortcutRootWatcherIfNeeded();
    if (m_refreshInFlight)
        return;
    const StaleCatalogs stale = staleCatalogs();
    if (!stale.any())
        return;
    const RefreshInputs inputs = captureRefreshInputs(stale);
    m_refreshInFlight = true;
    QPointer<DatabaseManager> self(this);
    m_builderPool.start([self, inputs] {
        lowerCurrentThreadPriority();
        RefreshOutput output = buildCatalogs(inputs);
        if (!self)
            return;
        QMetaObject::invokeMethod(
            self.data(),
            [self, output = std::move(output)]() mutable {
                if (self)
                    self->applyBackgroundCacheRefresh(std::move(output));
            },
            Qt::QueuedConnection);
    });
}

void DatabaseManager::applyBackgroundCacheRefresh(RefreshOutput output) {
    const QDateTime current = now();
    // A delivered catalogue replaces the cached one and restarts its clock.
    auto adopt = [&current](auto& delivered, auto& cached, std::optional<QDateTime>& stamp) {
        if (!delivered)
            return;
        cached = std::move(*delivered);
        stamp = current;
    };
    adopt(output.apps, m_cachedApps, m_appCacheLastRefresh);
    adopt(output.folders, m_cachedFolders, m_folderCacheLastRefresh);
    adopt(output.shortcuts, m_cachedShortcuts, m_shortcutCacheLastRefresh);
    adopt(output.systemSettingsShortcuts, m_cachedSystemSettingsShortcuts,
          m_systemSettingsCacheLastRefresh);
    adopt(output.browserTabs, m_cachedBrowserTabs, m_browserTabsCacheLastRefresh);
    adopt(output.browserBookmarks, m_cachedBrowserBookmarks, m_browserBookmarksCacheLastRefresh);
    if (output.deliveredAnything()) {
        invalidateQueryResultCache();
        announceSearchDataRefreshed();
    }
    m_refreshInFlight = false;
    if (m_shouldScheduleBackgroundRefreshAfterCurrentTask) {
        m_shouldScheduleBackgroundRefreshAfterCurrentTask = false;
        scheduleBackgroundCacheRefreshIfNeeded();
    }
}

void DatabaseManager::announceSearchDataRefreshed() {
    Q_EMIT searchDataRefreshed();
    if (m_services.notifications)
        m_services.notifications->post(notifications::LauncherSearchDataRefreshed);
}

void DatabaseManager::shortcutRootsDidChange() {
    if (!m_config.backgroundRefreshEnabled)
        return;
    m_shortcutCacheLastRefresh.reset();
    m_shortcutUsageKeyCache.clear();
    invalidateQueryResultCache();
    if (m_refreshInFlight)
        m_shouldScheduleBackgroundRefreshAfterCurrentTask = true;
    else
        scheduleBackgroundCacheRefreshIfNeeded();
}

void DatabaseManager::refreshCatalogsNow() {
    const StaleCatalogs stale = staleCatalogs();
    if (!stale.any())
        return;
    applyBackgroundCacheRefresh(buildCatalogs(captureRefreshInputs(stale)));
}

QFuture<CatalogRefreshCounts> DatabaseManager::warmupFileSystemPermissions() {
    const QStringList appRoots = m_config.appSearchRoots;
    const auto installed = m_services.installedApplications;
    const QStringList folderRoots = m_config.folderSearchRoots;
    const QSet<QString> excluded = m_config.excludedFolderNames;
    const int depth = m_config.folderSearchMaxDepth;
    const SearchRankingPreferences prefs = rankingPreferences();
    // Both walks side by side; the engine keeps answering searches meanwhile.
    QFuture<PathCatalog> folders =
        QtConcurrent::run(&m_builderPool, [folderRoots, depth, excluded, prefs] {
            lowerCurrentThreadPriority();
            return PathCatalog::build(discoverFolders(folderRoots, depth, excluded), prefs);
        });
    auto promise = std::make_shared<QPromise<CatalogRefreshCounts>>();
    promise->start();
    QFuture<CatalogRefreshCounts> counts = promise->future();
    QPointer<DatabaseManager> self(this);
    m_builderPool.start([self, promise, folders, appRoots, installed, prefs]() mutable {
        lowerCurrentThreadPriority();
        PathCatalog apps = PathCatalog::build(discoverApplications(appRoots, installed), prefs);
        folders.waitForFinished();
        if (!self)
            return;
        QMetaObject::invokeMethod(
            self.data(),
            [self, promise, apps = std::move(apps), folders = folders.result()]() mutable {
                if (!self)
                    return;
                self->m_cachedApps = std::move(apps);
                self->m_cachedFolders = std::move(folders);
                const QDateTime current = self->now();
                self->m_appCacheLastRefresh = current;
                self->m_folderCacheLastRefresh = current;
                self->invalidateQueryResultCache();
                self->announceSearchDataRefreshed();
                promise->addResult(
                    CatalogRefreshCounts{self->m_cachedApps.size(), self->m_cachedFolders.size()});
                promise->finish();
            },
            Qt::QueuedConnection);
    });
    return counts;
}

void DatabaseManager::setCatalogs(QList<SearchResult> apps, QList<SearchResult> folders,
                                  QList<SearchResult> shortcuts) {
    m_cachedApps = PathCatalog::build(std::move(apps));
    m_cachedFolders = PathCatalog::build(std::move(folders));
    m_cachedShortcuts = PathCatalog::build(std::move(shortcuts));
}

} // namespace trovi
