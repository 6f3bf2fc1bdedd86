#pragma once
// The document index the launcher searches (~/.pelmora/index.db): `files`,
// `file_tags` and the FTS5 table `files_fts` whose row id is `files.id`, plus
// `file_stats`, the indexer's own record of what it saw on disk. Written in
// WAL mode, so the launcher reads while we write; every write happens in
// short transactions the caller opens with begin() and closes with commit().
// `open_count` belongs to the launcher: rows are updated around it, never
// replaced.

#include "db/Result.h"
#include "db/SqliteDatabase.h"

#include <QHash>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>

namespace trovi::indexer {

// What the file system said about a file when it was indexed.
struct FileStamp {
    std::int64_t size = 0;
    std::int64_t mtimeNs = 0;
    std::int64_t ctimeNs = 0; // changes with tags (extended attributes) too
    std::int64_t inode = 0;
    bool operator==(const FileStamp&) const = default;
};

struct StoredFile {
    std::int64_t id = 0;
    FileStamp stamp;
};

class IndexDatabase {
public:
    static constexpr int kSchemaVersion = 1;

    // Opens or creates the index (and its folder). A database made by a newer
    // trovi-index, or by another program, is refused and left untouched.
    static Result<IndexDatabase> open(const QString& path);
    static QString defaultPath(const QString& homeDirectory);

    IndexDatabase(IndexDatabase&&) noexcept = default;
    IndexDatabase& operator=(IndexDatabase&&) noexcept = default;

    // Every indexed file by full path ("directory/filename").
    Result<QHash<QString, StoredFile>> storedFiles();

    std::optional<Error> begin();
    std::optional<Error> commit();
    void rollback();

    // Adds a file, or updates it in place (keeping its id and open count).
    // Returns the file's id.
    Result<std::int64_t> write(std::optional<std::int64_t> id, const QString& directory,
                               const QString& filename, const QString& content,
                               const QStringList& tags, const FileStamp& stamp,
                               std::int64_t indexedAt);
    // A file that moved: new name and place, same id, open count and text.
    std::optional<Error> move(std::int64_t id, const QString& directory, const QString& filename,
                              const FileStamp& stamp);
    // Only the tags and stamp changed (the contents did not).
    std::optional<Error> retag(std::int64_t id, const QStringList& tags, const FileStamp& stamp);
    std::optional<Error> remove(std::int64_t id);

    db::Connection& connection() { return m_connection; }

private:
    IndexDatabase() = default;
    std::optional<Error> prepareStatements();
    std::optional<Error> run(db::Statement& statement, const std::vector<db::Binding>& bindings);
    std::optional<Error> writeTags(std::int64_t id, const QStringList& tags);

    db::Connection m_connection;
    struct Statements {
        db::Statement insertFile, updateFile, moveFile, deleteFile;
        db::Statement deleteText, insertText, moveText;
        db::Statement deleteTags, insertTag;
        db::Statement writeStamp, deleteStamp;
    } m_statements;
};

} // namespace trovi::indexer
