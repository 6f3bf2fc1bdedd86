#pragma once
// The one form of a query that the window and the engine both key their
// caches with: blanks and tabs trimmed (line breaks stay part of it) and
// lower-cased. The cache key adds "|" and the ranking rules' own key, so
// results ranked under other rules are never reused.

#include "launcher/engine/ranking/SearchRankingPreferences.h"

#include <QString>

namespace trovi {

// Leading and trailing blanks and tabs removed; line breaks are kept.
QString trimmedBlanksAndTabs(const QString& text);

// Trimmed of blanks and tabs, lower-cased: the key of the window's own
// result cache and the query part of the engine's.
QString normalizedQuery(const QString& query);

QString queryCacheKey(const QString& query, const SearchRankingPreferences& preferences);

} // namespace trovi
