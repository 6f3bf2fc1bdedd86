#include "launcher/session/ActivationCaching.h"

#include "launcher/engine/manager/DatabaseManager.h"
#include "launcher/engine/ranking/Relevance.h"
#include "launcher/engine/usage/SearchResultPromotion.h"

namespace trovi {

void cachePromotedSearchResultsAfterActivation(DatabaseManager& manager, const SearchResult& result,
                                               const QString& query,
                                               const QList<SearchResult>& results,
                                               bool resultsArePreview) {
    const QString normalizedQuery = query.trimmed().toLower();
    if (resultsArePreview || normalizedQuery.isEmpty() || results.isEmpty())
        return;
    if (manager.translationCommand(normalizedQuery))
        return;
    const SearchRankingPreferences preferences = manager.rankingPreferences();
    const QList<SearchResult> promoted = searchResultsPromotingActivatedResult(
        results, result, normalizedQuery,
        [&](const SearchResult& r) { return relevanceScore(r, normalizedQuery, preferences); });
    manager.persistentQueryResultCacheStore()->storeResults(
        promoted, normalizedQuery + u'|' + preferences.cacheKey(),
        manager.currentTime().addMSecs(-1));
}

} // namespace trovi
