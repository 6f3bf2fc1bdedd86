#include "launcher/session/LauncherSearchEngine.h"

#include "launcher/engine/manager/DatabaseManager.h"
#include "launcher/session/ActivationCaching.h"

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

void DatabaseManagerSearchEngine::recordActivation(const SearchResult& result, const QString& query,
                                                   const QList<SearchResult>& results,
                                                   bool resultsArePreview) {
    m_manager.run([result, query, results, resultsArePreview](DatabaseManager& m) {
        cachePromotedSearchResultsAfterActivation(m, result, query, results, resultsArePreview);
        m.recordActivation(result);
    });
}

} // namespace trovi
