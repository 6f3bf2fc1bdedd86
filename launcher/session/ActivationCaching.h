#pragma once
// After an activation, the list that led to it is re-ranked with the chosen
// result promoted and stored for its query, so the same query next time shows
// the choice first, also after a restart.

#include "launcher/engine/model/SearchResult.h"

#include <QList>

namespace trovi {

class DatabaseManager;

// Nothing is stored for previews, blank queries, empty lists or translation
// commands. Call on the manager's thread, before recording the activation:
// the list is stamped just before the manager's current time, so the
// invalidation that the activation causes always postdates it.
void cachePromotedSearchResultsAfterActivation(DatabaseManager& manager, const SearchResult& result,
                                               const QString& query,
                                               const QList<SearchResult>& results,
                                               bool resultsArePreview);

} // namespace trovi
