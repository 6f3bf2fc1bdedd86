#pragma once
// ContentView: the logic behind the launcher window, without any widget. It
// owns the query, the result list, the selection, the hover and the mode
// shown while Ctrl is held; turns every query change into a debounced search
// while showing cached or narrowed rows at once; keeps the selection on the
// same result when a list is replaced; answers the key bindings; activates
// results; and keeps the search history and the reopen window. Lives on the
// main thread; the widgets bind to its state and signals.

#include "launcher/clients/TranslationCommand.h"
#include "launcher/core/Clock.h"
#include "launcher/engine/cache/PersistentQueryResultCacheStore.h"
#include "launcher/engine/model/SearchTicket.h"
#include "launcher/engine/ranking/SearchRankingPreferences.h"
#include "launcher/session/KeyBindings.h"
#include "launcher/session/SearchState.h"
#include "launcher/session/SessionScheduler.h"
#include "launcher/settings/NotificationCenter.h"

#include <QFutureWatcher>
#include <QObject>

#include <memory>
#include <optional>
#include <vector>

namespace trovi {

class LauncherHost;
class LauncherSearchEngine;
class PreferenceStore;
struct ActivationRequest;

struct ContentViewServices {
    PreferenceStore* preferences = nullptr;      // required
    LauncherSearchEngine* engine = nullptr;      // required
    LauncherHost* host = nullptr;                // required
    SessionScheduler* scheduler = nullptr;       // required
    NotificationCenter* notifications = nullptr; // null: nothing observed or posted
    Clock clock = systemClock();
    // The persistent query cache shared with the engine; null: none.
    std::shared_ptr<PersistentQueryResultCacheStore> persistentQueryCacheStore;
    // The engine's recogniser, so a query reads as the same translation command
    // here and there; empty: none.
    LanguageRecognizer languageRecognizer;
};

class ContentView : public QObject {
    Q_OBJECT
public:
    explicit ContentView(ContentViewServices services, QObject* parent = nullptr);
    ~ContentView() override;

    const SearchState& search() const { return m_search; }
    const SessionState& session() const { return m_session; }

    // Display options, as the preferences say.
    bool showSnippets() const { return m_showSnippets; }
    bool showSearchScores() const { return m_showSearchScores; }
    bool useNativeAppIcons() const { return m_useNativeAppIcons; }
    bool showVersionNumber() const { return m_showVersionNumber; }
    const QString& launcherThemeID() const { return m_launcherThemeID; }
    const std::optional<QString>& hoveredResultIdentity() const { return m_hoveredResultIdentity; }
    // The mode a row's trailing symbol and second line show.
    ResultActivationMode rowActivationMode(const SearchResult& result) const;

    // ---- the field and the list ------------------------------------------------
    // The field's binding: a changed text starts a debounced search.
    void setQuery(const QString& query);
    // True when the key is one of the launcher's bindings and was handled.
    bool handleKey(int key, Qt::KeyboardModifiers modifiers);
    void setCommandKeyHeld(bool held);
    void hoverEntered(int row);
    void hoverLeft(int row);
    // A click: the mode follows the live Ctrl key.
    void activateRow(int row);
    void activateResult(const SearchResult& result, ResultActivationMode mode);

    // ---- the view's life -------------------------------------------------------
    // Every time the window is about to show: the live Ctrl state, the reopen
    // window, the stored history.
    void viewAppeared();
    // The window hid: the search is remembered and nothing searches on for it.
    void viewDisappeared();
    // The current search joins the history.
    void saveSession();

Q_SIGNALS:
    // The controller changed the text (history, paste, clearing); the field follows.
    void queryChanged(const QString& query);
    void resultsChanged();
    void selectionChanged(int row); // -1: none
    // Hover, Ctrl mode or a display option changed: rows repaint.
    void presentationChanged();
    void searchingChanged(bool isSearching);
    void resultsVisibilityChanged(bool hasResults);

private:
    void debounceSearch(const QString& query);
    void applySearchResults(const QList<SearchResult>& results, bool preserveSelection,
                            bool isPreview);
    std::optional<QList<SearchResult>>
    immediateResults(const QString& normalizedQuery, const QString& previousNormalizedQuery) const;
    std::optional<QList<SearchResult>> persistentCachedResults(const QString& key,
                                                               bool allowSameQueryFallback) const;
    void refreshResultsAfterBackgroundCacheRefresh();
    void moveSelection(bool up);
    void selectRow(int row);
    void pasteClipboardIntoQuery();
    void notifyResultsVisibility(bool hasResults);
    void perform(LauncherKeyCommand command);
    void activateSelection(ResultActivationMode mode);
    ResultActivationMode currentActivationModeForAction(const SearchResult& result) const;
    void loadPersistedHistory();
    void saveSessionOnHide();
    void clearSessionIfTimeoutExpired();
    bool restorePreviousHistoryEntry();
    void restoreHistoryEntry(const SearchHistoryEntry& entry);
    void persistHistoryQueries();

    struct PendingTask {
        SessionScheduler::Handle timer;
        quint64 serial = 0; // bumped on cancel; a stale answer sees a newer value
        bool running = false;
        // Watches the engine's answer; a child of the view, so an answer that
        // arrives after the view is gone reaches nobody.
        QFutureWatcher<QList<SearchResult>>* answer = nullptr;
    };

    void cancel(PendingTask& task);
    // Applies the answer for `searchId` when it arrives, unless the task was
    // cancelled or a newer search started meanwhile; with `showEarly`, an
    // early list is shown until the whole one arrives.
    void awaitAnswer(PendingTask& task, QFuture<QList<SearchResult>> answer, QUuid searchId,
                     const QString& normalized, bool showEarly = true);
    void runDebouncedSearch(QUuid searchId, const QString& trimmed, const QString& normalized);
    void setSelectedIndex(std::optional<int> index);
    void setSearching(bool searching);
    // applySearchResults() for a list already scored and in display order.
    void showSearchResults(const QList<SearchResult>& results, bool preserveSelection,
                           bool isPreview, bool isIncomplete = false);
    void setHovered(std::optional<QString> identity);
    void activateActionResult(const ActivationRequest& request);
    void carryOut(const ActivationRequest& request);
    void cachePromotedSearchResultsAfterActivation(const SearchResult& result, const QString& query,
                                                   const QList<SearchResult>& results,
                                                   bool resultsArePreview);
    bool isTranslationCommand(const QString& normalizedQuery) const;
    void reloadPreferences();
    void observeNotifications();

    ContentViewServices m_services;
    SearchState m_search;
    SessionState m_session;
    std::shared_ptr<SearchGeneration> m_generation = std::make_shared<SearchGeneration>();
    PendingTask m_searchTask;
    PendingTask m_refreshSearchTask;
    SearchRankingPreferences m_rankingPreferences;

    int m_searchDebounceMilliseconds = 50;
    bool m_showSnippets = false;
    bool m_useNativeAppIcons = false;
    bool m_showVersionNumber = true;
    bool m_showSearchScores = true;
    QString m_launcherThemeID;
    ResultActivationMode m_activeModifierMode = ResultActivationMode::open;
    std::optional<QString> m_hoveredResultIdentity;
    bool m_searchInterruptedByHide = false;
    std::vector<NotificationToken> m_observers;
};

} // namespace trovi
