#include "launcher/engine/usage/UsageStore.h"

#include "launcher/core/JsonFields.h"
#include "launcher/settings/PreferenceStore.h"

#include <QCborMap>
#include <QJsonArray>
#include <QJsonDocument>

#include <algorithm>
#include <limits>

namespace trovi {

UsageStore::UsageStore(PreferenceStore& store, QString usageStoreKey)
    : m_store(store), m_usageStoreKey(std::move(usageStoreKey)),
      m_recentActivationsStoreKey(m_usageStoreKey + QStringLiteral(".recentActivations")) {}

std::int64_t UsageStore::count(const QString& key) {
    loadOpenCountsIfNeeded();
    return m_openCounts.value(key.toLower(), 0);
}

void UsageStore::setCount(const QString& key, std::int64_t count) {
    changeOpenCount(key, [count](std::int64_t) { return count; });
}

void UsageStore::increment(const QString& key) {
    changeOpenCount(key, saturatingIncrement);
}

// Another launcher process may have counted meanwhile: the change applies to
// the map stored now, read and written in one transaction, never to our copy.
void UsageStore::changeOpenCount(const QString& key,
                                 const std::function<std::int64_t(std::int64_t)>& change) {
    m_hasLoadedOpenCounts = true;
    m_store.update(m_usageStoreKey, [&](const std::optional<QCborValue>& stored) {
        m_openCounts = decodedOpenCounts(stored).value_or(QHash<QString, std::int64_t>());
        std::int64_t& count = m_openCounts[key.toLower()];
        count = change(count);
        QCborMap map;
        for (auto it = m_openCounts.constBegin(); it != m_openCounts.constEnd(); ++it)
            map.insert(it.key(), qint64(it.value()));
        return std::optional<QCborValue>(map);
    });
}

const QHash<QString, std::int64_t>& UsageStore::openCounts() {
    loadOpenCountsIfNeeded();
    return m_openCounts;
}

void UsageStore::loadOpenCountsIfNeeded() {
    if (m_hasLoadedOpenCounts)
        return;
    m_hasLoadedOpenCounts = true;
    if (auto counts = decodedOpenCounts(m_store.value(m_usageStoreKey)))
        m_openCounts = std::move(*counts);
}

std::optional<QHash<QString, std::int64_t>>
UsageStore::decodedOpenCounts(const std::optional<QCborValue>& stored) {
    if (!stored || !stored->isMap())
        return std::nullopt;
    const QCborMap map = stored->toMap();
    QHash<QString, std::int64_t> counts;
    counts.reserve(map.size());
    for (auto it = map.constBegin(); it != map.constEnd(); ++it) {
        // One foreign value makes the whole map untrustworthy.
        if (!it.key().isString() || !it.value().isInteger())
            return std::nullopt;
        // Keys are written lower-cased; should an older writer have left a
        // mixed-case duplicate, the larger count wins.
        std::int64_t& count = counts[it.key().toString().toLower()];
        count = std::max<std::int64_t>(count, it.value().toInteger());
    }
    return counts;
}

const QList<RecentActivationRecord>& UsageStore::recentActivations() {
    loadRecentActivationsIfNeeded();
    return m_recentActivations;
}

void UsageStore::storeRecentActivation(const RecentActivationRecord& record, int maxEntries) {
    const QString key = record.usageKeyOrFullPath().toLower();
    m_hasLoadedRecentActivations = true;
    // Applied to the history stored now, so another process's activations stay.
    m_store.update(m_recentActivationsStoreKey, [&](const std::optional<QCborValue>& stored) {
        m_recentActivations = decodedRecentActivations(stored);
        m_recentActivations.removeIf([&key](const RecentActivationRecord& kept) {
            return kept.hasKnownKind() && kept.usageKeyOrFullPath().toLower() == key;
        });
        m_recentActivations.prepend(record);
        const qsizetype limit = std::max(maxEntries, 0);
        if (m_recentActivations.size() > limit)
            m_recentActivations.resize(limit);
        QJsonArray array;
        for (const RecentActivationRecord& kept : std::as_const(m_recentActivations))
            array.append(kept.toJson());
        return std::optional<QCborValue>(QJsonDocument(array).toJson(QJsonDocument::Compact));
    });
}

void UsageStore::loadRecentActivationsIfNeeded() {
    if (m_hasLoadedRecentActivations)
        return;
    m_hasLoadedRecentActivations = true;
    m_recentActivations = decodedRecentActivations(m_store.value(m_recentActivationsStoreKey));
}

QList<RecentActivationRecord>
UsageStore::decodedRecentActivations(const std::optional<QCborValue>& stored) {
    QList<RecentActivationRecord> records;
    const auto array = stored && stored->isByteArray() ? json::arrayFromBytes(stored->toByteArray())
                                                       : std::nullopt;
    if (!array)
        return records;
    // A single unreadable record is skipped rather than costing the history.
    for (const QJsonValue& value : *array) {
        if (!value.isObject())
            continue;
        if (auto loaded = RecentActivationRecord::fromJson(value.toObject()))
            records.append(std::move(*loaded));
    }
    return records;
}

} // namespace trovi
