#pragma once
// LauncherSearchEngine: what the launcher window's logic asks of the search
// engine. The engine runs elsewhere; answers come back as futures.

#include "launcher/engine/model/SearchResult.h"
#include "launcher/engine/model/SearchTicket.h"
#include "launcher/session/ActivationSequence.h"

#include <QFuture>
#include <QList>

namespace trovi {

class DatabaseManager;
class ResultActivator;

class LauncherSearchEngine {
public:
    virtual ~LauncherSearchEngine() = default;

    // A superseded ticket may end the search early with an empty answer,
    // which the caller drops. The answer's last result is the whole list; a
    // result before it is an early list (the document index still searching),
    // to show but not to cache.
    virtual QFuture<QList<SearchResult>>
    search(const QString& query, bool allowPersistentQueryCache, const SearchTicket& ticket) = 0;

    // Carries out a chosen result through the one activation sequence (the
    // promoted list cached, the use recorded, then the item opened, revealed
    // or the action run); what it stores is not awaited.
    virtual ActivationRun activate(const ActivationRequest& request) = 0;
};

// The shared engine on its own thread.
class DatabaseManagerSearchEngine : public LauncherSearchEngine {
public:
    DatabaseManagerSearchEngine(DatabaseManager& manager, ResultActivator& activator)
        : m_manager(manager), m_activator(activator) {}

    QFuture<QList<SearchResult>> search(const QString& query, bool allowPersistentQueryCache,
                                        const SearchTicket& ticket) override;
    ActivationRun activate(const ActivationRequest& request) override;

    // Finishes once the latest activation's writes are stored.
    QFuture<void> lastActivationStored() const { return m_lastStored; }

private:
    DatabaseManager& m_manager;
    ResultActivator& m_activator;
    QFuture<void> m_lastStored = QtFuture::makeReadyFuture();
};

} // namespace trovi
