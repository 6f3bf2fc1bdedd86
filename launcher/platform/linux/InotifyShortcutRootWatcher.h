#pragma once
// InotifyShortcutRootWatcher: watches the shortcut roots with inotify, one
// watch per subfolder (new ones added as they appear), on its own thread, and
// reports each burst of changes once after the coalescing delay.

#include "launcher/engine/sources/paths/ShortcutRootWatcher.h"

#include <atomic>
#include <memory>
#include <thread>

namespace trovi {

class InotifyShortcutRootWatcher final : public ShortcutRootWatcher {
public:
    // Matches ShortcutRootWatcherFactory.
    static std::unique_ptr<ShortcutRootWatcher>
    create(const QStringList& roots, double coalescingDelaySeconds, std::function<void()> onChange);

    ~InotifyShortcutRootWatcher() override;
    void stop() override;

    struct State;

private:
    explicit InotifyShortcutRootWatcher(std::shared_ptr<State> state);

    // Shared with the thread, so that a callback may stop or even destroy the
    // watcher without pulling the state from under the thread.
    std::shared_ptr<State> m_state;
    std::thread m_thread;
    std::atomic<bool> m_stopped{false};
};

} // namespace trovi
