#pragma once
// Translation rows for the engine: answers at once from a per-pair cache and,
// for a pair with no fresh answer, starts a lookup on its own low-priority
// thread, shows a placeholder meanwhile, stores the finished rows and tells
// the engine that search data changed. Lives on the engine's thread.

#include "launcher/core/Clock.h"
#include "launcher/engine/sources/translation/TranslationRows.h"

#include <QHash>
#include <QSet>
#include <QThreadPool>

#include <memory>

namespace trovi {

// Rows per cache key with their store time: fresh for `timeToLive` seconds,
// at most `maxEntries`, the oldest dropped first.
class TranslationActionCache {
public:
    TranslationActionCache(double timeToLive, int maxEntries)
        : m_timeToLive(timeToLive), m_maxEntries(maxEntries) {}

    std::optional<QList<SearchResult>> lookup(const QString& key, const QDateTime& now);
    void store(const QList<SearchResult>& rows, const QString& key, const QDateTime& now);
    qsizetype size() const { return m_entries.size(); }

private:
    struct Entry {
        QList<SearchResult> rows;
        QDateTime storedAt;
    };
    double m_timeToLive;
    int m_maxEntries;
    QHash<QString, Entry> m_entries;
};

class TranslationActionSource {
public:
    struct Host {
        Clock clock;
        // Runs `step` on the engine's thread, or drops it when the engine is gone.
        std::function<void(std::function<void()> step)> postToEngine;
        // New rows are cached: the search should be run again.
        std::function<void()> searchDataChanged;
    };

    TranslationActionSource(std::shared_ptr<TranslationEngines> engines, Host host,
                            double cacheTimeToLive, int cacheMaxEntries);
    ~TranslationActionSource();

    QList<SearchResult> search(const std::optional<TranslationCommand>& command,
                               const QList<TranslationEngineID>& engines);
    // A lookup started by a search is still running.
    bool hasPendingLookups() const { return !m_inFlightKeys.isEmpty(); }

private:
    void startBackgroundLookup(const QString& key, const TranslationCommand& command,
                               const TranslationPairCandidate& candidate,
                               const QList<TranslationEngineID>& engines);
    void finishBackgroundLookup(const QString& key, const QList<SearchResult>& rows);

    std::shared_ptr<TranslationEngines> m_engines;
    Host m_host;
    TranslationActionCache m_cache;
    QSet<QString> m_inFlightKeys;
    QThreadPool m_pool;
};

} // namespace trovi
