#include "launcher/engine/sources/notion/NotionSource.h"

#include "launcher/clients/notion/NotionSettingsStore.h"
#include "launcher/core/Clock.h"
#include "launcher/engine/model/Deduplication.h"
#include "launcher/engine/sources/notion/NotionRows.h"

#include <algorithm>

namespace trovi {

NotionSource::NotionSource(SourceHost& host, NotionClientConfiguration client, double ttlSeconds,
                           int maxEntries)
    : m_host(host), m_clientConfiguration(std::move(client)), m_cache(ttlSeconds, maxEntries) {}

NotionSource::~NotionSource() = default;

QList<SearchResult> NotionSource::search(const SearchContext& context) {
    return searchNotionPages(context.trimmedQuery);
}

QList<SearchResult> NotionSource::searchNotionPages(const QString& query) {
    const QString normalizedQuery = query.toLower();
    if (characterCount(normalizedQuery) < 2)
        return {};
    const NotionSettingsStore settings(m_host.preferences());
    if (!settings.loadEnabled())
        return {};
    const QString token = settings.trimmedToken();
    if (token.isEmpty())
        return {};
    if (token != m_cacheToken) {
        m_cache.clear();
        m_cacheToken = token;
    }
    if (auto cached = notionCachedResults(normalizedQuery))
        return *cached;
    scheduleNotionSearchRefresh(query, normalizedQuery, token);
    return {};
}

void NotionSource::scheduleNotionSearchRefresh(const QString& query, const QString& normalizedQuery,
                                               const QString& token) {
    if (m_inFlightKeys.contains(normalizedQuery))
        return;
    m_inFlightKeys.insert(normalizedQuery);
    if (!m_client)
        m_client = std::make_unique<NotionClient>(m_clientConfiguration);
    m_client->searchPages(query, token, &m_host.engineContext(),
                          [this, normalizedQuery, token](QList<NotionPage> pages) {
                              if (token != m_cacheToken) {
                                  // Answered for a token that has since been replaced:
                                  // drop it and let the session ask again.
                                  m_inFlightKeys.remove(normalizedQuery);
                                  m_host.searchDataChanged();
                                  return;
                              }
                              const QDateTime now = m_host.now();
                              QList<SearchResult> rows;
                              rows.reserve(pages.size());
                              for (const NotionPage& page : pages)
                                  rows.append(notionSearchResult(page, now));
                              applyNotionSearchRefresh(std::move(rows), normalizedQuery);
                          });
}

void NotionSource::applyNotionSearchRefresh(QList<SearchResult> rows,
                                            const QString& normalizedQuery) {
    m_inFlightKeys.remove(normalizedQuery);
    for (SearchResult& row : rows)
        row = m_host.withLearnedOpenCount(row);
    storeNotionResultsInCache(deduplicatedSearchResults(rows), normalizedQuery);
    m_host.searchDataChanged();
}

std::optional<QList<SearchResult>>
NotionSource::notionCachedResults(const QString& normalizedQuery) {
    return m_cache.lookup(normalizedQuery, m_host.now());
}

void NotionSource::storeNotionResultsInCache(const QList<SearchResult>& results,
                                             const QString& normalizedQuery) {
    m_cache.store(normalizedQuery, results, m_host.now());
}

} // namespace trovi
