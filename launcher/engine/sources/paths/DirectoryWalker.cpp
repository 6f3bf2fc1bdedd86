#include "launcher/engine/sources/paths/DirectoryWalker.h"

#include "launcher/core/NativePath.h"

#include <QDir>
#include <QFile>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <memory>
#include <vector>

namespace trovi {

namespace {

// Every open folder on the current branch holds a descriptor; a tree nested
// deeper than this is cut rather than risking the process's descriptor limit.
constexpr int kDepthCap = 256;
constexpr std::size_t kListingBufferSize = 32 * 1024;

DirectoryEntryType typeFromMode(mode_t mode) {
    if (S_ISDIR(mode))
        return DirectoryEntryType::directory;
    if (S_ISREG(mode))
        return DirectoryEntryType::file;
    if (S_ISLNK(mode))
        return DirectoryEntryType::symlink;
    return DirectoryEntryType::other;
}

std::optional<DirectoryEntryType> typeFromListing(unsigned char dtype) {
    switch (dtype) {
    case DT_DIR:
        return DirectoryEntryType::directory;
    case DT_REG:
        return DirectoryEntryType::file;
    case DT_LNK:
        return DirectoryEntryType::symlink;
    case DT_UNKNOWN:
        return std::nullopt;
    default:
        return DirectoryEntryType::other;
    }
}

bool isDotOrDotDot(const char* name) {
    return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

// Reads one folder's listing: getdents64 straight into a reusable buffer on
// Linux, readdir elsewhere. Names handed out stay valid until the next call.
class ListingReader {
public:
#ifdef __linux__
    ListingReader(int fd, char* buffer) : m_fd(fd), m_buffer(buffer) {}
    ~ListingReader() {
        ::close(m_fd);
    }

    bool next(const char*& name, unsigned char& dtype) {
        while (true) {
            if (m_offset >= m_filled) {
                const ssize_t n = ::getdents64(m_fd, m_buffer, kListingBufferSize);
                if (n <= 0)
                    return false;
                m_filled = std::size_t(n);
                m_offset = 0;
            }
            const auto* entry = reinterpret_cast<const struct dirent64*>(m_buffer + m_offset);
            m_offset += entry->d_reclen;
            if (isDotOrDotDot(entry->d_name))
                continue;
            name = entry->d_name;
            dtype = entry->d_type;
            return true;
        }
    }

private:
    int m_fd;
    char* m_buffer;
    std::size_t m_filled = 0;
    std::size_t m_offset = 0;
#else
    ListingReader(int fd, char*) : m_dir(::fdopendir(fd)) {
        if (!m_dir)
            ::close(fd);
    }
    ~ListingReader() {
        if (m_dir)
            ::closedir(m_dir);
    }

    bool next(const char*& name, unsigned char& dtype) {
        if (!m_dir)
            return false;
        while (const struct dirent* entry = ::readdir(m_dir)) {
            if (isDotOrDotDot(entry->d_name))
                continue;
            name = entry->d_name;
            dtype = entry->d_type;
            return true;
        }
        return false;
    }

private:
    DIR* m_dir;
#endif
};

} // namespace

struct DirectoryEntry::Folder {
    int fd = -1;
    std::string pathUtf8;
    mutable std::optional<QString> path;

    const QString& decodedPath() const {
        if (!path)
            path = trovi::decodedPath(QByteArrayView(pathUtf8.data(), qsizetype(pathUtf8.size())));
        return *path;
    }
};

QString DirectoryEntry::name() const {
    return decodedPath(QByteArrayView(m_name.data(), qsizetype(m_name.size())));
}

const QString& DirectoryEntry::parentPath() const {
    return m_folder.decodedPath();
}

QString DirectoryEntry::path() const {
    const QString& parent = parentPath();
    if (parent == u"/")
        return u'/' + name();
    return parent + u'/' + name();
}

std::string DirectoryEntry::pathUtf8() const {
    std::string result = m_folder.pathUtf8;
    if (result != "/")
        result += '/';
    result.append(m_name);
    return result;
}

std::optional<DirectoryEntryType> DirectoryEntry::followedType() const {
    if (m_type != DirectoryEntryType::symlink)
        return m_type;
    struct stat st {};
    // The name is NUL-terminated inside the listing buffer.
    if (::fstatat(m_folder.fd, m_name.data(), &st, 0) != 0)
        return std::nullopt;
    return typeFromMode(st.st_mode);
}

namespace {

struct WalkState {
    int maxDepth;
    const DirectoryWalker::Visitor& visit;
    std::vector<std::unique_ptr<char[]>> buffers;

    char* bufferFor(int depth) {
        while (int(buffers.size()) <= depth)
            buffers.push_back(std::make_unique<char[]>(kListingBufferSize));
        return buffers[std::size_t(depth)].get();
    }
};

} // namespace

struct DirectoryWalkImpl {
    static void walkFolder(WalkState& state, const DirectoryEntry::Folder& folder,
                           int folderDepth) {
        ListingReader reader(folder.fd, state.bufferFor(folderDepth));
        const int depth = folderDepth + 1;
        const bool mayDescend =
            (state.maxDepth <= 0 || depth < state.maxDepth) && depth < kDepthCap;
        const char* name = nullptr;
        unsigned char dtype = DT_UNKNOWN;
        while (reader.next(name, dtype)) {
            std::optional<DirectoryEntryType> type = typeFromListing(dtype);
            if (!type) {
                struct stat st {};
                if (::fstatat(folder.fd, name, &st, AT_SYMLINK_NOFOLLOW) != 0)
                    continue; // vanished since it was listed
                type = typeFromMode(st.st_mode);
            }
            const DirectoryEntry entry(folder, std::string_view(name), depth, *type);
            const WalkAction action = state.visit(entry);
            if (action != WalkAction::descend || *type != DirectoryEntryType::directory ||
                !mayDescend)
                continue;
            const int childFd =
                ::openat(folder.fd, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
            if (childFd < 0)
                continue; // unreadable, or replaced since it was listed
            DirectoryEntry::Folder child;
            child.fd = childFd;
            child.pathUtf8 = entry.pathUtf8();
            walkFolder(state, child, depth);
        }
    }

    static bool walkRoot(const QString& rootPath, int maxDepth,
                         const DirectoryWalker::Visitor& visit) {
        if (rootPath.isEmpty())
            return false;
        DirectoryEntry::Folder root;
        root.path = DirectoryWalker::standardisedPath(rootPath);
        root.pathUtf8 = encodedPath(*root.path).toStdString();
        // The root itself may be a link to the folder to walk.
        root.fd = ::open(root.pathUtf8.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (root.fd < 0)
            return false;
        WalkState state{maxDepth, visit, {}};
        walkFolder(state, root, 0);
        return true;
    }
};

bool DirectoryWalker::walk(const QString& rootPath, int maxDepth, const Visitor& visit) {
    return DirectoryWalkImpl::walkRoot(rootPath, maxDepth, visit);
}

QString DirectoryWalker::standardisedPath(const QString& path) {
    if (path.isEmpty())
        return path;
    QString cleaned =
        QDir::cleanPath(QDir::isAbsolutePath(path) ? path : QDir(path).absolutePath());
    // cleanPath keeps a leading "//" (a network path on some systems); here it is just "/".
    while (cleaned.startsWith(u"//"))
        cleaned.remove(0, 1);
    return cleaned;
}

} // namespace trovi
