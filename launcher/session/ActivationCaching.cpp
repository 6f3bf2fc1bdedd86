#include "launcher/session/ActivationCaching.h"

#include "launcher/engine/cache/QueryCacheKey.h"
#include "launcher/engine/manager/DatabaseManager.h"
#include "launcher/engine/ranking/Relevance.h"
#include "launcher/engine/usage/SearchResultPromotion.h"

namespace trovi {

void cachePromotedSearchResultsAfterActivation(DatabaseManager& manager, const SearchResult& result,
                                               const QString& query,
                                               const QList<SearchResult>& results,
                                               bool resultsArePreview) {
    // The engine's own form of the query, so the list lands under the key
    // the engine and the window look it up with.
    const QString normalizedQuery = trimmedBlanksAndTabs(query).toLower();
    if (resultsArePreview || normalizedQuery.isEmpty() || results.isEmpty())
        return;
    if (manager.translationCommand(normalizedQuery))
        return;
    const SearchRankingPreferences preferences = manager.rankingPreferences();
    const QList<SearchResult> promoted = searchResultsPromotingActivatedResult(
        results, result, normalizedQuery,
        [&](const SearchResult& r) { return relevanceScore(r, normalizedQuery, preferences); });
    manager.persistentQueryResultCacheStore()->storeResults(
        promoted, queryCacheKey(query, preferences), manager.currentTime().addMSecs(-1));
}

} // namespace trovi
