// Activating a result: hide, clear, carry out, learn, and re-rank the list
// that led to the choice.

#include "launcher/session/ContentView.h"

#include "launcher/clients/TranslationSettingsStores.h"
#include "launcher/engine/cache/QueryCacheKey.h"
#include "launcher/engine/usage/SearchResultPromotion.h"
#include "launcher/session/ActivationSequence.h"
#include "launcher/session/LauncherHost.h"
#include "launcher/session/LauncherSearchEngine.h"
#include "launcher/session/ResultActivator.h"

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
    const ActivationRequest request{result, mode, m_search.query, m_search.results,
                                    !m_search.resultsAreFinal()};

    if (result.kind == SearchResultKind::action) {
        cachePromotedSearchResultsAfterActivation(result, request.query, request.shown,
                                                  request.shownIsPreview);
        activateActionResult(request);
        setQuery(QString());
        return;
    }

    // Hidden first, so the item opens in front and the session is saved with
    // the query the user chose from.
    m_services.host->hideLauncher();
    setQuery(QString());
    if (effectiveActivationMode(result, mode) == ResultActivationMode::open)
        cachePromotedSearchResultsAfterActivation(result, request.query, request.shown,
                                                  request.shownIsPreview);
    QPointer<ContentView> self(this);
    QMetaObject::invokeMethod(
        this,
        [self, request] {
            if (self)
                self->carryOut(request);
        },
        Qt::QueuedConnection);
}

void ContentView::carryOut(const ActivationRequest& request) {
    reportFailure(m_services.engine->activate(request).outcome);
}

void ContentView::activateActionResult(const ActivationRequest& request) {
    const auto& action = request.result.action;
    if (!action)
        return;
    LauncherHost& host = *m_services.host;
    if (*action == SearchResultAction::openSettings) {
        host.showSettingsWindow();
        host.hideLauncher();
        return;
    }
    // The clipboard is written while the window still has focus; every other
    // action runs once the launcher is out of the way.
    if (*action == SearchResultAction::copyToClipboard) {
        carryOut(request);
        host.hideLauncher();
        return;
    }
    host.hideLauncher();
    carryOut(request);
}

bool ContentView::isTranslationCommand(const QString& normalizedQuery) const {
    return translationCommandFromSettings(normalizedQuery, *m_services.preferences,
                                          m_services.languageRecognizer)
        .has_value();
}

// The engine stores the same list in its persistent cache; the launcher's own
// cache gets it here so the next keystroke shows it at once.
void ContentView::cachePromotedSearchResultsAfterActivation(const SearchResult& result,
                                                            const QString& query,
                                                            const QList<SearchResult>& results,
                                                            bool resultsArePreview) {
    const auto promoted = promotedSearchResultsAfterActivation(
        result, {query, results, resultsArePreview}, m_rankingPreferences,
        [this](const QString& normalized) { return isTranslationCommand(normalized); });
    if (promoted)
        m_search.incrementalSearchResultCache.store(*promoted, normalizedQuery(query));
}

} // namespace trovi
