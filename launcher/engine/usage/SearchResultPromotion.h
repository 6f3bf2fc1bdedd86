#pragma once
// Re-ranks a shown result list right after one of its results was activated:
// the activated result gains one open and the recent-activation mark.

#include "launcher/engine/model/SearchResult.h"

#include <QList>

#include <functional>

namespace trovi {

QList<SearchResult> searchResultsPromotingActivatedResult(
    const QList<SearchResult>& results, const SearchResult& activatedResult,
    const QString& normalizedQuery,
    const std::function<std::int64_t(const SearchResult&)>& scoreProvider);

} // namespace trovi
