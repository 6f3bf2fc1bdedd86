#include "launcher/engine/usage/SearchResultPromotion.h"

#include "launcher/engine/cache/QueryCacheKey.h"
#include "launcher/engine/ranking/Relevance.h"

namespace trovi {

QList<SearchResult> searchResultsPromotingActivatedResult(
    const QList<SearchResult>& results, const SearchResult& activatedResult,
    const QString& normalizedQuery,
    const std::function<std::int64_t(const SearchResult&)>& scoreProvider) {
    if (normalizedQuery.isEmpty())
        return results;
    const QString activatedIdentity = activatedResult.identity();
    QList<SearchResult> promoted;
    promoted.reserve(results.size());
    for (const SearchResult& result : results) {
        SearchResult copy = result.withRelevanceScore(std::nullopt);
        if (copy.identity() == activatedIdentity) {
            copy.openCount =
                saturatingIncrement(std::max(activatedResult.openCount, copy.openCount));
            copy.isRecentActivation = true;
        }
        promoted.append(copy);
    }
    return scoredSearchResultsForDisplay(promoted, normalizedQuery, scoreProvider);
}

std::optional<QList<SearchResult>>
promotedSearchResultsAfterActivation(const SearchResult& chosen, const ActivationContext& context,
                                     const SearchRankingPreferences& preferences,
                                     const TranslationCommandTest& isTranslationCommand) {
    const QString normalized = normalizedQuery(context.query);
    if (context.shownIsPreview || normalized.isEmpty() || context.shown.isEmpty() ||
        isTranslationCommand(normalized))
        return std::nullopt;
    return searchResultsPromotingActivatedResult(
        context.shown, chosen, normalized,
        [&](const SearchResult& r) { return relevanceScore(r, normalized, preferences); });
}

} // namespace trovi
