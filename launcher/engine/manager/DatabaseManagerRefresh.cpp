// Catalogue refresh: every stale catalogue rebuilt off the engine thread, one
// refresh in flight, a follow-up pass after a root change, and the watcher.

#include "launcher/engine/manager/DatabaseManager.h"

#include "launcher/engine/sources/paths/PathCatalogSource.h"
#include "launcher/settings/LauncherNotifications.h"
#include "launcher/settings/NotificationCenter.h"

#include <QPointer>
#include <QtConcurrent/QtConcurrent>

namespace trovi {

namespace {
const QString catalogRefreshKey = QStringLiteral("catalogues");
} // namespace

BackgroundJob DatabaseManager::catalogRefreshJob() {
    QList<BackgroundJob> jobs;
    for (Source* source : m_sourceList.refreshOrder()) {
        if (BackgroundJob job = source->refreshJob())
            jobs.append(std::move(job));
    }
    if (jobs.isEmpty())
        return {};
    // The stale builders run one after another; their results are swapped in
    // together, with one announcement.
    return [this, jobs, aborted = m_work.abortFlag()]() -> BackgroundStep {
        QList<BackgroundStep> steps;
        for (const BackgroundJob& job : jobs) {
            if (aborted->load())
                return {};
            steps.append(job());
        }
        return [this, steps] {
            for (const BackgroundStep& step : steps) {
                if (step)
                    step();
            }
            searchDataChanged();
        };
    };
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
    if (m_work.isRunning(catalogRefreshKey))
        return;
    m_work.runPrepared(catalogRefreshKey, [this] { return catalogRefreshJob(); });
}

bool DatabaseManager::isBackgroundRefreshInFlight() const {
    return m_work.isRunning(catalogRefreshKey);
}

void DatabaseManager::searchDataChanged() {
    invalidateQueryResultCache();
    Q_EMIT searchDataRefreshed();
    if (m_services.notifications)
        m_services.notifications->post(notifications::LauncherSearchDataRefreshed);
}

void DatabaseManager::runInBackground(const QString& key, BackgroundJob job) {
    m_work.run(QStringLiteral("source/") + key, std::move(job));
}

void DatabaseManager::shortcutRootsDidChange() {
    if (!m_config.backgroundRefreshEnabled)
        return;
    m_sources.shortcuts->catalog().markStale();
    m_shortcutUsageKeyCache.clear();
    invalidateQueryResultCache();
    if (m_work.isRunning(catalogRefreshKey)) // one more pass when the running one ends
        m_work.runPrepared(catalogRefreshKey, [this] { return catalogRefreshJob(); });
    else
        scheduleBackgroundCacheRefreshIfNeeded();
}

void DatabaseManager::refreshCatalogsNow() {
    if (BackgroundJob job = catalogRefreshJob()) {
        if (BackgroundStep step = job())
            step();
    }
}

QFuture<CatalogRefreshCounts> DatabaseManager::warmupFileSystemPermissions() {
    auto promise = std::make_shared<QPromise<CatalogRefreshCounts>>();
    promise->start();
    QFuture<CatalogRefreshCounts> counts = promise->future();
    // One key per warm-up: each caller gets its own answer.
    const QString key = QStringLiteral("warm-up/%1").arg(quintptr(promise.get()));
    m_work.run(
        key,
        [this, promise, pool = &m_work.pool(), buildApps = m_sources.apps->builder(),
         buildFolders = m_sources.folders->builder()]() -> BackgroundStep {
            // Both walks side by side; the engine keeps answering searches meanwhile.
            QFuture<PathCatalog> folders = QtConcurrent::run(pool, [buildFolders] {
                lowerCurrentThreadPriority();
                return buildFolders();
            });
            PathCatalog apps = buildApps();
            folders.waitForFinished();
            return [this, promise, apps = std::move(apps), folders = folders.result()]() mutable {
                m_sources.apps->adopt(std::move(apps));
                m_sources.folders->adopt(std::move(folders));
                searchDataChanged();
                promise->addResult(CatalogRefreshCounts{m_sources.apps->catalog().value.size(),
                                                        m_sources.folders->catalog().value.size()});
                promise->finish();
            };
        });
    return counts;
}

std::optional<QDateTime> DatabaseManager::catalogRefreshedAt(SearchResultKind kind) const {
    switch (kind) {
    case SearchResultKind::app:
        return m_sources.apps->catalog().refreshedAt;
    case SearchResultKind::folder:
        return m_sources.folders->catalog().refreshedAt;
    case SearchResultKind::file:
        return m_sources.shortcuts->catalog().refreshedAt;
    case SearchResultKind::action:
        break;
    }
    return std::nullopt;
}

void DatabaseManager::setCatalogs(QList<SearchResult> apps, QList<SearchResult> folders,
                                  QList<SearchResult> shortcuts) {
    m_sources.apps->catalog().value = PathCatalog::build(std::move(apps));
    m_sources.folders->catalog().value = PathCatalog::build(std::move(folders));
    m_sources.shortcuts->catalog().value = PathCatalog::build(std::move(shortcuts));
}

} // namespace trovi
