// Typing, debounce, applying lists, selection and paste.

#include "launcher/session/ContentView.h"

#include "launcher/engine/cache/QueryCacheKey.h"
#include "launcher/engine/ranking/Relevance.h"
#include "launcher/session/LauncherHost.h"
#include "launcher/session/LauncherSearchEngine.h"
#include "launcher/settings/LauncherSettingsStores.h"

#include <QFuture>

#include <algorithm>

namespace trovi {

QString mergedQueryWithClipboardText(const QString& existingQuery, const QString& clipboardText) {
    if (existingQuery.isEmpty())
        return clipboardText;
    if (clipboardText.isEmpty())
        return existingQuery;
    if (existingQuery.back().isSpace() || clipboardText.front().isSpace())
        return existingQuery + clipboardText;
    return existingQuery + u' ' + clipboardText;
}

namespace {

// Possibly called inside the watcher's own finished signal: delete it later.
template <typename Watcher> void dropWatcher(Watcher*& watcher, QObject* receiver) {
    if (!watcher)
        return;
    watcher->disconnect(receiver);
    watcher->deleteLater();
    watcher = nullptr;
}

} // namespace

void ContentView::cancel(PendingTask& task) {
    task.timer.reset();
    ++task.serial;
    task.running = false;
    dropWatcher(task.answer, this);
}

void ContentView::awaitAnswer(PendingTask& task, QFuture<QList<SearchResult>> answer,
                              QUuid searchId, const QString& normalized, bool showEarly) {
    const quint64 serial = task.serial;
    auto isCurrent = [this, &task, serial, searchId](const QFuture<QList<SearchResult>>& future) {
        return task.serial == serial && m_search.searchId == searchId && !future.isCanceled() &&
               future.resultCount() > 0;
    };
    // The last result is the whole list; one before it is the early list.
    auto apply = [this, &task, isCurrent,
                  normalized](const QFuture<QList<SearchResult>>& finished) {
        if (!isCurrent(finished))
            return;
        const QList<SearchResult> results = finished.resultAt(finished.resultCount() - 1);
        // Before applying: whatever the new list sets off may start the next search.
        task.running = false;
        m_search.incrementalSearchResultCache.store(results, normalized);
        // The engine's list is already scored and in display order.
        showSearchResults(results, true, false);
    };
    if (answer.isFinished()) {
        apply(answer);
        return;
    }
    dropWatcher(task.answer, this);
    task.answer = new QFutureWatcher<QList<SearchResult>>(this);
    if (showEarly)
        connect(task.answer, &QFutureWatcherBase::resultReadyAt, this,
                [this, isCurrent, watcher = task.answer](int index) {
                    const QFuture<QList<SearchResult>> early = watcher->future();
                    // Once finished, the whole list follows at once.
                    if (early.isFinished() || !isCurrent(early))
                        return;
                    showSearchResults(early.resultAt(index), true, false, true);
                });
    connect(task.answer, &QFutureWatcherBase::finished, this,
            [apply, watcher = task.answer] { apply(watcher->future()); });
    task.answer->setFuture(std::move(answer));
}

void ContentView::setQuery(const QString& query) {
    if (query == m_search.query)
        return;
    m_search.query = query;
    Q_EMIT queryChanged(query);
    debounceSearch(query);
}

void ContentView::debounceSearch(const QString& query) {
    cancel(m_searchTask);
    cancel(m_refreshSearchTask);
    // Whatever the engine is doing for an older text is wasted now.
    m_generation->bump();

    const auto& history = m_session.history;
    if (m_session.historyIndex < 0 || m_session.historyIndex >= history.size() ||
        history.at(m_session.historyIndex).query != query)
        m_session.historyIndex = -1;

    const QString previous = m_search.lastTypedNormalizedQuery;
    const QString normalized = normalizedQuery(query);
    const QString trimmed = trimmedBlanksAndTabs(query);
    m_search.lastTypedNormalizedQuery = normalized;
    m_search.selectionMovedSinceQueryChange = false;
    m_search.searchId = QUuid::createUuid();
    const QUuid searchId = m_search.searchId;

    const int interval =
        std::clamp(m_searchDebounceMilliseconds, SearchDebounceSettingsStore::minimumMilliseconds,
                   SearchDebounceSettingsStore::maximumMilliseconds);

    if (trimmed.isEmpty()) {
        applySearchResults({}, false, false);
        m_search.lastTypedNormalizedQuery.clear();
        return;
    }

    const QString key = queryCacheKey(normalized, m_rankingPreferences);
    auto& cache = m_search.incrementalSearchResultCache;
    if (const auto it = cache.entries().constFind(normalized); it != cache.entries().cend()) {
        const QList<SearchResult> results = *it;
        cache.store(results, normalized); // refreshes its recency
        applySearchResults(results, true, false);
    } else if (auto stored = persistentCachedResults(key, false)) {
        cache.store(*stored, normalized);
        applySearchResults(*stored, true, false);
    } else if (auto similar = persistentCachedResults(key, true)) {
        applySearchResults(*similar, true, true);
        setSearching(true);
    } else if (auto derived = immediateResults(normalized, previous)) {
        applySearchResults(*derived, true, true);
        setSearching(true);
    } else {
        setSearching(true); // the old rows stay until the search answers
    }

    m_searchTask.running = true;
    m_searchTask.timer =
        m_services.scheduler->runAfter(interval, [this, searchId, trimmed, normalized] {
            runDebouncedSearch(searchId, trimmed, normalized);
        });
}

void ContentView::runDebouncedSearch(QUuid searchId, const QString& trimmed,
                                     const QString& normalized) {
    m_searchTask.timer.reset();
    if (!m_searchTask.running || m_search.searchId != searchId)
        return;
    awaitAnswer(m_searchTask, m_services.engine->search(trimmed, true, SearchTicket(m_generation)),
                searchId, normalized);
}

std::optional<QList<SearchResult>>
ContentView::persistentCachedResults(const QString& key, bool allowSameQueryFallback) const {
    if (!m_services.persistentQueryCacheStore)
        return std::nullopt;
    auto cached = m_services.persistentQueryCacheStore->cachedSearchResults(key, m_services.clock(),
                                                                            allowSameQueryFallback);
    if (!cached || cached->results.isEmpty())
        return std::nullopt;
    return cached->results;
}

std::optional<QList<SearchResult>>
ContentView::immediateResults(const QString& normalizedQuery,
                              const QString& previousNormalizedQuery) const {
    const auto& cache = m_search.incrementalSearchResultCache;
    if (const auto it = cache.entries().constFind(normalizedQuery); it != cache.entries().cend())
        return *it;
    if (auto shorter = cache.longestPrefixResults(normalizedQuery))
        return filterSearchResultsForIncrementalQuery(*shorter, normalizedQuery);
    if (!previousNormalizedQuery.isEmpty() && normalizedQuery.startsWith(previousNormalizedQuery))
        return filterSearchResultsForIncrementalQuery(m_search.results, normalizedQuery);
    return std::nullopt;
}

void ContentView::applySearchResults(const QList<SearchResult>& results, bool preserveSelection,
                                     bool isPreview) {
    const QString normalized = normalizedQuery(m_search.query);
    const SearchRankingPreferences& preferences = m_rankingPreferences;
    showSearchResults(scoredSearchResultsForDisplay(results, normalized,
                                                    [&](const SearchResult& r) {
                                                        return relevanceScore(r, normalized,
                                                                              preferences);
                                                    }),
                      preserveSelection, isPreview);
}

void ContentView::showSearchResults(const QList<SearchResult>& results, bool preserveSelection,
                                    bool isPreview, bool isIncomplete) {
    // Keeping the selection on the same result is for a person who moved it:
    // without that, the preview's row 0 would stay selected when the final
    // list puts a better result on top, and Return would open a row that is
    // not the one shown first (and teach the ranking that mistake). So an
    // untouched selection goes to the new list's first row.
    std::optional<QString> selectedIdentity;
    if (preserveSelection && m_search.selectionMovedSinceQueryChange && m_search.selectedIndex &&
        *m_search.selectedIndex >= 0 && *m_search.selectedIndex < m_search.results.size())
        selectedIdentity = resultIdentity(m_search.results.at(*m_search.selectedIndex));

    const bool hadResults = !m_search.results.isEmpty();
    m_search.results = results;

    std::optional<int> selection;
    if (selectedIdentity) {
        for (int i = 0; i < m_search.results.size(); ++i) {
            if (resultIdentity(m_search.results.at(i)) == *selectedIdentity) {
                selection = i;
                break;
            }
        }
    }
    if (!selection && !m_search.results.isEmpty())
        selection = 0;

    m_search.resultsArePreview = isPreview;
    m_search.resultsAreIncomplete = isIncomplete;
    m_hoveredResultIdentity.reset();
    m_search.selectedIndex = selection;
    Q_EMIT resultsChanged();
    Q_EMIT selectionChanged(selection.value_or(-1));
    setSearching(false);
    if (hadResults != !m_search.results.isEmpty())
        notifyResultsVisibility(!m_search.results.isEmpty());
}

void ContentView::setSearching(bool searching) {
    if (m_search.isSearching == searching)
        return;
    m_search.isSearching = searching;
    Q_EMIT searchingChanged(searching);
}

void ContentView::refreshResultsAfterBackgroundCacheRefresh() {
    const QString trimmed = trimmedBlanksAndTabs(m_search.query);
    if (trimmed.isEmpty())
        return;
    const QUuid searchId = m_search.searchId;
    const QString normalized = normalizedQuery(m_search.query);
    cancel(m_refreshSearchTask);
    m_refreshSearchTask.running = true;
    // The rows on show already hold the index's rows: an early list without
    // them would make them blink.
    awaitAnswer(m_refreshSearchTask,
                m_services.engine->search(trimmed, false, SearchTicket(m_generation)), searchId,
                normalized, false);
}

void ContentView::setSelectedIndex(std::optional<int> index) {
    if (index == m_search.selectedIndex)
        return;
    m_search.selectedIndex = index;
    Q_EMIT selectionChanged(index.value_or(-1));
}

void ContentView::selectRow(int row) {
    if (row < 0 || row >= m_search.results.size())
        return;
    m_search.selectionMovedSinceQueryChange = true;
    setSelectedIndex(row);
}

void ContentView::moveSelection(bool up) {
    const qsizetype count = m_search.results.size();
    if (count == 0) {
        if (up)
            restorePreviousHistoryEntry();
        return;
    }
    const int current = m_search.selectedIndex.value_or(0);
    if (up && current == 0 && !m_session.history.isEmpty()) {
        if (m_session.historyIndex < 0) {
            saveSession();
            m_session.historyIndex = int(m_session.history.size()) - 1;
        }
        restorePreviousHistoryEntry();
        return;
    }
    m_search.selectionMovedSinceQueryChange = true;
    setSelectedIndex(up ? std::max(current - 1, 0) : std::min(current + 1, int(count) - 1));
}

void ContentView::pasteClipboardIntoQuery() {
    const QString text = m_services.host->clipboardText().trimmed();
    if (text.isEmpty())
        return;
    setQuery(mergedQueryWithClipboardText(m_search.query, text));
}

} // namespace trovi
