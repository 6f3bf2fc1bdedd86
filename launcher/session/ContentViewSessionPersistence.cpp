// The search history and the reopen window.

#include "launcher/session/ContentView.h"

#include "launcher/engine/cache/QueryCacheKey.h"

#include "launcher/settings/LauncherSettingsStores.h"
#include "launcher/settings/PreferenceKeys.h"
#include "launcher/settings/PreferenceStore.h"

#include <algorithm>

namespace trovi {

void ContentView::loadPersistedHistory() {
    if (!m_session.history.isEmpty())
        return;
    // Anything but a list of strings reads as no history.
    const QStringList queries =
        m_services.preferences->stringListValue(preferenceKeys::launcherSearchHistoryQueries)
            .value_or(QStringList());
    for (const QString& query : queries)
        m_session.history.append(SearchHistoryEntry{query, {}, false});
}

void ContentView::saveSession() {
    if (m_search.query.trimmed().isEmpty())
        return;
    SearchHistoryEntry entry{m_search.query, m_search.results, !m_search.resultsAreFinal()};
    auto& history = m_session.history;
    if (!history.isEmpty() && history.back().query == m_search.query) {
        history.back() = std::move(entry);
    } else {
        history.append(std::move(entry));
        if (history.size() > SessionState::maximumHistoryCount)
            history.remove(0, history.size() - SessionState::maximumHistoryCount);
    }
    m_session.historyIndex = -1;
    persistHistoryQueries();
}

void ContentView::persistHistoryQueries() {
    QStringList queries;
    queries.reserve(m_session.history.size());
    for (const SearchHistoryEntry& entry : std::as_const(m_session.history))
        queries.append(entry.query);
    m_services.preferences->setStringList(preferenceKeys::launcherSearchHistoryQueries, queries);
}

void ContentView::saveSessionOnHide() {
    if (!m_search.query.trimmed().isEmpty()) {
        saveSession();
        m_session.lastDismissedAt = m_services.clock();
    } else if (m_session.lastDismissedAt) {
        // Hiding an empty launcher never opens a reopen window of its own.
        m_session.lastDismissedAt = m_services.clock();
    }
}

void ContentView::clearSessionIfTimeoutExpired() {
    if (!m_session.lastDismissedAt)
        return;
    const double elapsed = secondsBetween(*m_session.lastDismissedAt, m_services.clock());
    const int limit =
        std::clamp(m_session.persistenceSeconds, SessionPersistenceSettingsStore::minimumSeconds,
                   SessionPersistenceSettingsStore::maximumSeconds);
    const bool fieldIsEmpty = m_search.query.trimmed().isEmpty();
    if (elapsed <= limit) {
        if (fieldIsEmpty && !m_session.history.isEmpty())
            restoreHistoryEntry(m_session.history.back());
        return;
    }
    m_session.lastDismissedAt.reset();
    if (!fieldIsEmpty)
        setQuery(QString());
}

void ContentView::restoreHistoryEntry(const SearchHistoryEntry& entry) {
    if (!entry.results.isEmpty() && !entry.resultsArePreview)
        m_search.incrementalSearchResultCache.store(entry.results, normalizedQuery(entry.query));
    m_search.resultsArePreview = entry.resultsArePreview;
    setQuery(entry.query);
}

bool ContentView::restorePreviousHistoryEntry() {
    if (m_session.history.isEmpty())
        return false;
    const int start =
        m_session.historyIndex >= 0 ? m_session.historyIndex : int(m_session.history.size());
    const int target = start - 1;
    if (target < 0)
        return false;
    m_session.historyIndex = target;
    // Copied: restoring runs a search that may change the history.
    const SearchHistoryEntry entry = m_session.history.at(target);
    restoreHistoryEntry(entry);
    return true;
}

} // namespace trovi
