// The engine's in-memory query cache and its use of the persistent one.

#include "launcher/engine/manager/DatabaseManager.h"

#include <algorithm>

namespace trovi {

std::optional<QList<SearchResult>>
DatabaseManager::cachedQueryResults(const QString& cacheKey, bool allowPersistentQueryCache) {
    if (!allowPersistentQueryCache) {
        m_cachedQueryResults.remove(cacheKey);
        return std::nullopt;
    }
    const QDateTime current = now();
    auto it = m_cachedQueryResults.find(cacheKey);
    if (it != m_cachedQueryResults.end()) {
        if (secondsBetween(it->cachedAt, current) <= m_config.queryResultCacheTTL)
            return it->results;
        m_cachedQueryResults.erase(it);
    }
    if (m_config.persistentQueryResultCacheEnabled) {
        auto persistent = m_persistentStore->persistentCachedQueryResults(
            cacheKey, current, m_persistentQueryResultCacheInvalidatedAt);
        if (persistent) {
            m_cachedQueryResults.insert(cacheKey, {persistent->results, current});
            return persistent->results;
        }
    }
    return std::nullopt;
}

void DatabaseManager::storeQueryResultsInCache(const QList<SearchResult>& results,
                                               const QString& cacheKey) {
    const QDateTime current = now();
    m_cachedQueryResults.insert(cacheKey, {results, current});
    if (m_config.persistentQueryResultCacheEnabled && !results.isEmpty())
        m_persistentStore->storeResults(results, cacheKey, current);
    const qsizetype surplus = m_cachedQueryResults.size() - m_config.queryResultCacheMaxEntries;
    if (surplus <= 0)
        return;
    QList<std::pair<QDateTime, QString>> byAge;
    byAge.reserve(m_cachedQueryResults.size());
    for (auto it = m_cachedQueryResults.cbegin(); it != m_cachedQueryResults.cend(); ++it)
        byAge.append({it->cachedAt, it.key()});
    std::sort(byAge.begin(), byAge.end(),
              [](const auto& a, const auto& b) { return a.first < b.first; });
    for (qsizetype i = 0; i < surplus; ++i)
        m_cachedQueryResults.remove(byAge[i].second);
}

void DatabaseManager::invalidateQueryResultCache() {
    m_cachedQueryResults.clear();
    m_persistentQueryResultCacheInvalidatedAt = m_persistentStore->markActorCacheInvalidated(now());
}

} // namespace trovi
