#pragma once
// DatabaseManager: the search engine. One serialised object that owns every
// catalogue, cache and usage record and answers a query with at most 20
// ranked results. All operations below run on the manager's own thread (the
// thread it lives on); other threads reach it through run(), which queues a
// call and returns a QFuture. Catalogue builders run on a low-priority pool
// and hand their results back to the manager's thread.

#include "launcher/core/Clock.h"
#include "launcher/engine/cache/PersistentQueryResultCacheStore.h"
#include "launcher/engine/manager/DatabaseManagerConfiguration.h"
#include "launcher/engine/model/SearchResult.h"
#include "launcher/engine/ranking/SearchRankingPreferences.h"
#include "launcher/engine/ranking/SearchRankingSettingsStore.h"
#include "launcher/engine/sources/browser/BrowserShortcuts.h"
#include "launcher/engine/sources/paths/PathCatalog.h"
#include "launcher/engine/sources/paths/ShortcutRootWatcher.h"
#include "launcher/engine/sources/settingspanes/SystemSettingsShortcut.h"
#include "launcher/engine/usage/UsageStore.h"
#include "launcher/tools/TranslationCommand.h"

#include <QFuture>
#include <QHash>
#include <QObject>
#include <QPromise>
#include <QThreadPool>

#include <functional>
#include <memory>
#include <optional>

namespace trovi {

class IndexedDocumentSearch;
class NotificationCenter;
class PreferenceStore;

struct DatabaseManagerServices {
    PreferenceStore* preferences = nullptr; // required, never null
    Clock clock = systemClock();
    ShortcutRootWatcherFactory shortcutRootWatcherFactory; // empty: no watching
    NotificationCenter* notifications = nullptr;           // null: no broadcast
    std::function<void(const QString&)> diagnostics;       // empty: standard output
    LanguageRecognizer languageRecognizer;
    // The platform's installed applications (freedesktop entries on Linux),
    // listed beside the bundles; runs on the builder pool. Empty: none.
    std::function<QList<SearchResult>()> installedApplications;
};

struct CatalogRefreshCounts {
    int appCount = 0;
    int folderCount = 0;
};

class DatabaseManager : public QObject {
    Q_OBJECT
public:
    DatabaseManager(DatabaseManagerConfiguration configuration, DatabaseManagerServices services);
    ~DatabaseManager() override;

    // The launcher's engine on its own thread, built on first use from the
    // real home directory, preference store and notification centre.
    // `configure` (optional, before first use) supplies the platform pieces.
    static DatabaseManager& shared();
    static void configureShared(std::function<DatabaseManagerServices()> servicesFactory);

    // Queues `fn(*this)` on the manager's thread.
    template <typename F> auto run(F fn) -> QFuture<std::invoke_result_t<F, DatabaseManager&>>;

    const DatabaseManagerConfiguration& configuration() const { return m_config; }
    // The manager's clock.
    QDateTime currentTime() const { return m_services.clock(); }

    // ---- search pipeline ---------------------------------------------------
    QList<SearchResult> search(const QString& query, bool allowPersistentQueryCache);
    QList<SearchResult> searchActionResults(const QString& query);
    QList<SearchResult> searchCalculatorResults(const QString& query) const;
    QList<SearchResult> searchTranslationActionResults(const QString& query);
    QList<SearchResult> searchLauncherActionResults(const QString& queryLowercased);
    QList<SearchResult>
    searchSystemSettingsActionResults(const QString& queryLowercased,
                                      const QList<SystemSettingsShortcut>& shortcuts);
    QList<SearchResult> searchBrowserTabActionResults(const QString& queryLowercased,
                                                      const QList<BrowserTabShortcut>& tabs);
    QList<SearchResult>
    searchBrowserBookmarkActionResults(const QString& queryLowercased,
                                       const QList<BrowserBookmarkShortcut>& bookmarks);
    QList<SearchResult> searchDirectPathResults(const QString& query);
    QList<SearchResult>
    searchRecentActivationResults(const QString& query,
                                  const SearchRankingPreferences& rankingPreferences);
    QList<SearchResult> searchIndexedFiles(const QString& query);
    QList<SearchResult> pinnedFolderResults();
    QList<SearchResult> searchNotionPages(const QString& query);
    std::optional<TranslationCommand> translationCommand(const QString& trimmedQuery) const;
    SearchRankingPreferences rankingPreferences() const;

    // ---- usage learning ----------------------------------------------------
    static QStringList usageLookupIdentifiers(const SearchResult& result);
    std::int64_t learnedOpenCount(const SearchResult& result, std::int64_t databaseOpenCount);
    void incrementPathOpenCount(const QString& path);
    void migrateLegacyUsageCountIfNeeded(const SearchResult& result);
    void recordActivation(const SearchResult& result);
    void storeRecentActivation(const SearchResult& result);
    bool shouldIncludeRecentActivationResult(const SearchResult& result) const;
    std::optional<QString> cachedShortcutUsageKey(const QString& fullPath, const QString& filename);
    void incrementOpenCount(std::int64_t databaseID);

