#include "indexer/DocumentWalker.h"

#include "launcher/core/NativePath.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <memory>

namespace trovi::indexer {

namespace {

// Deep enough for any real tree, shallow enough to stop a runaway one.
constexpr int kMaxDepth = 64;

QByteArray realPath(const QByteArray& path) {
    char buffer[PATH_MAX];
    return ::realpath(path.constData(), buffer) ? QByteArray(buffer) : QByteArray();
}

FileStamp stampOf(const struct stat& st) {
    return {
        std::int64_t(st.st_size), std::int64_t(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec,
        std::int64_t(st.st_ctim.tv_sec) * 1000000000 + st.st_ctim.tv_nsec, std::int64_t(st.st_ino)};
}

struct DirCloser {
    void operator()(DIR* dir) const { closedir(dir); }
};

} // namespace

bool DocumentWalker::isSkippedFolder(QByteArrayView name) {
    static const QList<QByteArrayView> names{
        "node_modules", "__pycache__", "build",      "_build",        "target",
        "venv",         "env",         "CMakeFiles", "site-packages", "bower_components",
        "__MACOSX",     "lost+found"};
    return names.contains(name) || name.startsWith("cmake-build-");
}

DocumentWalker::DocumentWalker(const QStringList& roots, Reporter reporter)
    : m_reporter(std::move(reporter)) {
    QList<QByteArray> real;
    for (const QString& root : roots) {
        const QByteArray path = realPath(encodedPath(root));
        if (!path.isEmpty() && !real.contains(path))
            real << path;
    }
    // Nested roots: the outer one covers the inner one.
    for (const QByteArray& path : real) {
        const bool nested = std::any_of(real.cbegin(), real.cend(), [&](const QByteArray& other) {
            return other != path && (path.startsWith(QByteArray(other + '/')) || other == "/");
        });
        if (!nested)
            m_roots << path;
    }
}

bool DocumentWalker::insideRoots(const QByteArray& path) const {
    return std::any_of(m_roots.cbegin(), m_roots.cend(), [&](const QByteArray& root) {
        return path == root || path.startsWith(QByteArray(root + '/')) || root == "/";
    });
}

std::vector<FoundFile> DocumentWalker::walk() const {
    m_folders.clear();
    std::vector<FoundFile> files;
    for (const QByteArray& root : m_roots)
        walkFolder(root, files, 0);
    return files;
}

void DocumentWalker::walkFolder(const QByteArray& folder, std::vector<FoundFile>& out,
                                int depth) const {
    if (depth > kMaxDepth)
        return;
    const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return; // unreadable folders are not ours to index
    std::unique_ptr<DIR, DirCloser> dir(fdopendir(fd));
    if (!dir) {
        ::close(fd);
        return;
    }
    m_folders << folder;
    const QString directory = decodedPath(folder);
    QList<QByteArray> subfolders;
    while (const dirent* entry = readdir(dir.get())) {
        const QByteArrayView name(entry->d_name);
        if (name.startsWith('.'))
            continue; // hidden, and "." and ".."
        struct stat st;
        if (fstatat(fd, entry->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0)
            continue;
        const QByteArray path = folder + '/' + name.toByteArray();
        QByteArray readPath = path;
        if (S_ISLNK(st.st_mode)) {
            // Only links to files inside the roots; a linked folder inside
            // them is walked at its real place.
            readPath = realPath(path);
            if (readPath.isEmpty() || !insideRoots(readPath) ||
                stat(readPath.constData(), &st) != 0 || !S_ISREG(st.st_mode))
                continue;
        }
        if (S_ISDIR(st.st_mode)) {
            if (!isSkippedFolder(name))
                subfolders << path;
            continue;
        }
        if (!S_ISREG(st.st_mode)) {
            m_reporter(decodedPath(path) + QStringLiteral(": not a regular file, skipped"));
            continue;
        }
        out.push_back({directory, decodedPath(name), readPath, stampOf(st)});
    }
    dir.reset();
    for (const QByteArray& subfolder : subfolders)
        walkFolder(subfolder, out, depth + 1);
}

} // namespace trovi::indexer
