#include "indexer/FolderWatcher.h"

#include <QDeadlineTimer>

#include <poll.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

namespace trovi::indexer {

namespace {

constexpr uint32_t kEvents = IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO | IN_CLOSE_WRITE |
                             IN_ATTRIB | IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR |
                             IN_DONT_FOLLOW;

} // namespace

FolderWatcher::FolderWatcher(int quietMilliseconds, int maxDelayMilliseconds)
    : m_fd(inotify_init1(IN_NONBLOCK | IN_CLOEXEC)), m_quietMilliseconds(quietMilliseconds),
      m_maxDelayMilliseconds(maxDelayMilliseconds) {}

FolderWatcher::~FolderWatcher() {
    if (m_fd >= 0)
        ::close(m_fd);
}

void FolderWatcher::setFolders(const QList<QByteArray>& folders) {
    if (m_fd < 0)
        return;
    QHash<QByteArray, int> next;
    bool warned = false;
    for (const QByteArray& folder : folders) {
        // Adding an existing watch again returns the same descriptor.
        const int wd = inotify_add_watch(m_fd, folder.constData(), kEvents);
        if (wd >= 0) {
            next.insert(folder, wd);
        } else if (errno == ENOSPC && !warned) {
            // Past the per-user limit the rest are left to the next full pass.
            std::fputs("trovi-index: too many folders to watch "
                       "(fs.inotify.max_user_watches); some changes wait for the next pass\n",
                       stderr);
            warned = true;
        }
    }
    for (auto it = m_watches.cbegin(); it != m_watches.cend(); ++it)
        if (!next.contains(it.key()))
            inotify_rm_watch(m_fd, it.value());
    m_watches = std::move(next);
}

bool FolderWatcher::drain() {
    alignas(inotify_event) char buffer[16384];
    bool any = false;
    while (true) {
        const ssize_t got = ::read(m_fd, buffer, sizeof buffer);
        if (got <= 0)
            return any;
        any = true; // every event kind we asked for means "look again"
    }
}

bool FolderWatcher::waitForChanges(int stopFd) {
    QDeadlineTimer settleBy = QDeadlineTimer::Forever;
    QDeadlineTimer latest = QDeadlineTimer::Forever;
    while (true) {
        pollfd fds[2] = {{m_fd, POLLIN, 0}, {stopFd, POLLIN, 0}};
        const qint64 remaining = std::min(settleBy.remainingTime(), latest.remainingTime());
        const int timeout = remaining < 0 ? -1 : int(std::min<qint64>(remaining, 1 << 30));
        const int ready = poll(fds, 2, timeout);
        if (ready < 0 && errno != EINTR)
            return false;
        if (fds[1].revents)
            return false;
        if (ready > 0 && (fds[0].revents & POLLIN) && drain()) {
            settleBy = QDeadlineTimer(m_quietMilliseconds);
            if (latest.isForever())
                latest = QDeadlineTimer(m_maxDelayMilliseconds);
            continue;
        }
        if (!settleBy.isForever() && (settleBy.hasExpired() || latest.hasExpired()))
            return true;
    }
}

} // namespace trovi::indexer
