#include "launcher/session/ContentView.h"

#include "launcher/engine/ranking/SearchRankingSettingsStore.h"
#include "launcher/session/LauncherHost.h"
#include "launcher/settings/LauncherNotifications.h"
#include "launcher/settings/LauncherSettingsStores.h"

#include <utility>

namespace trovi {

ContentView::ContentView(ContentViewServices services, QObject* parent)
    : QObject(parent), m_services(std::move(services)),
      m_rankingPreferences(SearchRankingSettingsStore(*m_services.preferences).load()) {
    Q_ASSERT(m_services.preferences && m_services.engine && m_services.host &&
             m_services.scheduler);
    reloadPreferences();
    m_session.persistenceSeconds = SessionPersistenceSettingsStore(*m_services.preferences).load();
    m_activeModifierMode = m_services.host->isCommandKeyHeld()
                               ? ResultActivationMode::revealInFileBrowser
                               : ResultActivationMode::open;
    observeNotifications();
}

ContentView::~ContentView() {
    // Nothing waits for the engine any more: let it stop, and drop the answers.
    m_generation->bump();
    cancel(m_searchTask);
    cancel(m_refreshSearchTask);
}

void ContentView::reloadPreferences() {
    PreferenceStore& p = *m_services.preferences;
    m_searchDebounceMilliseconds = SearchDebounceSettingsStore(p).load();
    m_showSnippets = ShowSnippetsStore(p).load();
    m_launcherThemeID = LauncherThemeStore(p).load();
    m_useNativeAppIcons = LauncherIconSettingsStore(p).load();
    m_showVersionNumber = VersionVisibilityStore(p).load();
    m_showSearchScores = SearchScoreVisibilityStore(p).load();
    m_rankingPreferences = SearchRankingSettingsStore(p).load();
}

void ContentView::observeNotifications() {
    NotificationCenter* center = m_services.notifications;
    if (!center)
        return;
    namespace n = notifications;
    // Display options: re-read and repaint.
    for (const QString& name :
         {n::ShowSnippetsChanged, n::LauncherThemeChanged, n::LauncherIconSettingsChanged,
          n::LauncherSearchDebounceChanged, n::LauncherVersionVisibilityChanged,
          n::LauncherScoreVisibilityChanged}) {
        m_observers.push_back(center->observe(name, [this](const QVariantMap&) {
            reloadPreferences();
            Q_EMIT presentationChanged();
        }));
    }
    m_observers.push_back(
        center->observe(n::LauncherSessionPersistenceChanged, [this](const QVariantMap&) {
            m_session.persistenceSeconds =
                SessionPersistenceSettingsStore(*m_services.preferences).load();
        }));
    m_observers.push_back(
        center->observe(n::LauncherRankingSettingsChanged, [this](const QVariantMap&) {
            m_rankingPreferences = SearchRankingSettingsStore(*m_services.preferences).load();
            m_search.incrementalSearchResultCache.clear();
            refreshResultsAfterBackgroundCacheRefresh();
        }));
    m_observers.push_back(
        center->observe(n::LauncherSearchDataRefreshed, [this](const QVariantMap&) {
            refreshResultsAfterBackgroundCacheRefresh();
        }));
}

ResultActivationMode ContentView::rowActivationMode(const SearchResult& result) const {
    switch (result.kind) {
    case SearchResultKind::action:
        return ResultActivationMode::open;
    case SearchResultKind::folder:
        return result.isDirectPathMatch ? m_activeModifierMode : ResultActivationMode::open;
    case SearchResultKind::file:
    case SearchResultKind::app:
        break;
    }
    return m_activeModifierMode;
}

void ContentView::notifyResultsVisibility(bool hasResults) {
    Q_EMIT resultsVisibilityChanged(hasResults);
}

bool ContentView::handleKey(int key, Qt::KeyboardModifiers modifiers) {
    const auto command = launcherKeyCommand(key, modifiers);
    if (!command)
        return false;
    perform(*command);
    return true;
}

void ContentView::perform(LauncherKeyCommand command) {
    switch (command) {
    case LauncherKeyCommand::selectPrevious:
        moveSelection(true);
        return;
    case LauncherKeyCommand::selectNext:
        moveSelection(false);
        return;
    case LauncherKeyCommand::open:
        activateSelection(ResultActivationMode::open);
        return;
    case LauncherKeyCommand::reveal:
        activateSelection(ResultActivationMode::revealInFileBrowser);
        return;
    case LauncherKeyCommand::paste:
        pasteClipboardIntoQuery();
        return;
    case LauncherKeyCommand::quit:
        m_services.host->terminate();
        return;
    case LauncherKeyCommand::hide:
        m_services.host->hideLauncher();
        return;
    }
}

void ContentView::setCommandKeyHeld(bool held) {
    const auto mode = held ? ResultActivationMode::revealInFileBrowser : ResultActivationMode::open;
    if (mode == m_activeModifierMode)
        return;
    m_activeModifierMode = mode;
    Q_EMIT presentationChanged();
}

void ContentView::setHovered(std::optional<QString> identity) {
    if (identity == m_hoveredResultIdentity)
        return;
    m_hoveredResultIdentity = std::move(identity);
    Q_EMIT presentationChanged();
}

void ContentView::hoverEntered(int row) {
    if (row >= 0 && row < m_search.results.size())
        setHovered(resultIdentity(m_search.results.at(row)));
}

void ContentView::hoverLeft(int row) {
    // Entering the next row may already have moved the hover on.
    if (row >= 0 && row < m_search.results.size() &&
        m_hoveredResultIdentity == resultIdentity(m_search.results.at(row)))
        setHovered(std::nullopt);
}

void ContentView::viewAppeared() {
    // Ctrl may have been let go while the window was hidden (the hotkey itself).
    setCommandKeyHeld(m_services.host->isCommandKeyHeld());
    loadPersistedHistory();
    clearSessionIfTimeoutExpired();
    // A search cut short by hiding runs again for the text still in the field.
    if (std::exchange(m_searchInterruptedByHide, false) && !m_search.query.trimmed().isEmpty())
        debounceSearch(m_search.query);
    notifyResultsVisibility(!m_search.results.isEmpty());
}

void ContentView::viewDisappeared() {
    saveSessionOnHide();
    // Answers for a hidden window are wasted work: the next showing searches again.
    m_searchInterruptedByHide |= m_searchTask.running || m_refreshSearchTask.running;
    m_generation->bump();
    cancel(m_searchTask);
    cancel(m_refreshSearchTask);
    setSearching(false);
}

} // namespace trovi
