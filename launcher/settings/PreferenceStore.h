#pragma once
// PreferenceStore: the launcher's user-defaults store. Typed values under
// string keys (bool, integer, real, string, bytes, date, string list, map);
// a value keeps its type, so reading a key as another type gives nothing.
// Implementations are thread-safe and write through on every change.

#include <QByteArray>
#include <QCborMap>
#include <QCborValue>
#include <QDateTime>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <unordered_map>

namespace trovi {

class PreferenceStore {
public:
    virtual ~PreferenceStore() = default;

    // Raw access. Values are CBOR so that their type survives storage:
    // integers stay integers, dates stay dates (tag 0/1), maps stay maps.
    virtual std::optional<QCborValue> value(const QString& key) const = 0;
    virtual void setValue(const QString& key, const QCborValue& value) = 0;
    virtual void remove(const QString& key) = 0;
    virtual QStringList keys() const = 0;

    // Read-modify-write with no other writer in between, in this process or
    // another: `change` gets the value stored now and returns the value to
    // store, or nothing to leave it. It must not call back into the store.
    using Change = std::function<std::optional<QCborValue>(const std::optional<QCborValue>&)>;
    virtual void update(const QString& key, const Change& change) = 0;

    // Typed reads: nothing when the key is absent or holds another type.
    std::optional<bool> boolValue(const QString& key) const;
    std::optional<qint64> integerValue(const QString& key) const;
    std::optional<double> realValue(const QString& key) const;
    std::optional<QString> stringValue(const QString& key) const;
    std::optional<QByteArray> bytesValue(const QString& key) const;
    std::optional<QDateTime> dateValue(const QString& key) const;
    std::optional<QStringList> stringListValue(const QString& key) const;
    std::optional<QCborMap> mapValue(const QString& key) const;

    void setBool(const QString& key, bool value);
    void setInteger(const QString& key, qint64 value);
    void setReal(const QString& key, double value);
    void setString(const QString& key, const QString& value);
    void setBytes(const QString& key, const QByteArray& value);
    void setDate(const QString& key, const QDateTime& value);
    void setStringList(const QString& key, const QStringList& value);
    void setMap(const QString& key, const QCborMap& value);

    // The process-wide store on the user's preference file (see
    // SqlitePreferenceStore::defaultPath()). Built on first use; if the file
    // cannot be opened at all, an in-memory store with one stderr line.
    static PreferenceStore& standard();
};

// A store that lives only as long as the object; for tests and fallbacks.
class InMemoryPreferenceStore final : public PreferenceStore {
public:
    std::optional<QCborValue> value(const QString& key) const override;
    void setValue(const QString& key, const QCborValue& value) override;
    void remove(const QString& key) override;
    QStringList keys() const override;
    void update(const QString& key, const Change& change) override;

private:
    mutable std::mutex m_mutex;
    std::unordered_map<QString, QCborValue> m_values;
};

} // namespace trovi
