#include "launcher/engine/sources/notion/NotionPageSearch.h"

#include "launcher/core/Clock.h"
#include "launcher/engine/model/Deduplication.h"
#include "launcher/engine/ranking/SearchRankingPreferences.h"
#include "launcher/engine/sources/notion/NotionRows.h"

#include <algorithm>

namespace trovi {

NotionPageSearch::NotionPageSearch(PreferenceStore& defaults, Host host, double ttlSeconds,
                                   int maxEntries)
    : m_settings(defaults), m_host(std::move(host)), m_ttl(ttlSeconds), m_maxEntries(maxEntries) {}

QList<SearchResult> NotionPageSearch::search(const QString& query) {
    const QString normalizedQuery = query.toLower();
    if (characterCount(normalizedQuery) < 2 || !m_settings.loadEnabled())
        return {};
    const QString token = m_settings.trimmedToken();
    if (token.isEmpty())
        return {};
    if (auto cached = cachedResults(normalizedQuery))
        return *cached;
    scheduleRefresh(query, normalizedQuery, token);
    return {};
}

void NotionPageSearch::scheduleRefresh(const QString& query, const QString& normalizedQuery,
                                       const QString& token) {
    if (m_inFlightKeys.contains(normalizedQuery) || !m_host.fetch)
        return;
    m_inFlightKeys.insert(normalizedQuery);
    m_host.fetch(query, token, [this, normalizedQuery](QList<NotionPage> pages) {
        const QDateTime now = m_host.now();
        QList<SearchResult> rows;
        rows.reserve(pages.size());
        for (const NotionPage& page : pages)
            rows.append(notionSearchResult(page, now));
        applyRefresh(std::move(rows), normalizedQuery);
    });
}

void NotionPageSearch::applyRefresh(QList<SearchResult> rows, const QString& normalizedQuery) {
    m_inFlightKeys.remove(normalizedQuery);
    for (SearchResult& row : rows) {
        const std::int64_t learned = m_host.learnedOpenCount(row, row.openCount);
        if (learned != row.openCount)
            row.openCount = learned;
    }
    storeResultsInCache(deduplicatedSearchResults(rows), normalizedQuery);
    m_host.searchDataChanged();
}

std::optional<QList<SearchResult>> NotionPageSearch::cachedResults(const QString& normalizedQuery) {
    auto it = m_cache.find(normalizedQuery);
    if (it == m_cache.end())
        return std::nullopt;
    if (secondsBetween(it->cachedAt, m_host.now()) <= m_ttl)
        return it->results;
    m_cache.erase(it);
    return std::nullopt;
}

void NotionPageSearch::storeResultsInCache(const QList<SearchResult>& results,
                                           const QString& normalizedQuery) {
    m_cache.insert(normalizedQuery, {results, m_host.now()});
    const qsizetype surplus = m_cache.size() - m_maxEntries;
    if (surplus <= 0)
        return;
    QList<std::pair<QDateTime, QString>> byAge;
    for (auto it = m_cache.cbegin(); it != m_cache.cend(); ++it)
        byAge.append({it->cachedAt, it.key()});
    std::sort(byAge.begin(), byAge.end(),
              [](const auto& a, const auto& b) { return a.first < b.first; });
    for (qsizetype i = 0; i < surplus; ++i)
        m_cache.remove(byAge[i].second);
}

} // namespace trovi
