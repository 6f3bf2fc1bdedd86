#include "launcher/platform/linux/InotifyShortcutRootWatcher.h"

#include "launcher/engine/sources/paths/CatalogDiscovery.h"
#include "launcher/engine/sources/paths/DirectoryWalker.h"

#include <QFile>

#include <poll.h>
#include <sys/eventfd.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace trovi {

namespace {

using SteadyClock = std::chrono::steady_clock;

// Creation, removal and renames change the catalogue; a finished write can
// change a link file's address. The *_SELF events tell when a watched folder
// itself goes away.
constexpr uint32_t kWatchMask = IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO |
                                IN_CLOSE_WRITE | IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR;
// A root's parent is watched only for the root coming back (a sync folder
// deleted and created again). Added to whatever mask the folder already has.
constexpr uint32_t kParentMask = IN_CREATE | IN_MOVED_TO | IN_ONLYDIR | IN_MASK_ADD;

// Folders the shortcut walk never enters: changes inside them cannot change
// the catalogue, and node_modules-like trees would use up the watch limit.
bool isIgnoredFolderName(const QString& name) {
    static const QSet<QString> excluded = defaultExcludedFolderNames();
    return name.startsWith(u'.') || excluded.contains(name.toLower()) ||
           isPackageDirectoryName(name);
}

bool startsWithFolder(const std::string& path, const std::string& folder) {
    return path.size() > folder.size() && path.compare(0, folder.size(), folder) == 0 &&
           path[folder.size()] == '/';
}

} // namespace

struct InotifyShortcutRootWatcher::State {
    int inotifyFd = -1;
    int wakeFd = -1;
    std::vector<std::string> roots;
    SteadyClock::duration delay{};
    std::function<void()> onChange;
    std::atomic<bool> stopping{false};

    // Touched only by the constructing thread before the watcher thread
    // starts, then only by the watcher thread.
    std::unordered_map<int, std::string> watches;
    std::unordered_map<int, std::string> parentWatches;
    bool reportedLimit = false;

    ~State() {
        if (inotifyFd >= 0)
            ::close(inotifyFd);
        if (wakeFd >= 0)
            ::close(wakeFd);
    }

    bool addWatch(const std::string& path, bool isRoot) {
        const uint32_t mask = isRoot ? kWatchMask : (kWatchMask | IN_DONT_FOLLOW);
        const int wd = ::inotify_add_watch(inotifyFd, path.c_str(), mask);
        if (wd < 0) {
            if (errno == ENOSPC && !reportedLimit) {
                reportedLimit = true;
                std::fprintf(stderr, "Shortcut folder watching is incomplete: the system's inotify "
                                     "watch limit was reached; the catalogue still refreshes every "
                                     "few minutes.\n");
            }
            return false;
        }
        watches[wd] = path;
        return true;
    }

    // Watches a folder and every folder below it that the catalogue can see.
    bool addTree(const std::string& path, bool isRoot) {
        if (!addWatch(path, isRoot))
            return false;
        DirectoryWalker::walk(QFile::decodeName(QByteArray::fromStdString(path)), 0,
                              [this](const DirectoryEntry& entry) {
                                  if (entry.type() != DirectoryEntryType::directory ||
                                      isIgnoredFolderName(entry.name()))
                                      return WalkAction::skipDescendants;
                                  return addWatch(entry.pathUtf8(), false)
                                             ? WalkAction::descend
                                             : WalkAction::skipDescendants;
                              });
        return true;
    }

    void addParentWatch(const std::string& root) {
        const std::string::size_type slash = root.rfind('/');
        if (slash == std::string::npos)
            return;
        const std::string parent = slash == 0 ? std::string("/") : root.substr(0, slash);
        const int wd = ::inotify_add_watch(inotifyFd, parent.c_str(), kParentMask);
        if (wd >= 0)
            parentWatches[wd] = parent;
    }

    void removeTree(const std::string& path) {
        for (auto it = watches.begin(); it != watches.end();) {
            if (it->second == path || startsWithFolder(it->second, path)) {
                // A shared watch keeps serving the parent.
                if (!parentWatches.contains(it->first))
                    ::inotify_rm_watch(inotifyFd, it->first);
                it = watches.erase(it);
            } else {
                ++it;
            }
        }
    }

    bool isRoot(const std::string& path) const {
        for (const std::string& root : roots)
            if (root == path)
                return true;
        return false;
    }

    // Reads every queued event; returns whether any of them is a change.
    bool drainEvents() {
        alignas(struct inotify_event) char buffer[64 * 1024];
        bool changed = false;
        bool rescan = false;
        while (true) {
            const ssize_t length = ::read(inotifyFd, buffer, sizeof buffer);
            if (length <= 0)
                break; // EAGAIN: drained
            for (ssize_t offset = 0; offset < length;) {
                const auto* event = reinterpret_cast<const struct inotify_event*>(buffer + offset);
                offset += ssize_t(sizeof(struct inotify_event) + event->len);
                changed = handle(*event, rescan) || changed;
            }
        }
        if (rescan) // events were lost, folders created meanwhile among them
            for (const std::string& root : roots)
                addTree(root, true);
        return changed;
    }

