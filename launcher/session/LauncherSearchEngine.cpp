#include "launcher/session/LauncherSearchEngine.h"

#include "launcher/engine/manager/DatabaseManager.h"

#include <QPromise>

#include <memory>

namespace trovi {

QFuture<QList<SearchResult>> DatabaseManagerSearchEngine::search(const QString& query,
                                                                 bool allowPersistentQueryCache,
                                                                 const SearchTicket& ticket) {
    auto promise = std::make_shared<QPromise<QList<SearchResult>>>();
    QFuture<QList<SearchResult>> answer = promise->future();
    promise->start();
    m_manager.run([promise, query, allowPersistentQueryCache, ticket](DatabaseManager& m) {
        // Searches queue behind each other: one overtaken while waiting
        // never runs at all.
        if (!ticket.isSuperseded()) {
            promise->addResult(m.search(
                query, allowPersistentQueryCache, ticket,
                [&promise](const QList<SearchResult>& early) { promise->addResult(early); }));
        }
        promise->finish();
    });
    return answer;
}

ActivationRun DatabaseManagerSearchEngine::activate(const ActivationRequest& request) {
    ActivationRun run = activateResult(m_manager, m_activator, request);
    m_lastStored = run.stored;
    return run;
}

} // namespace trovi
