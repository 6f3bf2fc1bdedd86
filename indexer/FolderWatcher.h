#pragma once
// Watches the indexed folders with inotify and says when a burst of changes
// has settled: after `quietMilliseconds` without events, or at the latest
// `maxDelayMilliseconds` after the first one, so a long copy is indexed in a
// few passes instead of one per file. A queue overflow counts as a change
// (the next pass walks everything anyway).

#include <QByteArray>
#include <QHash>
#include <QList>

namespace trovi::indexer {

class FolderWatcher {
public:
    FolderWatcher(int quietMilliseconds, int maxDelayMilliseconds);
    ~FolderWatcher();
    FolderWatcher(const FolderWatcher&) = delete;
    FolderWatcher& operator=(const FolderWatcher&) = delete;

    bool isValid() const { return m_fd >= 0; }
    // Watches exactly these folders (after each pass: new ones in, gone ones out).
    void setFolders(const QList<QByteArray>& folders);
    int watchCount() const { return int(m_watches.size()); }

    // Blocks until a burst has settled (true), or until `stopFd` becomes
    // readable (false).
    bool waitForChanges(int stopFd);

private:
    bool drain(); // true when an event arrived
    int m_fd = -1;
    int m_quietMilliseconds;
    int m_maxDelayMilliseconds;
    QHash<QByteArray, int> m_watches; // folder -> watch descriptor
};

} // namespace trovi::indexer
