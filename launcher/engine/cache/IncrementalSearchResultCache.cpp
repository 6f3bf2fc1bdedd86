#include "launcher/engine/cache/IncrementalSearchResultCache.h"

#include <algorithm>

namespace trovi {

void IncrementalSearchResultCache::store(const QList<SearchResult>& results, const QString& query) {
    if (query.isEmpty())
        return;
    m_entries.insert(query, results);
    m_insertionOrder.removeAll(query);
    m_insertionOrder.append(query);
    trimToCapacityIfNeeded();
}

std::optional<QList<SearchResult>>
IncrementalSearchResultCache::longestPrefixResults(const QString& query) const {
    if (query.isEmpty())
        return std::nullopt;
    const QList<SearchResult>* best = nullptr;
    qsizetype bestLength = -1;
    for (auto it = m_entries.constBegin(); it != m_entries.constEnd(); ++it) {
        const QString& key = it.key();
        if (key.size() < query.size() && key.size() > bestLength && query.startsWith(key)) {
            best = &it.value();
            bestLength = key.size();
        }
    }
    if (!best)
        return std::nullopt;
    return *best;
}

void IncrementalSearchResultCache::clear() {
    m_entries.clear();
    m_insertionOrder.clear();
}

void IncrementalSearchResultCache::trimToCapacityIfNeeded() {
    const qsizetype surplus = m_insertionOrder.size() - std::max(m_maxEntries, 0);
    if (surplus <= 0)
        return;
    for (qsizetype i = 0; i < surplus; ++i)
        m_entries.remove(m_insertionOrder.at(i));
    m_insertionOrder.remove(0, surplus);
}

QList<SearchResult> filterSearchResultsForIncrementalQuery(const QList<SearchResult>& results,
                                                           const QString& normalizedQuery) {
    if (normalizedQuery.isEmpty())
        return results;
    QList<SearchResult> kept;
    for (const SearchResult& result : results) {
        const bool matches =
            result.namesContain(normalizedQuery) ||
            result.directory.toLower().contains(normalizedQuery) ||
            (result.snippet && result.snippet->toLower().contains(normalizedQuery)) ||
            result.fullPath().toLower().contains(normalizedQuery);
        if (matches)
            kept.append(result);
    }
    return kept;
}

} // namespace trovi
