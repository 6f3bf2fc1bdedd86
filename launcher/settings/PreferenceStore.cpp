#include "launcher/settings/PreferenceStore.h"

#include "launcher/settings/SqlitePreferenceStore.h"

#include <QCborArray>

#include <cstdio>

namespace trovi {

std::optional<bool> PreferenceStore::boolValue(const QString& key) const {
    auto v = value(key);
    if (v && v->isBool())
        return v->toBool();
    return std::nullopt;
}

std::optional<qint64> PreferenceStore::integerValue(const QString& key) const {
    auto v = value(key);
    if (v && v->isInteger())
        return v->toInteger();
    return std::nullopt;
}

std::optional<double> PreferenceStore::realValue(const QString& key) const {
    auto v = value(key);
    if (v && v->isDouble())
        return v->toDouble();
    return std::nullopt;
}

std::optional<QString> PreferenceStore::stringValue(const QString& key) const {
    auto v = value(key);
    if (v && v->isString())
        return v->toString();
    return std::nullopt;
}

std::optional<QByteArray> PreferenceStore::bytesValue(const QString& key) const {
    auto v = value(key);
    if (v && v->isByteArray())
        return v->toByteArray();
    return std::nullopt;
}

std::optional<QDateTime> PreferenceStore::dateValue(const QString& key) const {
    auto v = value(key);
    if (v && v->isDateTime()) {
        QDateTime date = v->toDateTime();
        if (date.isValid())
            return date;
    }
    return std::nullopt;
}

std::optional<QStringList> PreferenceStore::stringListValue(const QString& key) const {
    auto v = value(key);
    if (!v || !v->isArray())
        return std::nullopt;
    QStringList list;
    for (const QCborValue& item : v->toArray()) {
        if (!item.isString())
            return std::nullopt;
        list.append(item.toString());
    }
    return list;
}

std::optional<QCborMap> PreferenceStore::mapValue(const QString& key) const {
    auto v = value(key);
    if (v && v->isMap())
        return v->toMap();
    return std::nullopt;
}

void PreferenceStore::setBool(const QString& key, bool v) {
    setValue(key, QCborValue(v));
}
void PreferenceStore::setInteger(const QString& key, qint64 v) {
    setValue(key, QCborValue(v));
}
void PreferenceStore::setReal(const QString& key, double v) {
    setValue(key, QCborValue(v));
}
void PreferenceStore::setString(const QString& key, const QString& v) {
    setValue(key, QCborValue(v));
}
void PreferenceStore::setBytes(const QString& key, const QByteArray& v) {
    setValue(key, QCborValue(v));
}
void PreferenceStore::setDate(const QString& key, const QDateTime& v) {
    setValue(key, QCborValue(v));
}
void PreferenceStore::setStringList(const QString& key, const QStringList& v) {
    setValue(key, QCborArray::fromStringList(v));
}
void PreferenceStore::setMap(const QString& key, const QCborMap& v) {
    setValue(key, v);
}

PreferenceStore& PreferenceStore::standard() {
    // Built once, thread-safe by the static's initialisation guarantee. Never
    // destroyed: threads still finishing at exit may write to it.
    static PreferenceStore* const store = []() -> PreferenceStore* {
        QString error;
        if (auto sqlite = SqlitePreferenceStore::open(SqlitePreferenceStore::defaultPath(), &error))
            return sqlite.release();
        std::fprintf(stderr, "%s; preferences will not be kept after quitting\n",
                     error.toLocal8Bit().constData());
        return new InMemoryPreferenceStore;
    }();
    return *store;
}

std::optional<QCborValue> InMemoryPreferenceStore::value(const QString& key) const {
    std::lock_guard lock(m_mutex);
    auto it = m_values.find(key);
    if (it == m_values.end())
        return std::nullopt;
    return it->second;
}

void InMemoryPreferenceStore::setValue(const QString& key, const QCborValue& v) {
    std::lock_guard lock(m_mutex);
    m_values[key] = v;
}

void InMemoryPreferenceStore::remove(const QString& key) {
    std::lock_guard lock(m_mutex);
    m_values.erase(key);
}

void InMemoryPreferenceStore::update(const QString& key, const Change& change) {
    std::lock_guard lock(m_mutex);
    auto it = m_values.find(key);
    auto changed = change(it == m_values.end() ? std::nullopt : std::optional(it->second));
    if (changed)
        m_values[key] = std::move(*changed);
}

QStringList InMemoryPreferenceStore::keys() const {
    std::lock_guard lock(m_mutex);
    QStringList result;
    for (const auto& [key, v] : m_values)
        result.append(key);
    result.sort();
    return result;
}

} // namespace trovi
