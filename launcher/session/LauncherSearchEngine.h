#pragma once
// LauncherSearchEngine: what the launcher window's logic asks of the search
// engine. The engine runs elsewhere; answers come back as futures.

#include "launcher/engine/model/SearchResult.h"
#include "launcher/engine/model/SearchTicket.h"

#include <QFuture>
#include <QList>

namespace trovi {

class DatabaseManager;

class LauncherSearchEngine {
public:
    virtual ~LauncherSearchEngine() = default;

    // A superseded ticket may end the search early with an empty answer,
    // which the caller drops.
    virtual QFuture<QList<SearchResult>>
    search(const QString& query, bool allowPersistentQueryCache, const SearchTicket& ticket) = 0;

    // Usage learning for a chosen result and the re-ranked list stored in the
    // engine's caches; not awaited.
    virtual void recordActivation(const SearchResult& result, const QString& query,
                                  const QList<SearchResult>& results, bool resultsArePreview) = 0;
};

// The shared engine on its own thread.
class DatabaseManagerSearchEngine : public LauncherSearchEngine {
public:
    explicit DatabaseManagerSearchEngine(DatabaseManager& manager) : m_manager(manager) {}

    QFuture<QList<SearchResult>> search(const QString& query, bool allowPersistentQueryCache,
                                        const SearchTicket& ticket) override;
    void recordActivation(const SearchResult& result, const QString& query,
                          const QList<SearchResult>& results, bool resultsArePreview) override;

private:
    DatabaseManager& m_manager;
};

} // namespace trovi
