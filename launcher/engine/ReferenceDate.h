#pragma once
// Stored dates are seconds since 2001-01-01 00:00:00 UTC, as real numbers.

#include <QDateTime>
#include <QTimeZone>

namespace trovi {

inline constexpr qint64 kReferenceDateUnixSeconds = 978307200;

inline double toReferenceSeconds(const QDateTime& date) {
    return double(date.toMSecsSinceEpoch()) / 1000.0 - double(kReferenceDateUnixSeconds);
}

inline QDateTime fromReferenceSeconds(double seconds) {
    return QDateTime::fromMSecsSinceEpoch(
        qint64((seconds + double(kReferenceDateUnixSeconds)) * 1000.0), QTimeZone::UTC);
}

} // namespace trovi
