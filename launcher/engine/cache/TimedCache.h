#pragma once
// Values by key with their store time: an entry is fresh for `timeToLive`
// seconds and dropped when found stale; past `maxEntries` the oldest entries
// go first (equal times by key, so eviction does not depend on hash order).

#include "launcher/core/Clock.h"

#include <QDateTime>
#include <QHash>
#include <QList>
#include <QString>

#include <algorithm>
#include <optional>
#include <utility>

namespace trovi {

template <typename Value> class TimedCache {
public:
    TimedCache(double timeToLive, qsizetype maxEntries)
        : m_timeToLive(timeToLive), m_maxEntries(maxEntries) {}

    std::optional<Value> lookup(const QString& key, const QDateTime& now) {
        const auto it = m_entries.find(key);
        if (it == m_entries.end())
            return std::nullopt;
        if (secondsBetween(it->storedAt, now) > m_timeToLive) {
            m_entries.erase(it);
            return std::nullopt;
        }
        return it->value;
    }

    void store(const QString& key, Value value, const QDateTime& now) {
        m_entries.insert(key, Entry{std::move(value), now});
        if (m_entries.size() <= m_maxEntries)
            return;
        QList<std::pair<QDateTime, QString>> byAge;
        byAge.reserve(m_entries.size());
        for (auto it = m_entries.cbegin(); it != m_entries.cend(); ++it)
            byAge.append({it->storedAt, it.key()});
        std::sort(byAge.begin(), byAge.end());
        for (qsizetype i = 0; m_entries.size() > m_maxEntries && i < byAge.size(); ++i)
            m_entries.remove(byAge.at(i).second);
    }

    void remove(const QString& key) { m_entries.remove(key); }
    void clear() { m_entries.clear(); }
    qsizetype size() const { return m_entries.size(); }

private:
    struct Entry {
        Value value;
        QDateTime storedAt;
    };
    double m_timeToLive;
    qsizetype m_maxEntries;
    QHash<QString, Entry> m_entries;
};

} // namespace trovi
