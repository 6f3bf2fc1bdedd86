#pragma once
// DirectoryWalker: a depth-first walk of a directory tree that takes each
// entry's type from the directory listing itself (no stat per entry), never
// follows symbolic links below the root, and lets the caller prune subtrees.

#include <QString>

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace trovi {

enum class DirectoryEntryType { directory, file, symlink, other };

enum class WalkAction { descend, skipDescendants };

class DirectoryEntry {
public:
    // The name as stored on disk (UTF-8 by convention) and its decoded form.
    std::string_view nameUtf8() const { return m_name; }
    QString name() const;
    // 1 for a direct child of the root.
    int depth() const { return m_depth; }
    // Taken from the listing; a symbolic link is reported as a link.
    DirectoryEntryType type() const { return m_type; }
    // What a symbolic link points to (one stat); the entry's own type for any
    // other entry; nothing when the link dangles.
    std::optional<DirectoryEntryType> followedType() const;
    // Standardised path of the folder holding the entry (decoded once per folder).
    const QString& parentPath() const;
    // parentPath() joined with name().
    QString path() const;
    // The entry's path as bytes, for system calls.
    std::string pathUtf8() const;

private:
    friend struct DirectoryWalkImpl;
    struct Folder;
    DirectoryEntry(const Folder& folder, std::string_view name, int depth, DirectoryEntryType type)
        : m_folder(folder), m_name(name), m_depth(depth), m_type(type) {}

    const Folder& m_folder;
    std::string_view m_name;
    int m_depth;
    DirectoryEntryType m_type;
};

class DirectoryWalker {
public:
    using Visitor = std::function<WalkAction(const DirectoryEntry&)>;

    // Walks the folder at rootPath (a symbolic link there is followed),
    // reporting every entry below it in pre-order. The visitor's answer for a
    // real directory decides whether it is entered; links are never entered.
    // Entries deeper than maxDepth are neither reported nor read (maxDepth <= 0:
    // no limit). A root that is missing, not a folder or unreadable, and
    // unreadable subfolders, are skipped silently. Returns false when the root
    // could not be opened.
    static bool walk(const QString& rootPath, int maxDepth, const Visitor& visit);

    // Absolute, without "." and ".." segments, repeated or trailing slashes.
    static QString standardisedPath(const QString& path);
};

} // namespace trovi
