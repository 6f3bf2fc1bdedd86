#pragma once
// TimedCatalog: a catalogue's contents with the time it was last refreshed and
// how long that stays fresh.

#include "launcher/core/Clock.h"

#include <QDateTime>

#include <optional>
#include <utility>

namespace trovi {

template <typename T> struct TimedCatalog {
    T value{};
    std::optional<QDateTime> refreshedAt;
    double timeToLive = 0;

    // Never refreshed, or older than its time to live (strictly).
    bool isStale(const QDateTime& now) const {
        return !refreshedAt || secondsBetween(*refreshedAt, now) > timeToLive;
    }
    void adopt(T delivered, const QDateTime& now) {
        value = std::move(delivered);
        refreshedAt = now;
    }
    // Stale from now on; the contents stay until replaced.
    void markStale() { refreshedAt.reset(); }
};

} // namespace trovi