    bool handle(const struct inotify_event& event, bool& rescan) {
        if (event.mask & IN_Q_OVERFLOW) {
            rescan = true;
            return true;
        }
        if (event.mask & IN_IGNORED) {
            watches.erase(event.wd);
            parentWatches.erase(event.wd);
            return false;
        }
        bool rootReappeared = false;
        if (const auto parent = parentWatches.find(event.wd);
            parent != parentWatches.end() && (event.mask & IN_ISDIR) &&
            (event.mask & (IN_CREATE | IN_MOVED_TO)) && event.len > 0) {
            const std::string child =
                (parent->second == "/" ? std::string() : parent->second) + '/' + event.name;
            if (isRoot(child))
                rootReappeared = addTree(child, true);
        }
        const auto it = watches.find(event.wd);
        if (it == watches.end())
            return rootReappeared || !parentWatches.contains(event.wd);
        const std::string folder = it->second;
        if ((event.mask & IN_MOVE_SELF) && isRoot(folder))
            removeTree(folder); // the root now lives elsewhere
        if ((event.mask & IN_ISDIR) && event.len > 0) {
            const std::string child = folder + '/' + event.name;
            if (event.mask & IN_MOVED_FROM)
                removeTree(child);
            if ((event.mask & (IN_CREATE | IN_MOVED_TO)) &&
                !isIgnoredFolderName(QFile::decodeName(event.name)))
                addTree(child, false);
        }
        return true;
    }

    void run() {
        std::optional<SteadyClock::time_point> deadline;
        while (!stopping.load()) {
            int timeout = -1;
            if (deadline) {
                const auto left = *deadline - SteadyClock::now();
                timeout = left <= SteadyClock::duration::zero()
                              ? 0
                              : int(std::chrono::ceil<std::chrono::milliseconds>(left).count());
            }
            struct pollfd fds[2] = {{wakeFd, POLLIN, 0}, {inotifyFd, POLLIN, 0}};
            const int ready = ::poll(fds, 2, timeout);
            if (ready < 0 && errno != EINTR)
                return;
            if (stopping.load() || (fds[0].revents & POLLIN))
                return;
            if ((fds[1].revents & POLLIN) && drainEvents())
                deadline = SteadyClock::now() + delay;
            if (fds[1].revents & (POLLERR | POLLHUP | POLLNVAL))
                return;
            if (deadline && SteadyClock::now() >= *deadline) {
                deadline.reset();
                if (!stopping.load() && onChange)
                    onChange();
            }
        }
    }
};

InotifyShortcutRootWatcher::InotifyShortcutRootWatcher(std::shared_ptr<State> state)
    : m_state(std::move(state)) {
    m_thread = std::thread([state = m_state] { state->run(); });
}

InotifyShortcutRootWatcher::~InotifyShortcutRootWatcher() {
    stop();
}

std::unique_ptr<ShortcutRootWatcher>
InotifyShortcutRootWatcher::create(const QStringList& roots, double coalescingDelaySeconds,
                                   std::function<void()> onChange) {
    const QStringList watchable = watchableShortcutRoots(roots);
    if (watchable.isEmpty())
        return nullptr;
    auto state = std::make_shared<State>();
    state->inotifyFd = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    state->wakeFd = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    if (state->inotifyFd < 0 || state->wakeFd < 0)
        return nullptr;
    state->delay = std::chrono::duration_cast<SteadyClock::duration>(
        std::chrono::duration<double>(std::max(0.0, coalescingDelaySeconds)));
    state->onChange = std::move(onChange);
    for (const QString& root : watchable)
        state->roots.push_back(QFile::encodeName(root).toStdString());
    bool watchingAny = false;
    for (const std::string& root : state->roots) {
        watchingAny = state->addTree(root, true) || watchingAny;
        state->addParentWatch(root);
    }
    if (!watchingAny)
        return nullptr;
    return std::unique_ptr<ShortcutRootWatcher>(new InotifyShortcutRootWatcher(std::move(state)));
}

void InotifyShortcutRootWatcher::stop() {
    if (m_stopped.exchange(true))
        return;
    m_state->stopping.store(true);
    const uint64_t one = 1;
    [[maybe_unused]] const ssize_t written = ::write(m_state->wakeFd, &one, sizeof one);
    if (m_thread.get_id() == std::this_thread::get_id())
        m_thread.detach(); // called from onChange: the thread ends when it returns
    else if (m_thread.joinable())
        m_thread.join();
}

} // namespace trovi
