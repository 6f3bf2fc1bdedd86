#include "launcher/session/SessionScheduler.h"

#include <QTimer>

namespace trovi {

SessionScheduler::Handle EventLoopScheduler::runAfter(int milliseconds, std::function<void()> fn) {
    auto* timer = new QTimer;
    timer->setSingleShot(true);
    timer->setTimerType(Qt::PreciseTimer); // a 10 ms debounce must not become 15
    QObject::connect(timer, &QTimer::timeout, timer, std::move(fn));
    timer->start(milliseconds);
    // The handle may be dropped from inside the timer's own call.
    return Handle(timer, [](void* p) {
        auto* t = static_cast<QTimer*>(p);
        t->stop();
        t->deleteLater();
    });
}

} // namespace trovi
