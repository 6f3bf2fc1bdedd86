#pragma once
// Relevance scoring and ordering of results: the searchable base name, the
// text-match tier, fixed scores, the score itself, the display order, the
// re-scoring of lists for display, and the reference filtering of a path
// catalogue (PathCatalog is its fast equivalent).

#include "launcher/engine/model/SearchResult.h"
#include "launcher/engine/ranking/SearchRankingPreferences.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <optional>

namespace trovi {

// Each path catalogue (apps, folders, shortcut files) contributes at most this
// many results to a search, so merging stays small.
inline constexpr qsizetype kPathResultLimit = 80;

// Lower-cased file name without the first of sortedSuffixes that ends it (or,
// when none does, without its path extension). Never empty unless the name is:
// a name that is nothing but a suffix stays whole. Always a prefix of
// filename.toLower().
QString searchableBasename(const QString& filename, const QStringList& sortedSuffixes);

// The base name ranking uses for a result: its lower-cased title when it has
// one (an application's own name), else searchableBasename of its file name.
QString searchableBasename(const SearchResult& result, const QStringList& sortedSuffixes);

// For the path catalogues: nothing when neither the file name, the base name
// nor the keywords contain the query; else 2 when the base name equals it, 1
// when it starts with it, 0 otherwise.
std::optional<int> pathMatchTier(const SearchResult& result, const QString& queryLowercased,
                                 const QStringList& sortedSuffixes);

// The length of searchableBasename for a name that is already lower-cased.
qsizetype searchableBasenameLength(QStringView lowercasedFilename,
                                   const QStringList& sortedSuffixes);

enum class TextMatchTier { none, contains, prefix, exact };

// Points a tier adds to the score: 0, 250, 500, 1000.
std::int64_t tierPoints(TextMatchTier tier);

TextMatchTier textMatchTier(const SearchResult& result, const QString& queryLowercased,
                            const QStringList& sortedSuffixes);

// Calculator values and translation rows rank at fixed heights above all else.
std::optional<std::int64_t> fixedScore(const SearchResult& result);

std::int64_t relevanceScore(const SearchResult& result, const QString& queryLowercased,
                            const SearchRankingPreferences& preferences);

// Stable: higher score first (absent counts as 0), then higher open count,
// then names in the user's locale, case-insensitively.
void sortForDisplay(QList<SearchResult>& results);
// The first `limit` rows of that order, exactly; names are collated only
// where a tie reaches them.
void sortForDisplay(QList<SearchResult>& results, qsizetype limit);

// De-duplicates; for a non-empty query gives every unscored result the
// provider's score (scores already present are kept) and sorts for display.
// An empty query returns the de-duplicated list as it is.
QList<SearchResult> scoredSearchResultsForDisplay(
    QList<SearchResult> results, const QString& normalizedQuery,
    const std::function<std::int64_t(const SearchResult&)>& scoreProvider);

// Usage learning's answer for a result, given the count it currently carries.
using LearnedOpenCount =
    std::function<std::int64_t(const SearchResult&, std::int64_t databaseOpenCount)>;

// Keeps results whose name, title or keywords contain the query, fills in
// learned open counts, orders exact base-name matches, then base-name
// prefixes, then by open count and shown name, and keeps the first
// kPathResultLimit. Straightforward by design:
// PathCatalog must give exactly the same answer.
QList<SearchResult> filterAndSortPathResults(const QList<SearchResult>& results,
                                             const QString& queryLowercased,
                                             const SearchRankingPreferences& preferences,
                                             const LearnedOpenCount& learnedOpenCount);

} // namespace trovi