    // ---- query caches ------------------------------------------------------
    std::optional<QList<SearchResult>> cachedQueryResults(const QString& cacheKey,
                                                          bool allowPersistentQueryCache);
    void storeQueryResultsInCache(const QList<SearchResult>& results, const QString& cacheKey);
    void invalidateQueryResultCache();
    std::shared_ptr<PersistentQueryResultCacheStore> persistentQueryResultCacheStore() const {
        return m_persistentStore;
    }

    // ---- catalogue refresh -------------------------------------------------
    void scheduleBackgroundCacheRefreshIfNeeded();
    void shortcutRootsDidChange();
    // Walks applications and folders now, in parallel, off this thread; the
    // future finishes on this thread once both catalogues are in place.
    QFuture<CatalogRefreshCounts> warmupFileSystemPermissions();
    // Rebuilds every stale catalogue now, on the calling (manager) thread; for
    // the command line, which answers one query and exits.
    void refreshCatalogsNow();
    bool isBackgroundRefreshInFlight() const { return m_refreshInFlight; }
    bool hasShortcutRootWatcher() const { return m_shortcutRootWatcher != nullptr; }

    // Catalogue contents and stamps, for the refresh logic and tests.
    void setCatalogs(QList<SearchResult> apps, QList<SearchResult> folders,
                     QList<SearchResult> shortcuts);
    const PathCatalog& cachedApps() const { return m_cachedApps; }
    const PathCatalog& cachedFolders() const { return m_cachedFolders; }
    const PathCatalog& cachedShortcuts() const { return m_cachedShortcuts; }
    std::optional<QDateTime> appCacheLastRefresh() const { return m_appCacheLastRefresh; }
    std::optional<QDateTime> folderCacheLastRefresh() const { return m_folderCacheLastRefresh; }
    std::optional<QDateTime> shortcutCacheLastRefresh() const { return m_shortcutCacheLastRefresh; }

    QSet<QString> shortcutFileExtensions() const;

Q_SIGNALS:
    // Emitted on the manager's thread after a refresh or warm-up is applied,
    // next to the "LauncherSearchDataRefreshed" broadcast.
    void searchDataRefreshed();

private:
    struct QueryResultCacheEntry {
        QList<SearchResult> results;
        QDateTime cachedAt;
    };
    struct StaleCatalogs {
        bool apps = false, folders = false, shortcuts = false;
        bool systemSettings = false, browserTabs = false, browserBookmarks = false;
        bool any() const {
            return apps || folders || shortcuts || systemSettings || browserTabs ||
                   browserBookmarks;
        }
    };
    struct RefreshInputs;
    struct RefreshOutput;

    QDateTime now() const { return m_services.clock(); }
    void diagnostic(const QString& line) const;
    bool isStale(const std::optional<QDateTime>& stamp, double ttl, const QDateTime& now) const;
    StaleCatalogs staleCatalogs() const;
    RefreshInputs captureRefreshInputs(const StaleCatalogs& stale) const;
    static RefreshOutput buildCatalogs(const RefreshInputs& inputs);
    void applyBackgroundCacheRefresh(RefreshOutput output);
    void startShortcutRootWatcherIfNeeded();
    void announceSearchDataRefreshed();

    DatabaseManagerConfiguration m_config;
    DatabaseManagerServices m_services;
    SearchRankingSettingsStore m_rankingStore;
    UsageStore m_usage;
    std::unique_ptr<IndexedDocumentSearch> m_index;
    std::shared_ptr<PersistentQueryResultCacheStore> m_persistentStore;
    std::optional<QDateTime> m_persistentQueryResultCacheInvalidatedAt;

    PathCatalog m_cachedApps;
    PathCatalog m_cachedFolders;
    PathCatalog m_cachedShortcuts;
    QList<SystemSettingsShortcut> m_cachedSystemSettingsShortcuts;
    QList<BrowserTabShortcut> m_cachedBrowserTabs;
    QList<BrowserBookmarkShortcut> m_cachedBrowserBookmarks;
    std::optional<QDateTime> m_appCacheLastRefresh;
    std::optional<QDateTime> m_folderCacheLastRefresh;
    std::optional<QDateTime> m_shortcutCacheLastRefresh;
    std::optional<QDateTime> m_systemSettingsCacheLastRefresh;
    std::optional<QDateTime> m_browserTabsCacheLastRefresh;
    std::optional<QDateTime> m_browserBookmarksCacheLastRefresh;

    QHash<QString, QueryResultCacheEntry> m_cachedQueryResults;
    QHash<QString, std::optional<QString>> m_shortcutUsageKeyCache;

    bool m_refreshInFlight = false;
    bool m_shouldScheduleBackgroundRefreshAfterCurrentTask = false;
    std::unique_ptr<ShortcutRootWatcher> m_shortcutRootWatcher;
    QThreadPool m_builderPool;
};

template <typename F>
auto DatabaseManager::run(F fn) -> QFuture<std::invoke_result_t<F, DatabaseManager&>> {
    using R = std::invoke_result_t<F, DatabaseManager&>;
    auto promise = std::make_shared<QPromise<R>>();
    QFuture<R> future = promise->future();
    promise->start();
    QMetaObject::invokeMethod(
        this,
        [this, promise, fn = std::move(fn)]() mutable {
            if constexpr (std::is_void_v<R>) {
                fn(*this);
            } else {
                promise->addResult(fn(*this));
            }
            promise->finish();
        },
        Qt::QueuedConnection);
    return future;
}

} // namespace trovi
