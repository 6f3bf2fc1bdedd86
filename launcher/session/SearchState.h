#pragma once
// The launcher window's state as plain values: the search on screen, the
// search history and the reopen window. The controller replaces fields; the
// view only reads them.

#include "launcher/engine/cache/IncrementalSearchResultCache.h"
#include "launcher/engine/model/SearchResult.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QUuid>

#include <optional>

namespace trovi {

struct SearchState {
    QString query; // exactly as typed, not trimmed
    QList<SearchResult> results;
    std::optional<int> selectedIndex = 0;
    // The person moved the selection (arrow keys, a click) since the query
    // last changed; only then does a new list keep it on the same result.
    bool selectionMovedSinceQueryChange = false;
    QUuid searchId; // a new value for every typed query
    bool isSearching = false;
    // The rows came from a cache or were derived, not from a finished search
    // for exactly this query: they may be neither cached nor saved as final.
    bool resultsArePreview = false;
    // The search's early list, before the document index's rows are merged:
    // shown as the answer, but never cached or saved as one.
    bool resultsAreIncomplete = false;
    // Whether the rows may be cached and saved as the final list for the query.
    bool resultsAreFinal() const { return !resultsArePreview && !resultsAreIncomplete; }
    IncrementalSearchResultCache incrementalSearchResultCache{120};
    QString lastTypedNormalizedQuery;
};

struct SearchHistoryEntry {
    QString query; // as it stood in the field
    QList<SearchResult> results;
    bool resultsArePreview = false;
};

struct SessionState {
    static constexpr int maximumHistoryCount = 20;

    QList<SearchHistoryEntry> history; // oldest first
    int historyIndex = -1;             // -1: not browsing the history
    std::optional<QDateTime> lastDismissedAt;
    int persistenceSeconds = 10;
};

// Keeps the selection and the hover on the same result across lists.
inline QString resultIdentity(const SearchResult& result) {
    if (result.kind == SearchResultKind::action && result.usageKey)
        return *result.usageKey;
    return result.fullPath();
}

// Pasting into the field: one space between the two texts unless either side
// already brings white space.
QString mergedQueryWithClipboardText(const QString& existingQuery, const QString& clipboardText);

} // namespace trovi
