#pragma once
// PathCatalog: an immutable, shareable index over one path catalogue (apps,
// folders or shortcut files) that answers filterAndSortPathResults in well
// under a millisecond for tens of thousands of items. Build it on a worker
// thread once per catalogue refresh; search it from the engine thread.

#include "launcher/engine/model/SearchResult.h"
#include "launcher/engine/ranking/SearchRankingPreferences.h"
#include "launcher/engine/sources/paths/PathRecords.h"

#include <QHash>
#include <QList>
#include <QString>

#include <cstdint>
#include <memory>

namespace trovi {

class PathCatalog {
public:
    // An empty catalogue.
    PathCatalog();

    static PathCatalog build(QList<SearchResult> items);
    static PathCatalog build(const PathRecords& items);
    // Also prepares the base-name lengths for these preferences, so the first
    // search after a refresh does not pay for them.
    static PathCatalog build(PathRecords items, const SearchRankingPreferences& preferences);
    static PathCatalog build(QList<SearchResult> items,
                             const SearchRankingPreferences& preferences);

    // How many items build was given, duplicates included.
    int size() const;

    // Exactly filterAndSortPathResults(mergedUniqueByPath(items + extras), …)
    // where an item's learned count is the larger of its open count and
    // learnedCounts[lower-cased usage key] (missing = 0), for items that are
    // neither actions nor document-index rows.
    QList<SearchResult> filterAndSort(const QString& queryLowercased,
                                      const SearchRankingPreferences& preferences,
                                      const QHash<QString, std::int64_t>& learnedCounts,
                                      const QList<SearchResult>& extras = {}) const;

private:
    struct Data;
    explicit PathCatalog(std::shared_ptr<const Data> data);
    std::shared_ptr<const Data> d;
};

} // namespace trovi
