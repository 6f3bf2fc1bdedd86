#include "launcher/session/LauncherSearchEngine.h"

#include "launcher/engine/manager/DatabaseManager.h"

namespace trovi {

QFuture<QList<SearchResult>> DatabaseManagerSearchEngine::search(const QString& query,
                                                                 bool allowPersistentQueryCache,
                                                                 const SearchTicket& ticket) {
    return m_manager.run([query, allowPersistentQueryCache, ticket](DatabaseManager& m) {
        // Searches queue behind each other: one overtaken while waiting
        // never runs at all.
        if (ticket.isSuperseded())
            return QList<SearchResult>();
        return m.search(query, allowPersistentQueryCache);
    });
}

ActivationRun DatabaseManagerSearchEngine::activate(const ActivationRequest& request) {
    ActivationRun run = activateResult(m_manager, m_activator, request);
    m_lastStored = run.stored;
    return run;
}

} // namespace trovi
