#pragma once
// Watching the shortcut roots for changes. The engine only needs to know that
// something changed; platforms provide the watcher through a factory.

#include <QStringList>

#include <functional>
#include <memory>

namespace trovi {

class ShortcutRootWatcher {
public:
    virtual ~ShortcutRootWatcher() = default;
    virtual void stop() = 0;
};

// Returns nullptr when no root can be watched. `onChange` may be called from
// the watcher's own thread, once per burst of changes.
using ShortcutRootWatcherFactory = std::function<std::unique_ptr<ShortcutRootWatcher>(
    const QStringList& roots, double coalescingDelaySeconds, std::function<void()> onChange)>;

} // namespace trovi
