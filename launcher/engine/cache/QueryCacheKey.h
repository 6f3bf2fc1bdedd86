#pragma once
// The key under which a query's results are cached, in memory and across
// launches: the query with blanks and tabs trimmed (line breaks stay part of
// it), lower-cased, then "|" and the ranking rules' own key, so results ranked
// under other rules are never reused.

#include "launcher/engine/ranking/SearchRankingPreferences.h"

#include <QString>

namespace trovi {

// Leading and trailing blanks and tabs removed; line breaks are kept.
QString trimmedBlanksAndTabs(const QString& text);

QString queryCacheKey(const QString& query, const SearchRankingPreferences& preferences);

} // namespace trovi
