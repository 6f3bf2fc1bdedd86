#pragma once
// NotionPageSearch: Notion pages in the result list without ever waiting for
// the network. A search answers from a short-lived cache; on a miss it starts
// one request per query and answers nothing. When the request completes the
// rows are cached (an empty answer too) and the engine is told that its data
// changed, so the session searches again and finds them.

#include "launcher/engine/model/SearchResult.h"
#include "launcher/tools/notion/NotionPage.h"
#include "launcher/tools/notion/NotionSettingsStore.h"

#include <QDateTime>
#include <QHash>
#include <QList>
#include <QSet>
#include <QString>

#include <cstdint>
#include <functional>
#include <optional>

namespace trovi {

class NotionPageSearch {
public:
    using PagesCompletion = std::function<void(QList<NotionPage>)>;
    // What the engine lends the search.
    struct Host {
        std::function<QDateTime()> now;
        std::function<std::int64_t(const SearchResult&, std::int64_t)> learnedOpenCount;
        // Drops the query caches and announces "LauncherSearchDataRefreshed".
        std::function<void()> searchDataChanged;
        // Starts a request; `done` runs later on the engine's thread, or never
        // when the engine is gone.
        std::function<void(const QString& query, const QString& token, PagesCompletion done)> fetch;
    };

    NotionPageSearch(PreferenceStore& defaults, Host host, double ttlSeconds, int maxEntries);

    QList<SearchResult> search(const QString& query);
    // A request this search started is still running.
    bool hasPendingLookups() const { return !m_inFlightKeys.isEmpty(); }

    std::optional<QList<SearchResult>> cachedResults(const QString& normalizedQuery);
    void storeResultsInCache(const QList<SearchResult>& results, const QString& normalizedQuery);
    void applyRefresh(QList<SearchResult> rows, const QString& normalizedQuery);

private:
    struct CacheEntry {
        QList<SearchResult> results;
        QDateTime cachedAt;
    };
    void scheduleRefresh(const QString& query, const QString& normalizedQuery,
                         const QString& token);

    NotionSettingsStore m_settings;
    Host m_host;
    double m_ttl;
    int m_maxEntries;
    QHash<QString, CacheEntry> m_cache;
    QSet<QString> m_inFlightKeys;
};

} // namespace trovi
