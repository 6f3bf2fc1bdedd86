#pragma once
// Re-ranks a shown result list right after one of its results was activated:
// the activated result gains one open and the recent-activation mark. The
// window keeps the promoted list for its next keystroke and the engine stores
// the same list for the next launch; both take it from here.

#include "launcher/engine/model/SearchResult.h"
#include "launcher/engine/ranking/SearchRankingPreferences.h"

#include <QList>
#include <QString>

#include <functional>
#include <optional>

namespace trovi {

// What a result was chosen from.
struct ActivationContext {
    QString query;               // the text the shown list answers to, as typed
    QList<SearchResult> shown;   // the list the result was chosen from
    bool shownIsPreview = false; // an earlier text's list: never cached
};

QList<SearchResult> searchResultsPromotingActivatedResult(
    const QList<SearchResult>& results, const SearchResult& activatedResult,
    const QString& normalizedQuery,
    const std::function<std::int64_t(const SearchResult&)>& scoreProvider);

// Tells whether a normalised query is a translation command.
using TranslationCommandTest = std::function<bool(const QString& normalizedQuery)>;

// The list to keep under the context's normalised query, scored under
// `preferences`; nothing for previews, blank queries, empty lists and
// translation commands (whose rows change with every lookup). The test runs
// only when the rest allows caching.
std::optional<QList<SearchResult>>
promotedSearchResultsAfterActivation(const SearchResult& chosen, const ActivationContext& context,
                                     const SearchRankingPreferences& preferences,
                                     const TranslationCommandTest& isTranslationCommand);

} // namespace trovi
