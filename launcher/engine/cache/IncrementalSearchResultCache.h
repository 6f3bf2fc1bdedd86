#pragma once
// IncrementalSearchResultCache: results shown for the queries typed so far,
// so that a longer query can start from a shorter one's list while the real
// search runs. A plain value without locking, owned by the launcher view.

#include "launcher/engine/model/SearchResult.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace trovi {

class IncrementalSearchResultCache {
public:
    static constexpr int defaultMaxEntries = 120;

    explicit IncrementalSearchResultCache(int maxEntries = defaultMaxEntries)
        : m_maxEntries(maxEntries) {}

    // Keyed by the normalised query; an empty query is ignored. Storing a
    // query again makes it the newest.
    void store(const QList<SearchResult>& results, const QString& query);

    // The results of the longest stored query that is a proper prefix of
    // this one; the query's own entry is never returned.
    std::optional<QList<SearchResult>> longestPrefixResults(const QString& query) const;

    void clear();

    const QHash<QString, QList<SearchResult>>& entries() const { return m_entries; }
    const QStringList& insertionOrder() const { return m_insertionOrder; } // oldest first
    int maxEntries() const { return m_maxEntries; }

private:
    void trimToCapacityIfNeeded();

    QHash<QString, QList<SearchResult>> m_entries;
    QStringList m_insertionOrder;
    int m_maxEntries;
};

// Narrows a shorter query's results to those still matching: the lower-cased
// filename, directory, snippet or full path contains the query (expected
// lower-case already). An empty query keeps the list as it is.
QList<SearchResult> filterSearchResultsForIncrementalQuery(const QList<SearchResult>& results,
                                                           const QString& normalizedQuery);

} // namespace trovi
