#pragma once
// A clock that moves only when the test moves it.

#include "launcher/core/Clock.h"

#include <QTimeZone>

namespace trovi::test {

struct ManualClock {
    QDateTime start = QDateTime(QDate(2026, 3, 1), QTime(12, 0), QTimeZone::utc());
    QDateTime now = start;

    // The instant `seconds` after the start, for dates written into stores.
    QDateTime at(double seconds) const { return start.addMSecs(qint64(seconds * 1000)); }
    void advance(double seconds) { now = now.addMSecs(qint64(seconds * 1000)); }
    Clock clock() {
        return [this] { return now; };
    }
};

} // namespace trovi::test
