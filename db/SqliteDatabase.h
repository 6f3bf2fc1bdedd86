#pragma once
// A thin typed layer over the SQLite C API: connections, prepared statements
// with positional bindings, typed row iteration and error values that carry
// SQLite's extended result code. Nothing here throws or aborts.

#include "db/Result.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <functional>
#include <optional>
#include <variant>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace trovi::db {

// An SQLite failure: the extended result code and SQLite's message.
struct SqliteError {
    int code = 0;
    QString message;
    QString context; // what we were doing, e.g. the SQL being prepared

    // "message (code N)"; suitable after a prefix such as "Search query failed: ".
    QString description() const;
    // The statement was stopped on purpose (see Connection::interruptWhen).
    bool isInterruption() const;
};

template <typename T> using SqlResult = Result<T, SqliteError>;

// One column value of a row; std::monostate is SQL NULL.
using Value = std::variant<std::monostate, std::int64_t, double, QString, QByteArray>;

// A positional binding: 64-bit integers, reals, texts, blobs or NULL.
using Binding = Value;

struct Row {
    std::vector<Value> values;

    std::size_t size() const { return values.size(); }
    std::optional<std::int64_t> integer(std::size_t column) const;
    std::optional<double> real(std::size_t column) const;
    std::optional<QString> text(std::size_t column) const;
    std::optional<QByteArray> blob(std::size_t column) const;
    bool isNull(std::size_t column) const;
};

enum OpenFlag : int {
    ReadOnly = 0x1,
    ReadWrite = 0x2,
    Create = 0x4,
    Uri = 0x40,
    FullMutex = 0x10000,
};

class Statement;

class Connection {
public:
    Connection() = default;
    Connection(Connection&& other) noexcept;
    Connection& operator=(Connection&& other) noexcept;
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;
    ~Connection();

    // Opens the file at `path` with OpenFlag values or-ed together.
    static SqlResult<Connection> open(const QString& path, int flags);

    bool isOpen() const { return m_handle != nullptr; }

    // Prepares `sql` and binds `bindings` to ?1, ?2, ...
    SqlResult<Statement> prepare(const QString& sql, const std::vector<Binding>& bindings = {});

    // Runs one statement with bindings to completion; rows are discarded.
    std::optional<SqliteError> run(const QString& sql, const std::vector<Binding>& bindings = {});

    // Runs several semicolon-separated statements without bindings.
    std::optional<SqliteError> execute(const QString& sql);

    // Rows changed by the last INSERT, UPDATE or DELETE.
    std::int64_t changes() const;

    void setBusyTimeout(int milliseconds);

    // While the returned guard lives, statements on this connection are asked
    // every `instructions` virtual-machine steps whether to go on; once
    // `shouldStop` answers true they fail with an error whose
    // isInterruption() is true. With `busyMilliseconds`, a statement that finds
    // the database locked by another process waits up to that long, but gives
    // up (SQLITE_BUSY) as soon as `shouldStop` answers true; the guard replaces
    // any busy timeout while it lives. One guard per connection at a time.
    class InterruptGuard {
    public:
        InterruptGuard(InterruptGuard&&) = delete;
        ~InterruptGuard();

    private:
        friend class Connection;
        InterruptGuard(sqlite3* handle, std::function<bool()> shouldStop, int instructions,
                       int busyMilliseconds);
        sqlite3* m_handle;
        std::function<bool()> m_shouldStop;
        int m_busyMilliseconds;
    };
    [[nodiscard]] InterruptGuard interruptWhen(std::function<bool()> shouldStop,
                                               int instructions = 1000, int busyMilliseconds = 0);

    sqlite3* handle() const { return m_handle; }

private:
    explicit Connection(sqlite3* handle) : m_handle(handle) {}
    SqliteError lastError(const QString& context, int code) const;

    sqlite3* m_handle = nullptr;
};

class Statement {
public:
    Statement() = default;
    Statement(Statement&& other) noexcept;
    Statement& operator=(Statement&& other) noexcept;
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;
    ~Statement();

    // Steps once: a row, std::nullopt when done, or the error (for example a
    // locked database). The statement stays usable for reset().
    SqlResult<std::optional<Row>> next();

    // Steps to the end and collects every row; stops at the first error.
    SqlResult<std::vector<Row>> all();

    // Steps to completion, discarding rows.
    std::optional<SqliteError> run();

    void reset();
    std::optional<SqliteError> bind(const std::vector<Binding>& bindings);

private:
    friend class Connection;
    Statement(sqlite3* db, sqlite3_stmt* handle) : m_db(db), m_handle(handle) {}

    sqlite3* m_db = nullptr;
    sqlite3_stmt* m_handle = nullptr;
};

} // namespace trovi::db
