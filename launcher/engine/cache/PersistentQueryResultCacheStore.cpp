#include "launcher/engine/cache/PersistentQueryResultCacheStore.h"

#include "launcher/core/Clock.h"
#include "launcher/core/JsonFields.h"
#include "launcher/core/ReferenceDate.h"
#include "launcher/engine/model/Deduplication.h"
#include "launcher/engine/model/SearchResultRecord.h"
#include "launcher/settings/PreferenceStore.h"

#include <QJsonArray>
#include <QJsonDocument>

#include <algorithm>
#include <map>

namespace trovi {

namespace {
QList<QJsonObject> recordsFor(const QList<SearchResult>& results) {
    QList<QJsonObject> records;
    records.reserve(results.size());
    for (const SearchResult& result : results)
        records.append(persistentSearchResultRecord(result));
    return records;
}

// Keys ordered by cachedAt, oldest or newest first; the key breaks ties so
// the order never depends on hashing.
template <typename Entries>
QList<QString> keysByCachedAt(const Entries& entries, QList<QString> keys, bool newestFirst) {
    std::sort(keys.begin(), keys.end(), [&](const QString& a, const QString& b) {
        const QDateTime da = entries.constFind(a)->cachedAt;
        const QDateTime db = entries.constFind(b)->cachedAt;
        if (da != db)
            return newestFirst ? da > db : da < db;
        return a < b;
    });
    return keys;
}
} // namespace

PersistentQueryResultCacheStore::PersistentQueryResultCacheStore(PreferenceStore& store,
                                                                 QString storeKey,
                                                                 double ttlSeconds, int maxEntries)
    : m_store(store), m_storeKey(std::move(storeKey)), m_ttl(ttlSeconds),
      m_maxEntries(std::max(maxEntries, 0)) {}

void PersistentQueryResultCacheStore::setResultNormalizer(SearchResultNormalizer normalizer) {
    std::lock_guard lock(m_mutex);
    m_normalizer = std::move(normalizer);
}

void PersistentQueryResultCacheStore::storeResults(const QList<SearchResult>& results,
                                                   const QString& key, const QDateTime& now) {
    if (results.isEmpty())
        return;
    const Entry entry{recordsFor(deduplicatedSearchResults(results)), now};
    {
        std::lock_guard lock(m_mutex);
        loadIfNeededLocked();
        m_cachedEntries.insert(key, entry);
        evict(m_cachedEntries, m_maxEntries);
    }
    persist({{key, entry}});
}

std::optional<PersistentCachedSearchResults>
PersistentQueryResultCacheStore::cachedSearchResults(const QString& key, const QDateTime& now,
                                                     bool allowSameQueryFallback) {
    std::optional<PersistentCachedSearchResults> found;
    Changes changes;
    {
        std::lock_guard lock(m_mutex);
        loadIfNeededLocked();
        if (m_cachedEntries.contains(key)) {
            if (auto results = validSearchResultsLocked(key, now, changes))
                found = PersistentCachedSearchResults{std::move(*results),
                                                      m_cachedEntries.constFind(key)->cachedAt};
        }
        const qsizetype bar = key.lastIndexOf(u'|');
        if (!found && allowSameQueryFallback && bar >= 0) {
            const QString queryPart = key.left(bar + 1);
            QList<QString> candidates;
            for (auto it = m_cachedEntries.constBegin(); it != m_cachedEntries.constEnd(); ++it)
                if (it.key().startsWith(queryPart))
                    candidates.append(it.key());
            candidates = keysByCachedAt(m_cachedEntries, std::move(candidates), true);
            for (const QString& candidate : std::as_const(candidates)) {
                if (auto results = validSearchResultsLocked(candidate, now, changes)) {
                    found = PersistentCachedSearchResults{
                        std::move(*results), m_cachedEntries.constFind(candidate)->cachedAt};
                    break;
                }
            }
        }
    }
    if (!changes.isEmpty())
        persist(changes);
    return found;
}

std::optional<QueryResultCacheEntry> PersistentQueryResultCacheStore::persistentCachedQueryResults(
    const QString& key, const QDateTime& now, const std::optional<QDateTime>& invalidatedAt) {
    auto found = cachedSearchResults(key, now, /*allowSameQueryFallback*/ false);
    if (!found || (invalidatedAt && found->cachedAt < *invalidatedAt))
        return std::nullopt;
    return QueryResultCacheEntry{std::move(found->results), found->cachedAt};
}

std::optional<QDateTime> PersistentQueryResultCacheStore::actorInvalidatedAt() const {
    return m_store.dateValue(actorInvalidatedAtKey());
}

QDateTime PersistentQueryResultCacheStore::markActorCacheInvalidated(const QDateTime& at) {
    m_store.setDate(actorInvalidatedAtKey(), at);
    return at;
}

std::optional<QList<SearchResult>>
PersistentQueryResultCacheStore::validSearchResultsLocked(const QString& key, const QDateTime& now,
                                                          Changes& changes) {
    auto it = m_cachedEntries.find(key);
    if (it == m_cachedEntries.end())
        return std::nullopt;
    if (secondsBetween(it->cachedAt, now) > m_ttl) {
        m_cachedEntries.erase(it);
        changes.insert(key, std::nullopt);
        return std::nullopt;
    }

    QList<SearchResult> results;
    results.reserve(it->records.size());
    for (const QJsonObject& record : std::as_const(it->records)) {
        auto result = searchResultFromPersistentRecord(record);
        if (!result)
            continue;
        results.append(m_normalizer ? m_normalizer(*result) : *result);
    }
    results = deduplicatedSearchResults(results);

    QList<QJsonObject> cleaned = recordsFor(results);
    if (cleaned != it->records) {
        it->records = std::move(cleaned);
        changes.insert(key, *it);
    }
    return results;
}

void PersistentQueryResultCacheStore::evict(Entries& entries, int maxEntries) {
    if (entries.size() <= maxEntries)
        return;
    const QList<QString> oldestFirst = keysByCachedAt(entries, entries.keys(), false);
    const qsizetype surplus = entries.size() - maxEntries;
    for (qsizetype i = 0; i < surplus; ++i)
        entries.remove(oldestFirst.at(i));
}

void PersistentQueryResultCacheStore::loadIfNeededLocked() {
    if (m_hasLoaded)
        return;
    m_hasLoaded = true;
    m_cachedEntries = decodedEntries(m_store.value(m_storeKey));
}

PersistentQueryResultCacheStore::Entries
PersistentQueryResultCacheStore::decodedEntries(const std::optional<QCborValue>& stored) {
    Entries decoded;
    const auto payload = stored && stored->isByteArray()
                             ? json::objectFromBytes(stored->toByteArray())
                             : std::nullopt;
    if (!payload)
        return decoded;
    const QJsonValue entriesValue = payload->value(QStringLiteral("entries"));
    if (!entriesValue.isObject())
        return decoded;
    const QJsonObject entries = entriesValue.toObject();
    for (auto it = entries.constBegin(); it != entries.constEnd(); ++it) {
        // An unreadable entry is skipped; the others are still worth showing.
        if (!it.value().isObject())
            continue;
        const QJsonObject entry = it.value().toObject();
        const QJsonValue results = entry.value(QStringLiteral("results"));
        const QJsonValue cachedAt = entry.value(QStringLiteral("cachedAt"));
        if (!results.isArray() || !cachedAt.isDouble())
            continue;
        const QDateTime date = fromReferenceSeconds(cachedAt.toDouble());
        if (!date.isValid())
            continue;
        Entry loaded;
        loaded.cachedAt = date;
        const QJsonArray array = results.toArray();
        loaded.records.reserve(array.size());
        // A record that is not even an object is kept as an empty one so that
        // validation drops it and writes the cleaned entry back.
        for (const QJsonValue& record : array)
            loaded.records.append(record.toObject());
        decoded.insert(it.key(), std::move(loaded));
    }
    return decoded;
}

// Another launcher process may have stored entries meanwhile: the changes
// apply to the payload stored now, read and written in one transaction, and
// what was written becomes our copy.
void PersistentQueryResultCacheStore::persist(const Changes& changes) {
    Entries written;
    std::uint64_t sequence = 0;
    m_store.update(m_storeKey, [&](const std::optional<QCborValue>& stored) {
        written = decodedEntries(stored);
        for (auto it = changes.constBegin(); it != changes.constEnd(); ++it) {
            if (it.value())
                written.insert(it.key(), *it.value());
            else
                written.remove(it.key());
        }
        evict(written, m_maxEntries);
        sequence = ++m_writeSequence;
        return std::optional<QCborValue>(encodedPayload(written));
    });
    std::lock_guard lock(m_mutex);
    if (sequence > m_appliedSequence) {
        m_appliedSequence = sequence;
        m_cachedEntries = std::move(written);
    }
}

QByteArray PersistentQueryResultCacheStore::encodedPayload(const Entries& entries) {
    QJsonObject encodedEntries;
    for (auto it = entries.constBegin(); it != entries.constEnd(); ++it) {
        QJsonArray results;
        for (const QJsonObject& record : it->records)
            results.append(record);
        QJsonObject entry;
        entry.insert(QStringLiteral("results"), results);
        entry.insert(QStringLiteral("cachedAt"), toReferenceSeconds(it->cachedAt));
        encodedEntries.insert(it.key(), entry);
    }
    QJsonObject payload;
    payload.insert(QStringLiteral("entries"), encodedEntries);
    return QJsonDocument(payload).toJson(QJsonDocument::Compact);
}

std::shared_ptr<PersistentQueryResultCacheStore>
PersistentQueryResultCacheStoreRegistry::store(PreferenceStore& preferences,
                                               const QString& storeKey) {
    using Key = std::pair<const PreferenceStore*, QString>;
    static std::mutex registryMutex;
    static std::map<Key, std::weak_ptr<PersistentQueryResultCacheStore>> stores;

    // Only the registry's lock is held here; creating a store takes none of
    // its own, and loading waits until first use.
    std::lock_guard lock(registryMutex);
    std::erase_if(stores, [](const auto& item) { return item.second.expired(); });
    const Key key{&preferences, storeKey};
    if (auto existing = stores[key].lock())
        return existing;
    auto created = std::make_shared<PersistentQueryResultCacheStore>(preferences, storeKey);
    stores[key] = created;
    return created;
}

} // namespace trovi
