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
    loadOpenCountsIfNeeded();
    m_openCounts.insert(key.toLower(), count);
    persistOpenCounts();
}

void UsageStore::increment(const QString& key) {
    loadOpenCountsIfNeeded();
    std::int64_t& count = m_openCounts[key.toLower()];
    if (count < std::numeric_limits<std::int64_t>::max())
        ++count;
    persistOpenCounts();
}

const QHash<QString, std::int64_t>& UsageStore::openCounts() {
    loadOpenCountsIfNeeded();
    return m_openCounts;
}

void UsageStore::loadOpenCountsIfNeeded() {
    if (m_hasLoadedOpenCounts)
        return;
    m_hasLoadedOpenCounts = true;
    const auto stored = m_store.mapValue(m_usageStoreKey);
    if (!stored)
        return;
    QHash<QString, std::int64_t> counts;
    counts.reserve(stored->size());
    for (auto it = stored->constBegin(); it != stored->constEnd(); ++it) {
        // One foreign value makes the whole map untrustworthy.
        if (!it.key().isString() || !it.value().isInteger())
            return;
        // Keys are written lower-cased; should an older writer have left a
        // mixed-case duplicate, the larger count wins.
        std::int64_t& count = counts[it.key().toString().toLower()];
        count = std::max<std::int64_t>(count, it.value().toInteger());
    }
    m_openCounts = std::move(counts);
}

void UsageStore::persistOpenCounts() {
    QCborMap map;
    for (auto it = m_openCounts.constBegin(); it != m_openCounts.constEnd(); ++it)
        map.insert(it.key(), qint64(it.value()));
    m_store.setMap(m_usageStoreKey, map);
}

const QList<RecentActivationRecord>& UsageStore::recentActivations() {
    loadRecentActivationsIfNeeded();
    return m_recentActivations;
}

void UsageStore::storeRecentActivation(const RecentActivationRecord& record, int maxEntries) {
    loadRecentActivationsIfNeeded();
    const QString key = record.usageKeyOrFullPath().toLower();
    m_recentActivations.removeIf([&key](const RecentActivationRecord& stored) {
        return stored.hasKnownKind() && stored.usageKeyOrFullPath().toLower() == key;
    });
    m_recentActivations.prepend(record);
    const qsizetype limit = std::max(maxEntries, 0);
    if (m_recentActivations.size() > limit)
        m_recentActivations.resize(limit);
    persistRecentActivations();
}

void UsageStore::loadRecentActivationsIfNeeded() {
    if (m_hasLoadedRecentActivations)
        return;
    m_hasLoadedRecentActivations = true;
    const auto bytes = m_store.bytesValue(m_recentActivationsStoreKey);
    const auto array = bytes ? json::arrayFromBytes(*bytes) : std::nullopt;
    if (!array)
        return;
    // A single unreadable record is skipped rather than costing the history.
    for (const QJsonValue& value : *array) {
        if (!value.isObject())
            continue;
        if (auto loaded = RecentActivationRecord::fromJson(value.toObject()))
            m_recentActivations.append(std::move(*loaded));
    }
}

void UsageStore::persistRecentActivations() {
    QJsonArray array;
    for (const RecentActivationRecord& record : std::as_const(m_recentActivations))
        array.append(record.toJson());
    m_store.setBytes(m_recentActivationsStoreKey,
                     QJsonDocument(array).toJson(QJsonDocument::Compact));
}

} // namespace trovi
