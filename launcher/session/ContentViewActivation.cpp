// Activating a result: hide, clear, carry out, learn, and re-rank the list
// that led to the choice.

#include "launcher/session/ContentView.h"

#include "launcher/engine/ranking/Relevance.h"
#include "launcher/engine/usage/SearchResultPromotion.h"
#include "launcher/session/LauncherHost.h"
#include "launcher/session/LauncherSearchEngine.h"
#include "launcher/session/ResultActivator.h"
#include "launcher/tools/TranslationCommand.h"
#include "launcher/tools/TranslationSettingsStores.h"

#include <QPointer>

#include <cstdio>

namespace trovi {

namespace {

void reportFailure(const ActivationOutcome& outcome) {
    if (!outcome.succeeded() && !outcome.message.isEmpty() &&
        outcome.status != ActivationStatus::nothingToCopy)
        std::fprintf(stderr, "trovi: %s\n", outcome.message.toUtf8().constData());
}

} // namespace

ResultActivationMode ContentView::currentActivationModeForAction(const SearchResult& result) const {
    const auto live = m_services.host->isCommandKeyHeld()
                          ? ResultActivationMode::revealInFileBrowser
                          : ResultActivationMode::open;
    return effectiveActivationMode(result, live);
}

void ContentView::activateSelection(ResultActivationMode mode) {
    const auto index = m_search.selectedIndex;
    if (!index || *index < 0 || *index >= m_search.results.size())
        return;
    activateResult(m_search.results.at(*index), mode);
}

void ContentView::activateRow(int row) {
    if (row < 0 || row >= m_search.results.size())
        return;
    const SearchResult result = m_search.results.at(row);
    activateResult(result, currentActivationModeForAction(result));
}

void ContentView::activateResult(const SearchResult& result, ResultActivationMode mode) {
    const QString query = m_search.query;
    const QList<SearchResult> results = m_search.results;
    const bool resultsArePreview = m_search.resultsArePreview;

    if (result.kind == SearchResultKind::action) {
        cachePromotedSearchResultsAfterActivation(result, query, results, resultsArePreview);
        m_services.engine->recordActivation(result, query, results, resultsArePreview);
        activateActionResult(result);
        setQuery(QString());
        return;
    }

    const ResultActivationMode effective = effectiveActivationMode(result, mode);
    // Hidden first, so the item opens in front and the session is saved with
    // the query the user chose from.
    m_services.host->hideLauncher();
    setQuery(QString());
    if (effective == ResultActivationMode::open) {
        cachePromotedSearchResultsAfterActivation(result, query, results, resultsArePreview);
        m_services.engine->recordActivation(result, query, results, resultsArePreview);
    }
    // A reveal neither counts as a use nor touches the caches.
    QPointer<ContentView> self(this);
    QMetaObject::invokeMethod(
        this,
        [self, result, effective] {
            if (self && self->m_services.activator)
                reportFailure(self->m_services.activator->activate(result, effective));
        },
        Qt::QueuedConnection);
}

void ContentView::activateActionResult(const SearchResult& result) {
    if (!result.action)
        return;
    LauncherHost& host = *m_services.host;
    if (*result.action == SearchResultAction::openSettings) {
        host.showSettingsWindow();
        host.hideLauncher();
        return;
    }
    // The clipboard is written while the window still has focus; every other
    // action runs once the launcher is out of the way.
    if (*result.action != SearchResultAction::copyToClipboard)
        host.hideLauncher();
    if (m_services.activator)
        reportFailure(m_services.activator->activate(result, ResultActivationMode::open));
    if (*result.action == SearchResultAction::copyToClipboard)
        host.hideLauncher();
}

bool ContentView::isTranslationCommand(const QString& normalizedQuery) const {
    PreferenceStore& p = *m_services.preferences;
    const QStringList codes = TranslationLanguageSettingsStore(p).load();
    return TranslationCommandParser::parse(normalizedQuery,
                                           TranslationCommandSettingsStore(p).loadTrigger(),
                                           QSet<QString>(codes.begin(), codes.end()))
        .has_value();
}

// The engine stores the same list in its persistent cache; the launcher's own
// cache gets it here so the next keystroke shows it at once.
void ContentView::cachePromotedSearchResultsAfterActivation(const SearchResult& result,
                                                            const QString& query,
                                                            const QList<SearchResult>& results,
                                                            bool resultsArePreview) {
    const QString normalized = normalizedLauncherQuery(query);
    if (resultsArePreview || normalized.isEmpty() || results.isEmpty() ||
        isTranslationCommand(normalized))
        return;
    const SearchRankingPreferences& preferences = m_rankingPreferences;
    m_search.incrementalSearchResultCache.store(
        searchResultsPromotingActivatedResult(
            results, result, normalized,
            [&](const SearchResult& r) { return relevanceScore(r, normalized, preferences); }),
        normalized);
}

} // namespace trovi
