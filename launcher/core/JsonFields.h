#pragma once
// Strict readers for fields of stored JSON records. A required field that is
// missing or of the wrong type makes the record unreadable; an optional field
// may be missing or null, but a value of the wrong type is still an error.

#include <QByteArray>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>
#include <QString>

#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>

namespace trovi::json {

// The document in JSON text; a null document when the text does not parse.
inline QJsonDocument parsedDocument(const QByteArray& bytes) {
    QJsonParseError error;
    QJsonDocument document = QJsonDocument::fromJson(bytes, &error);
    return error.error == QJsonParseError::NoError ? document : QJsonDocument();
}

// The array or object stored as JSON text; nothing when the text does not
// parse or holds the other kind of document.
inline std::optional<QJsonArray> arrayFromBytes(const QByteArray& bytes) {
    const QJsonDocument document = parsedDocument(bytes);
    return document.isArray() ? std::optional(document.array()) : std::nullopt;
}

inline std::optional<QJsonObject> objectFromBytes(const QByteArray& bytes) {
    const QJsonDocument document = parsedDocument(bytes);
    return document.isObject() ? std::optional(document.object()) : std::nullopt;
}

// A field read: `ok` is false when the record must be rejected.
template <typename T> struct Field {
    bool ok = false;
    std::optional<T> value;
};

// Integers are exact up to 64 bits; an integral real number within range is
// accepted as well, anything fractional is not.
inline std::optional<std::int64_t> toInteger(const QJsonValue& value) {
    if (!value.isDouble())
        return std::nullopt;
    constexpr qint64 kSentinel = std::numeric_limits<qint64>::min();
    const qint64 integer = value.toInteger(kSentinel);
    if (integer != kSentinel)
        return integer;
    const double real = value.toDouble();
    if (real == -9223372036854775808.0)
        return kSentinel;
    return std::nullopt;
}

inline std::optional<std::int64_t> requiredInteger(const QJsonObject& object, const QString& key) {
    return toInteger(object.value(key));
}

inline std::optional<QString> requiredString(const QJsonObject& object, const QString& key) {
    const QJsonValue value = object.value(key);
    if (!value.isString())
        return std::nullopt;
    return value.toString();
}

inline std::optional<bool> requiredBool(const QJsonObject& object, const QString& key) {
    const QJsonValue value = object.value(key);
    if (!value.isBool())
        return std::nullopt;
    return value.toBool();
}

// Real number, for stored dates.
inline std::optional<double> requiredReal(const QJsonObject& object, const QString& key) {
    const QJsonValue value = object.value(key);
    if (!value.isDouble() || !std::isfinite(value.toDouble()))
        return std::nullopt;
    return value.toDouble();
}

inline Field<std::int64_t> optionalInteger(const QJsonObject& object, const QString& key) {
    const QJsonValue value = object.value(key);
    if (value.isUndefined() || value.isNull())
        return {true, std::nullopt};
    const auto integer = toInteger(value);
    return {integer.has_value(), integer};
}

inline Field<QString> optionalString(const QJsonObject& object, const QString& key) {
    const QJsonValue value = object.value(key);
    if (value.isUndefined() || value.isNull())
        return {true, std::nullopt};
    if (!value.isString())
        return {false, std::nullopt};
    return {true, value.toString()};
}

} // namespace trovi::json
