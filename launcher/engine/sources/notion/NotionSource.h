#pragma once
// Notion pages in the result list without ever waiting for the network. A
// search answers from a short-lived cache; on a miss it starts one request
// per query and answers nothing. When the request completes the rows are
// cached (an empty answer too) and the engine is told that its data changed,
// so the session searches again and finds them.

#include "launcher/clients/notion/NotionClient.h"
#include "launcher/engine/cache/TimedCache.h"
#include "launcher/engine/sources/Source.h"

#include <QHash>
#include <QSet>

#include <memory>

namespace trovi {

class NotionSource final : public Source {
public:
    NotionSource(SourceHost& host, NotionClientConfiguration client, double ttlSeconds,
                 int maxEntries);
    ~NotionSource() override;

    QList<SearchResult> search(const SearchContext& context) override;
    // A request this source started is still running.
    bool hasPendingLookups() const override { return !m_inFlightKeys.isEmpty(); }

    // `query` as the user typed it (trimmed of blanks and tabs).
    QList<SearchResult> searchNotionPages(const QString& query);
    std::optional<QList<SearchResult>> notionCachedResults(const QString& normalizedQuery);
    void storeNotionResultsInCache(const QList<SearchResult>& results,
                                   const QString& normalizedQuery);
    void applyNotionSearchRefresh(QList<SearchResult> rows, const QString& normalizedQuery);

private:
    void scheduleNotionSearchRefresh(const QString& query, const QString& normalizedQuery,
                                     const QString& token);

    SourceHost& m_host;
    NotionClientConfiguration m_clientConfiguration;
    TimedCache<QList<SearchResult>> m_cache;
    QSet<QString> m_inFlightKeys;
    // The token the cached answers were fetched with; another token drops them.
    QString m_cacheToken;
    // Created on the first request. Destroying it joins the network thread,
    // so no answer arrives once this source is gone.
    std::unique_ptr<NotionClient> m_client;
};

} // namespace trovi
