#pragma once
// LauncherWindow: a first, plain search window. A field and a result list;
// typing runs a debounced search, Return activates the selection (Ctrl+Return
// reveals it), Escape clears the field or hides the window. The search and the
// activation come in as functions, so the window runs in tests without an engine.

#include "launcher/engine/model/SearchResult.h"

#include <QFuture>
#include <QWidget>

#include <functional>

class QLineEdit;
class QListWidget;
class QTimer;

namespace trovi {

class LauncherWindow : public QWidget {
    Q_OBJECT
public:
    using SearchFunction = std::function<QFuture<QList<SearchResult>>(
        const QString& query, bool allowPersistentQueryCache)>;
    // `resultsArePreview`: the list shown answers an earlier text than `query`
    // (the user pressed Return before the search for the latest text landed).
    using ActivateFunction = std::function<void(
        const SearchResult& result, ResultActivationMode mode, const QString& query,
        const QList<SearchResult>& results, bool resultsArePreview)>;

    LauncherWindow(SearchFunction search, ActivateFunction activate, int debounceMilliseconds,
                   QWidget* parent = nullptr);

    // Runs the current query again without the query caches, keeping the
    // selected result selected (new catalogue data arrived).
    void rerunCurrentQuery();

    const QList<SearchResult>& results() const { return m_results; }

Q_SIGNALS:
    // Escape on an empty field: the user is done without choosing anything.
    void dismissed();
    // The list went from empty to filled or back; the shell resizes the window.
    void resultsVisibilityChanged(bool hasResults);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void startSearch(bool allowPersistentQueryCache);
    void applyResults(const QList<SearchResult>& results, const QString& query);
    void activateSelection(ResultActivationMode mode);

    SearchFunction m_search;
    ActivateFunction m_activate;
    QLineEdit* m_field;
    QListWidget* m_list;
    QTimer* m_debounce;
    QList<SearchResult> m_results;
    QString m_resultsQuery; // the text m_results answer
    quint64 m_generation = 0;
};

} // namespace trovi
