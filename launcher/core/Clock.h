#pragma once
// Time comes in through a clock so that every rule that depends on it (time
// to live, cache expiry) can be tested without waiting.

#include <QDateTime>

#include <functional>

namespace trovi {

using Clock = std::function<QDateTime()>;

inline Clock systemClock() {
    return [] { return QDateTime::currentDateTimeUtc(); };
}

// Seconds between two instants as a real number (b - a).
inline double secondsBetween(const QDateTime& a, const QDateTime& b) {
    return double(a.msecsTo(b)) / 1000.0;
}

} // namespace trovi
