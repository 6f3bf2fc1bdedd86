#pragma once
// SessionScheduler: one-shot timers on the controller's thread. The debounce
// goes through it, so tests run it by hand instead of waiting.

#include <functional>
#include <memory>

namespace trovi {

class SessionScheduler {
public:
    // Dropping the last copy cancels the call if it has not run yet.
    using Handle = std::shared_ptr<void>;

    virtual ~SessionScheduler() = default;
    virtual Handle runAfter(int milliseconds, std::function<void()> fn) = 0;
};

// Qt timers on the calling thread's event loop.
class EventLoopScheduler : public SessionScheduler {
public:
    Handle runAfter(int milliseconds, std::function<void()> fn) override;
};

} // namespace trovi
