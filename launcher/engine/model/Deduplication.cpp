#include "launcher/engine/model/Deduplication.h"

#include "launcher/core/NativePath.h"

#include <QSet>

namespace trovi {

template <typename KeyOf>
static QList<SearchResult> uniqueBy(const QList<SearchResult>& results, KeyOf keyOf) {
    QList<SearchResult> unique;
    unique.reserve(results.size());
    QSet<QString> seen;
    seen.reserve(results.size());
    for (const SearchResult& result : results) {
        QString key = keyOf(result);
        if (seen.contains(key))
            continue;
        seen.insert(std::move(key));
        unique.append(result);
    }
    return unique;
}

QList<SearchResult> mergedUniqueByPath(const QList<SearchResult>& results) {
    return uniqueBy(results, [](const SearchResult& r) { return pathIdentityKey(r.fullPath()); });
}

QList<SearchResult> deduplicatedSearchResults(const QList<SearchResult>& results) {
    return uniqueBy(results, [](const SearchResult& r) { return r.identity(); });
}

} // namespace trovi
