#pragma once
// DatabaseManager: the search engine. One serialised object that owns every
// source, cache and usage record and answers a query with at most 20 ranked
// results. All operations below run on the manager's own thread (the thread
// it lives on); other threads reach it through run(), which queues a call and
// returns a QFuture. The sources live in sources/<name>/ and are listed, in
// search order, in StandardSources.cpp; their slow work runs on a low-priority
// pool through BackgroundWork.

#include "launcher/clients/TranslationCommand.h"
#include "launcher/clients/translation/TranslationLookup.h"
#include "launcher/core/Clock.h"
#include "launcher/engine/cache/PersistentQueryResultCacheStore.h"
#include "launcher/engine/cache/TimedCache.h"
#include "launcher/engine/manager/BackgroundWork.h"
#include "launcher/engine/manager/DatabaseManagerConfiguration.h"
#include "launcher/engine/manager/SourceList.h"
#include "launcher/engine/model/SearchResult.h"
#include "launcher/engine/ranking/SearchRankingSettingsStore.h"
#include "launcher/engine/sources/paths/ShortcutRootWatcher.h"
#include "launcher/engine/usage/SearchResultPromotion.h"
#include "launcher/engine/usage/UsageStore.h"
#include "launcher/settings/NotificationCenter.h"

#include <QFuture>
#include <QHash>
#include <QObject>
#include <QPromise>

#include <functional>
#include <memory>
#include <optional>

namespace trovi {

class NotificationCenter;
class PreferenceStore;

struct DatabaseManagerServices {
    PreferenceStore* preferences = nullptr; // required, never null
    Clock clock = systemClock();
    ShortcutRootWatcherFactory shortcutRootWatcherFactory; // empty: no watching
    NotificationCenter* notifications = nullptr;           // null: no broadcast
    std::function<void(const QString&)> diagnostics;       // empty: standard output
    LanguageRecognizer languageRecognizer;
    InstalledApplications installedApplications;            // empty: bundles only
    std::shared_ptr<TranslationEngines> translationEngines; // null: local engines of its own
};

struct CatalogRefreshCounts {
    int appCount = 0;
    int folderCount = 0;
};

class DatabaseManager : public QObject, private SourceHost {
    Q_OBJECT
public:
    DatabaseManager(DatabaseManagerConfiguration configuration, DatabaseManagerServices services);
    ~DatabaseManager() override;

    // Queues `fn(*this)` on the manager's thread.
    template <typename F> auto run(F fn) -> QFuture<std::invoke_result_t<F, DatabaseManager&>>;

    // ---- search ------------------------------------------------------------
    // A superseded ticket ends the search early with an empty list that is
    // never cached.
    // With `early`, a search that asks a slow source (the document index)
    // first hands the list of the other sources to `early`, then returns the
    // whole list; only the whole list is cached.
    using EarlyAnswer = std::function<void(const QList<SearchResult>&)>;
    QList<SearchResult> search(const QString& query, bool allowPersistentQueryCache,
                               const SearchTicket& ticket = {}, const EarlyAnswer& early = {});
    // A background lookup that a search started (translation, Notion) is in
    // flight; searchDataRefreshed follows when it lands.
    bool hasPendingLookups() const;
    SearchRankingPreferences rankingPreferences() const override;
    std::optional<TranslationCommand> translationCommand(const QString& trimmedQuery) const;
    // The manager's clock.
    QDateTime currentTime() const { return now(); }

    // ---- usage and caches --------------------------------------------------
    // Learns one activation: the list it was chosen from is stored for its
    // query with the choice promoted (stamped just before now, so the cache
    // invalidation that the recording causes postdates it), then the use is
    // counted and remembered as a recent activation.
    void recordActivation(const SearchResult& result, const ActivationContext& context = {});
    std::int64_t learnedOpenCount(const SearchResult& result,
                                  std::int64_t databaseOpenCount) override;
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
    bool isBackgroundRefreshInFlight() const;
    // When the catalogue of applications (app), folders (folder) or shortcut
    // files (file) was last refreshed; nothing when it never was.
    std::optional<QDateTime> catalogRefreshedAt(SearchResultKind kind) const;
    // Replaces the three path catalogues without stamping them (tests, benchmarks).
    void setCatalogs(QList<SearchResult> apps, QList<SearchResult> folders,
                     QList<SearchResult> shortcuts);

Q_SIGNALS:
    // Emitted on the manager's thread after new data is applied, next to the
    // "LauncherSearchDataRefreshed" broadcast.
    void searchDataRefreshed();

private:
    struct QueryResultCacheEntry {
        QList<SearchResult> results;
        QDateTime cachedAt;
    };

    // SourceHost
    const QHash<QString, std::int64_t>& learnedCounts() override { return m_usage.openCounts(); }
    std::optional<QString> shortcutUsageKey(const QString& fullPath,
                                            const QString& filename) override;
    void runInBackground(const QString& key, BackgroundJob job) override;
    void searchDataChanged() override;
    QDateTime now() const override { return m_services.clock(); }
    void diagnostic(const QString& line) const override;
    PreferenceStore& preferences() override { return *m_services.preferences; }
    QObject& engineContext() override { return *this; }

    // Query caches.
    std::optional<QList<SearchResult>> cachedQueryResults(const QString& cacheKey,
                                                          bool allowPersistentQueryCache);
    void storeQueryResultsInCache(const QList<SearchResult>& results, const QString& cacheKey);

    // Usage learning.
    static QStringList usageLookupIdentifiers(const SearchResult& result);
    void incrementPathOpenCount(const QString& path);
    void migrateLegacyUsageCountIfNeeded(const SearchResult& result);
    void storeRecentActivation(const SearchResult& result);

    // Refresh.
    BackgroundJob catalogRefreshJob();
    void startShortcutRootWatcherIfNeeded();

    DatabaseManagerConfiguration m_config;
    DatabaseManagerServices m_services;
    SearchRankingSettingsStore m_rankingStore;
    mutable std::optional<QCborValue> m_loadedRankingSource;
    mutable std::optional<SearchRankingPreferences> m_loadedRanking;
    UsageStore m_usage;
    std::shared_ptr<PersistentQueryResultCacheStore> m_persistentStore;
    std::optional<QDateTime> m_persistentQueryResultCacheInvalidatedAt;

    SourceList m_sourceList;
    StandardSources m_sources;

    TimedCache<QList<SearchResult>> m_cachedQueryResults{m_config.queryResultCacheTTL,
                                                         m_config.queryResultCacheMaxEntries};
    QHash<QString, std::optional<QString>> m_shortcutUsageKeyCache;

    std::unique_ptr<ShortcutRootWatcher> m_shortcutRootWatcher;
    NotificationToken m_notionSettingsObserver;
    // Last, so that it is destroyed first: running jobs finish before the
    // sources their steps would touch go away.
    BackgroundWork m_work{this, 2};
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
