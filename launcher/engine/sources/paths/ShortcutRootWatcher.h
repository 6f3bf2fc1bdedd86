#pragma once
// ShortcutRootWatcher: the interface of a service that watches the shortcut
// roots recursively and reports, coalesced, that something below them changed;
// the factory type the engine is given, and the reduction of roots to watch.

#include <QStringList>

#include <functional>
#include <memory>

namespace trovi {

class ShortcutRootWatcher {
public:
    virtual ~ShortcutRootWatcher() = default;
    // Ends watching. No callback starts after it returns (a callback that is
    // itself calling stop() finishes normally). Also done on destruction.
    virtual void stop() = 0;
};

// Starts watching at once. onChange runs once per burst of changes, the
// coalescing delay after the last one, possibly on the watcher's own thread.
// Returns nullptr when none of the roots can be watched.
using ShortcutRootWatcherFactory = std::function<std::unique_ptr<ShortcutRootWatcher>(
    const QStringList& roots, double coalescingDelaySeconds, std::function<void()> onChange)>;

// The roots worth watching, in order: standardised paths of existing folders
// (links followed), exact duplicates dropped.
QStringList watchableShortcutRoots(const QStringList& roots);

} // namespace trovi
