#pragma once
// Order-keeping de-duplication of result lists: the first occurrence wins.

#include "launcher/engine/model/SearchResult.h"

#include <QList>

namespace trovi {

// Keyed by pathIdentityKey of the full path.
QList<SearchResult> mergedUniqueByPath(const QList<SearchResult>& results);

// Keyed by result identity (usage key for actions that have one, else full path).
QList<SearchResult> deduplicatedSearchResults(const QList<SearchResult>& results);

} // namespace trovi
