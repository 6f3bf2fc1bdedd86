// The engine's in-memory query cache and its use of the persistent one.

#include "launcher/engine/manager/DatabaseManager.h"

namespace trovi {

std::optional<QList<SearchResult>>
DatabaseManager::cachedQueryResults(const QString& cacheKey, bool allowPersistentQueryCache) {
    if (!allowPersistentQueryCache) {
        m_cachedQueryResults.remove(cacheKey);
        return std::nullopt;
    }
    const QDateTime current = now();
    if (auto cached = m_cachedQueryResults.lookup(cacheKey, current))
        return cached;
    if (m_config.persistentQueryResultCacheEnabled) {
        auto persistent = m_persistentStore->persistentCachedQueryResults(
            cacheKey, current, m_persistentQueryResultCacheInvalidatedAt);
        if (persistent) {
            m_cachedQueryResults.store(cacheKey, persistent->results, current);
            return persistent->results;
        }
    }
    return std::nullopt;
}

void DatabaseManager::storeQueryResultsInCache(const QList<SearchResult>& results,
                                               const QString& cacheKey) {
    const QDateTime current = now();
    m_cachedQueryResults.store(cacheKey, results, current);
    if (m_config.persistentQueryResultCacheEnabled && !results.isEmpty())
        m_persistentStore->storeResults(results, cacheKey, current);
}

void DatabaseManager::invalidateQueryResultCache() {
    m_cachedQueryResults.clear();
    m_persistentQueryResultCacheInvalidatedAt = m_persistentStore->markActorCacheInvalidated(now());
}

} // namespace trovi
