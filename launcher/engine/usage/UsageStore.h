#pragma once
// UsageStore: what the launcher has learned from use. Open counts per usage
// key and the recent-activation history, both loaded lazily from the
// preference store and written through on every change. Not thread-safe: the
// engine owns it and calls it from its own thread only.

#include "launcher/engine/usage/RecentActivationRecord.h"

#include <QCborValue>
#include <QHash>
#include <QList>
#include <QString>

#include <cstdint>
#include <functional>
#include <optional>

namespace trovi {

class PreferenceStore;

class UsageStore {
public:
    static constexpr int recentActivationsMaxEntries = 80;

    explicit UsageStore(PreferenceStore& store,
                        QString usageStoreKey = QStringLiteral("launcherPathOpenCounts"));

    QString usageStoreKey() const { return m_usageStoreKey; }
    QString recentActivationsStoreKey() const { return m_recentActivationsStoreKey; }

    // Open counts, keyed by the lower-cased usage key. A missing key counts 0.
    std::int64_t count(const QString& key);
    void setCount(const QString& key, std::int64_t count);
    void increment(const QString& key);
    const QHash<QString, std::int64_t>& openCounts();

    // Newest first.
    const QList<RecentActivationRecord>& recentActivations();

    // Replaces any record with the same usage key (compared lower-cased;
    // records of unknown kind never match), puts the new one in front, keeps
    // at most maxEntries and writes the history.
    void storeRecentActivation(const RecentActivationRecord& record,
                               int maxEntries = recentActivationsMaxEntries);

private:
    void loadOpenCountsIfNeeded();
    void changeOpenCount(const QString& key,
                         const std::function<std::int64_t(std::int64_t)>& change);
    static std::optional<QHash<QString, std::int64_t>>
    decodedOpenCounts(const std::optional<QCborValue>& stored);
    void loadRecentActivationsIfNeeded();
    static QList<RecentActivationRecord>
    decodedRecentActivations(const std::optional<QCborValue>& stored);

    PreferenceStore& m_store;
    QString m_usageStoreKey;
    QString m_recentActivationsStoreKey;

    QHash<QString, std::int64_t> m_openCounts;
    bool m_hasLoadedOpenCounts = false;

    QList<RecentActivationRecord> m_recentActivations;
    bool m_hasLoadedRecentActivations = false;
};

} // namespace trovi
