#include "launcher/engine/sources/paths/ShortcutRootWatcher.h"

#include "launcher/engine/sources/paths/DirectoryWalker.h"

#include <QFileInfo>

namespace trovi {

QStringList watchableShortcutRoots(const QStringList& roots) {
    QStringList watchable;
    for (const QString& root : roots) {
        if (root.isEmpty())
            continue;
        const QString path = DirectoryWalker::standardisedPath(root);
        if (QFileInfo(path).isDir() && !watchable.contains(path))
            watchable << path;
    }
    return watchable;
}

} // namespace trovi
