#pragma once
// PersistentQueryResultCacheStore: ranked result lists kept across launches in
// the preference store, so a query shows results before any search runs.
// Shared between the engine thread and the UI thread (one object per store
// key, handed out by PersistentQueryResultCacheStoreRegistry) and guarded by
// its own lock; the preference store is written after the lock is released.

#include "launcher/engine/model/SearchResult.h"

#include <QByteArray>
#include <QCborValue>
#include <QDateTime>
#include <QHash>
#include <QJsonObject>
#include <QList>
#include <QString>

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>

namespace trovi {

class PreferenceStore;

// What the engine's in-memory cache holds, and what its lookup returns.
struct QueryResultCacheEntry {
    QList<SearchResult> results;
    QDateTime cachedAt;
};

// What the launcher view's instant lookup returns.
struct PersistentCachedSearchResults {
    QList<SearchResult> results;
    QDateTime cachedAt;
};

// Rewrites a result read back from storage (for example to give old Notion
// rows their current identity). Must be pure: it runs under the store's lock.
using SearchResultNormalizer = std::function<SearchResult(const SearchResult&)>;

class PersistentQueryResultCacheStore {
public:
    static constexpr double defaultTTL = 604800; // 7 days
    static constexpr int defaultMaxEntries = 120;
    // The launcher's own store key.
    static QString defaultStoreKey() {
        return QStringLiteral("launcherPathOpenCounts.queryResults");
    }

    PersistentQueryResultCacheStore(PreferenceStore& store, QString storeKey,
                                    double ttlSeconds = defaultTTL,
                                    int maxEntries = defaultMaxEntries);

    PersistentQueryResultCacheStore(const PersistentQueryResultCacheStore&) = delete;
    PersistentQueryResultCacheStore& operator=(const PersistentQueryResultCacheStore&) = delete;

    const QString& storeKey() const { return m_storeKey; }
    double ttl() const { return m_ttl; }
    int maxEntries() const { return m_maxEntries; }
    QString actorInvalidatedAtKey() const {
        return m_storeKey + QStringLiteral(".actorInvalidatedAt");
    }

    // Applied to every result read back, before de-duplication.
    void setResultNormalizer(SearchResultNormalizer normalizer);

    // An empty list is not stored. Otherwise the de-duplicated list replaces
    // the entry for the key, the oldest entries beyond maxEntries are evicted
    // and the whole payload is written.
    void storeResults(const QList<SearchResult>& results, const QString& key, const QDateTime& now);

    // The launcher view's instant lookup: the entry for exactly the key, or,
    // with the fallback and a key holding "|", the newest valid entry of the
    // same query under other ranking rules. Ignores the invalidation mark.
    std::optional<PersistentCachedSearchResults>
    cachedSearchResults(const QString& key, const QDateTime& now, bool allowSameQueryFallback);

    // The engine's lookup: the entry for exactly the key, unless it was cached
    // before invalidatedAt.
    std::optional<QueryResultCacheEntry>
    persistentCachedQueryResults(const QString& key, const QDateTime& now,
                                 const std::optional<QDateTime>& invalidatedAt);

    // The invalidation mark kept beside the payload.
    std::optional<QDateTime> actorInvalidatedAt() const;
    QDateTime markActorCacheInvalidated(const QDateTime& at);

private:
    struct Entry {
        QList<QJsonObject> records;
        QDateTime cachedAt;
    };
    using Entries = QHash<QString, Entry>;
    using Changes = QHash<QString, std::optional<Entry>>; // nothing: removed

    void loadIfNeededLocked();
    std::optional<QList<SearchResult>>
    validSearchResultsLocked(const QString& key, const QDateTime& now, Changes& changes);
    void persist(const Changes& changes);
    static Entries decodedEntries(const std::optional<QCborValue>& stored);
    static QByteArray encodedPayload(const Entries& entries);
    static void evict(Entries& entries, int maxEntries);

    PreferenceStore& m_store;
    const QString m_storeKey;
    const double m_ttl;
    const int m_maxEntries;

    std::mutex m_mutex; // guards everything below
    SearchResultNormalizer m_normalizer;
    Entries m_cachedEntries;
    bool m_hasLoaded = false;
    // Writes are numbered in the order the store commits them, so a slower
    // thread never puts an older copy back.
    std::atomic<std::uint64_t> m_writeSequence = 0;
    std::uint64_t m_appliedSequence = 0;
};

// One shared store per preference store and key, so the engine and the
// launcher view use the same object and lock. A store lives as long as
// someone holds it.
class PersistentQueryResultCacheStoreRegistry {
public:
    static std::shared_ptr<PersistentQueryResultCacheStore> store(PreferenceStore& preferences,
                                                                  const QString& storeKey);
};

} // namespace trovi
