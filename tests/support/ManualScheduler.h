#pragma once
// A hand-driven scheduler and clock for the launcher session: timers run only
// when the test advances time.

#include "launcher/session/SessionScheduler.h"

#include <QDateTime>
#include <QTimeZone>

#include <algorithm>
#include <vector>

namespace trovi::test {

class ManualScheduler : public SessionScheduler {
public:
    QDateTime now = QDateTime(QDate(2026, 3, 1), QTime(12, 0), QTimeZone::utc());

    Handle runAfter(int milliseconds, std::function<void()> fn) override {
        auto alive = std::make_shared<bool>(true);
        m_pending.push_back({now.addMSecs(milliseconds), m_order++, alive, std::move(fn)});
        return alive;
    }

    // Moves the clock on, running every timer that falls due on the way.
    void advance(qint64 milliseconds) {
        const QDateTime until = now.addMSecs(milliseconds);
        for (;;) {
            auto due = std::min_element(m_pending.begin(), m_pending.end(), [](auto& a, auto& b) {
                return std::pair(a.due, a.order) < std::pair(b.due, b.order);
            });
            if (due == m_pending.end() || due->due > until)
                break;
            Timer timer = std::move(*due);
            m_pending.erase(due);
            now = timer.due;
            if (auto alive = timer.alive.lock())
                timer.fn();
        }
        now = until;
    }

    Clock clock() {
        return [this] { return now; };
    }

private:
    struct Timer {
        QDateTime due;
        quint64 order;
        std::weak_ptr<void> alive;
        std::function<void()> fn;
    };
    std::vector<Timer> m_pending;
    quint64 m_order = 0;
};

} // namespace trovi::test
