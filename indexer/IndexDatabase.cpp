#include "indexer/IndexDatabase.h"

#include <QDir>
#include <QFileInfo>

namespace trovi::indexer {

namespace {

Error failed(const QString& what, const db::SqliteError& error) {
    return Error{what + u": " + error.description()};
}

const char* const kSchema =
    "CREATE TABLE files(id INTEGER PRIMARY KEY, filename TEXT NOT NULL, directory TEXT NOT NULL, "
    "open_count INTEGER NOT NULL DEFAULT 0, indexed_at INTEGER NOT NULL);"
    "CREATE UNIQUE INDEX files_path ON files(directory, filename);"
    "CREATE TABLE file_tags(file_id INTEGER NOT NULL, tag TEXT NOT NULL, "
    "PRIMARY KEY(file_id, tag)) WITHOUT ROWID;"
    "CREATE VIRTUAL TABLE files_fts USING fts5(filename, content, "
    "tokenize = 'unicode61 remove_diacritics 2');"
    "CREATE TABLE file_stats(file_id INTEGER PRIMARY KEY, size INTEGER NOT NULL, "
    "mtime_ns INTEGER NOT NULL, ctime_ns INTEGER NOT NULL, inode INTEGER NOT NULL);";

} // namespace

QString IndexDatabase::defaultPath(const QString& homeDirectory) {
    return QDir(homeDirectory).filePath(QStringLiteral(".pelmora/index.db"));
}

Result<IndexDatabase> IndexDatabase::open(const QString& path) {
    const QString folder = QFileInfo(path).absolutePath();
    if (!QDir().mkpath(folder))
        return Error{QStringLiteral("cannot create the folder ") + folder};
    auto opened = db::Connection::open(path, db::ReadWrite | db::Create);
    if (!opened)
        return failed(QStringLiteral("cannot open ") + path, opened.error());

    IndexDatabase index;
    index.m_connection = std::move(opened.value());
    db::Connection& connection = index.m_connection;
    // The launcher holds the write lock only for one open-count update.
    connection.setBusyTimeout(10000);

    if (auto error = connection.execute(QStringLiteral("BEGIN IMMEDIATE")))
        return failed(QStringLiteral("cannot lock ") + path, *error);
    auto version = connection.prepare(QStringLiteral("PRAGMA user_version"));
    auto versionRows =
        version ? version->all() : db::SqlResult<std::vector<db::Row>>(version.error());
    if (!versionRows) {
        index.rollback();
        return failed(path + QStringLiteral(" is not a readable SQLite database"),
                      versionRows.error());
    }
    const std::int64_t found =
        versionRows->empty() ? 0 : versionRows->front().integer(0).value_or(0);
    if (found > kSchemaVersion) {
        index.rollback();
        return Error{QStringLiteral("%1 has index version %2, newer than this trovi-index "
                                    "understands (%3); it was left untouched. Update trovi-index.")
                         .arg(path)
                         .arg(found)
                         .arg(kSchemaVersion)};
    }
    if (found == 0) {
        auto tables = connection.prepare(QStringLiteral("SELECT count(*) FROM sqlite_master"));
        auto rows = tables ? tables->all() : db::SqlResult<std::vector<db::Row>>(tables.error());
        if (!rows || rows->empty() || rows->front().integer(0).value_or(1) != 0) {
            index.rollback();
            return Error{path + QStringLiteral(" holds tables trovi-index did not make; it was "
                                               "left untouched. Move it away to start a new "
                                               "index.")};
        }
        if (auto error = connection.execute(
                QString::fromLatin1(kSchema) +
                QStringLiteral("PRAGMA user_version = %1;").arg(kSchemaVersion))) {
            index.rollback();
            return failed(QStringLiteral("cannot create the index"), *error);
        }
    }
    if (auto error = index.commit())
        return *error;
    // Readers (the launcher) never wait for our writes in WAL mode.
    if (auto error = connection.execute(
            QStringLiteral("PRAGMA journal_mode = WAL; PRAGMA synchronous = NORMAL;")))
        return failed(QStringLiteral("cannot switch to WAL"), *error);
    if (auto error = index.prepareStatements())
        return *error;
    return index;
}

std::optional<Error> IndexDatabase::prepareStatements() {
    auto prepare = [this](db::Statement& into, const char* sql) -> std::optional<Error> {
        auto statement = m_connection.prepare(QString::fromLatin1(sql));
        if (!statement)
            return failed(QStringLiteral("cannot prepare"), statement.error());
        into = std::move(statement.value());
        return std::nullopt;
    };
    Statements& s = m_statements;
    for (const auto& [into, sql] : std::initializer_list<std::pair<db::Statement*, const char*>>{
             {&s.insertFile, "INSERT INTO files(filename, directory, open_count, indexed_at) "
                             "VALUES(?1, ?2, 0, ?3) RETURNING id"},
             {&s.updateFile, "UPDATE files SET filename = ?2, directory = ?3, indexed_at = ?4 "
                             "WHERE id = ?1"},
             {&s.moveFile, "UPDATE files SET filename = ?2, directory = ?3 WHERE id = ?1"},
             {&s.deleteFile, "DELETE FROM files WHERE id = ?1"},
             {&s.deleteText, "DELETE FROM files_fts WHERE rowid = ?1"},
             {&s.insertText, "INSERT INTO files_fts(rowid, filename, content) VALUES(?1, ?2, ?3)"},
             {&s.moveText, "UPDATE files_fts SET filename = ?2 WHERE rowid = ?1"},
             {&s.deleteTags, "DELETE FROM file_tags WHERE file_id = ?1"},
             {&s.insertTag, "INSERT OR IGNORE INTO file_tags(file_id, tag) VALUES(?1, ?2)"},
             {&s.writeStamp, "INSERT OR REPLACE INTO file_stats(file_id, size, mtime_ns, "
                             "ctime_ns, inode) VALUES(?1, ?2, ?3, ?4, ?5)"},
             {&s.deleteStamp, "DELETE FROM file_stats WHERE file_id = ?1"},
         })
        if (auto error = prepare(*into, sql))
            return error;
    return std::nullopt;
}

Result<QHash<QString, StoredFile>> IndexDatabase::storedFiles() {
    auto statement = m_connection.prepare(QStringLiteral(
        "SELECT f.id, f.directory, f.filename, s.size, s.mtime_ns, s.ctime_ns, s.inode "
        "FROM files f LEFT JOIN file_stats s ON s.file_id = f.id"));
    if (!statement)
        return failed(QStringLiteral("cannot read the index"), statement.error());
    QHash<QString, StoredFile> files;
    while (true) {
        auto row = statement->next();
        if (!row)
            return failed(QStringLiteral("cannot read the index"), row.error());
        if (!row.value())
            break;
        const db::Row& r = *row.value();
        StoredFile file;
        file.id = r.integer(0).value_or(0);
        // A row without stats is re-read on the next pass (-1 never matches).
        file.stamp = {r.integer(3).value_or(-1), r.integer(4).value_or(-1),
                      r.integer(5).value_or(-1), r.integer(6).value_or(-1)};
        const QString directory = r.text(1).value_or(QString());
        files.insert(directory + u'/' + r.text(2).value_or(QString()), file);
    }
    return files;
}

std::optional<Error> IndexDatabase::begin() {
    if (auto error = m_connection.execute(QStringLiteral("BEGIN IMMEDIATE")))
        return failed(QStringLiteral("cannot start writing"), *error);
    return std::nullopt;
}

std::optional<Error> IndexDatabase::commit() {
    if (auto error = m_connection.execute(QStringLiteral("COMMIT"))) {
        rollback();
        return failed(QStringLiteral("cannot save"), *error);
    }
    return std::nullopt;
}

void IndexDatabase::rollback() {
    (void)m_connection.execute(QStringLiteral("ROLLBACK"));
}

std::optional<Error> IndexDatabase::run(db::Statement& statement,
                                        const std::vector<db::Binding>& bindings) {
    statement.reset();
    if (auto error = statement.bind(bindings))
        return failed(QStringLiteral("cannot write"), *error);
    if (auto error = statement.run())
        return failed(QStringLiteral("cannot write"), *error);
    return std::nullopt;
}

std::optional<Error> IndexDatabase::writeTags(std::int64_t id, const QStringList& tags) {
    if (auto error = run(m_statements.deleteTags, {id}))
        return error;
    for (const QString& tag : tags)
        if (auto error = run(m_statements.insertTag, {id, tag}))
            return error;
    return std::nullopt;
}

Result<std::int64_t> IndexDatabase::write(std::optional<std::int64_t> id, const QString& directory,
                                          const QString& filename, const QString& content,
                                          const QStringList& tags, const FileStamp& stamp,
                                          std::int64_t indexedAt) {
    Statements& s = m_statements;
    std::int64_t fileID = 0;
    if (id) {
        fileID = *id;
        if (auto error = run(s.updateFile, {fileID, filename, directory, indexedAt}))
            return *error;
        if (auto error = run(s.deleteText, {fileID}))
            return *error;
    } else {
        s.insertFile.reset();
        if (auto error = s.insertFile.bind({filename, directory, indexedAt}))
            return failed(QStringLiteral("cannot write"), *error);
        auto row = s.insertFile.next();
        if (!row || !row.value())
            return Error{QStringLiteral("cannot add ") + filename};
        fileID = row.value()->integer(0).value_or(0);
        s.insertFile.reset();
    }
    if (auto error = run(s.insertText, {fileID, filename, content}))
        return *error;
    if (auto error = writeTags(fileID, tags))
        return *error;
    if (auto error =
            run(s.writeStamp, {fileID, stamp.size, stamp.mtimeNs, stamp.ctimeNs, stamp.inode}))
        return *error;
    return fileID;
}

std::optional<Error> IndexDatabase::move(std::int64_t id, const QString& directory,
                                         const QString& filename, const FileStamp& stamp) {
    Statements& s = m_statements;
    // indexed_at stays what it was: the contents were not read again.
    if (auto error = run(s.moveFile, {id, filename, directory}))
        return error;
    if (auto error = run(s.moveText, {id, filename}))
        return error;
    return run(s.writeStamp, {id, stamp.size, stamp.mtimeNs, stamp.ctimeNs, stamp.inode});
}

std::optional<Error> IndexDatabase::retag(std::int64_t id, const QStringList& tags,
                                          const FileStamp& stamp) {
    if (auto error = writeTags(id, tags))
        return error;
    return run(m_statements.writeStamp,
               {id, stamp.size, stamp.mtimeNs, stamp.ctimeNs, stamp.inode});
}

std::optional<Error> IndexDatabase::remove(std::int64_t id) {
    Statements& s = m_statements;
    for (db::Statement* statement : {&s.deleteFile, &s.deleteText, &s.deleteTags, &s.deleteStamp})
        if (auto error = run(*statement, {id}))
            return error;
    return std::nullopt;
}

} // namespace trovi::indexer
