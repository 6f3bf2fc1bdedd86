#pragma once
// Stored dates are seconds since 2001-01-01 00:00:00 UTC, as real numbers.

#include <QDateTime>
#include <QTimeZone>

#include <cmath>

namespace trovi {

inline constexpr qint64 kReferenceDateUnixSeconds = 978307200;

inline double toReferenceSeconds(const QDateTime& date) {
    return double(date.toMSecsSinceEpoch()) / 1000.0 - double(kReferenceDateUnixSeconds);
}

// An invalid date for values no clock could produce (not finite, or beyond
// about ±290 million years), which would otherwise overflow the conversion.
inline QDateTime fromReferenceSeconds(double seconds) {
    if (!std::isfinite(seconds) || std::abs(seconds) > 9.0e15)
        return {};
    // Rounded, not truncated: a stored 7.123 may read back as 7.12299999…
    const double msecs = (seconds + double(kReferenceDateUnixSeconds)) * 1000.0;
    return QDateTime::fromMSecsSinceEpoch(std::llround(msecs), QTimeZone::utc());
}

} // namespace trovi
