#include "db/SqliteDatabase.h"

#include <sqlite3.h>

namespace trovi::db {

QString SqliteError::description() const {
    QString text = message.isEmpty() ? QString::fromUtf8(sqlite3_errstr(code)) : message;
    return QStringLiteral("%1 (code %2)").arg(text).arg(code);
}

// ---- Row ------------------------------------------------------------------

namespace {
// The column's value when it is there and of type T (NULL and other storage
// classes give nothing).
template <typename T>
std::optional<T> columnValue(const std::vector<Value>& values, std::size_t column) {
    if (column < values.size())
        if (auto* v = std::get_if<T>(&values[column]))
            return *v;
    return std::nullopt;
}
} // namespace

std::optional<std::int64_t> Row::integer(std::size_t column) const {
    return columnValue<std::int64_t>(values, column);
}

std::optional<double> Row::real(std::size_t column) const {
    return columnValue<double>(values, column);
}

std::optional<QString> Row::text(std::size_t column) const {
    return columnValue<QString>(values, column);
}

std::optional<QByteArray> Row::blob(std::size_t column) const {
    return columnValue<QByteArray>(values, column);
}

bool Row::isNull(std::size_t column) const {
    return column >= values.size() || std::holds_alternative<std::monostate>(values[column]);
}

// ---- Connection -----------------------------------------------------------

Connection::Connection(Connection&& other) noexcept
    : m_handle(std::exchange(other.m_handle, nullptr)) {}

Connection& Connection::operator=(Connection&& other) noexcept {
    if (this != &other) {
        if (m_handle)
            sqlite3_close_v2(m_handle);
        m_handle = std::exchange(other.m_handle, nullptr);
    }
    return *this;
}

Connection::~Connection() {
    if (m_handle)
        sqlite3_close_v2(m_handle);
}

SqlResult<Connection> Connection::open(const QString& path, int flags) {
    int sqliteFlags = 0;
    if (flags & ReadOnly)
        sqliteFlags |= SQLITE_OPEN_READONLY;
    if (flags & ReadWrite)
        sqliteFlags |= SQLITE_OPEN_READWRITE;
    if (flags & Create)
        sqliteFlags |= SQLITE_OPEN_CREATE;
    if (flags & Uri)
        sqliteFlags |= SQLITE_OPEN_URI;
    if (flags & FullMutex)
        sqliteFlags |= SQLITE_OPEN_FULLMUTEX;

    sqlite3* handle = nullptr;
    const QByteArray utf8 = path.toUtf8();
    const int rc = sqlite3_open_v2(utf8.constData(), &handle, sqliteFlags, nullptr);
    if (rc != SQLITE_OK) {
        SqliteError error{handle ? sqlite3_extended_errcode(handle) : rc,
                          handle ? QString::fromUtf8(sqlite3_errmsg(handle))
                                 : QString::fromUtf8(sqlite3_errstr(rc)),
                          path};
        if (handle)
            sqlite3_close_v2(handle);
        return error;
    }
    sqlite3_extended_result_codes(handle, 1);
    return Connection(handle);
}

SqliteError Connection::lastError(const QString& context, int code) const {
    if (!m_handle)
        return SqliteError{SQLITE_MISUSE, QStringLiteral("database is not open"), context};
    const int extended = sqlite3_extended_errcode(m_handle);
    return SqliteError{extended != SQLITE_OK ? extended : code,
                       QString::fromUtf8(sqlite3_errmsg(m_handle)), context};
}

SqlResult<Statement> Connection::prepare(const QString& sql, const std::vector<Binding>& bindings) {
    if (!m_handle)
        return lastError(sql, SQLITE_MISUSE);
    sqlite3_stmt* stmt = nullptr;
    const QByteArray utf8 = sql.toUtf8();
    const int rc = sqlite3_prepare_v2(m_handle, utf8.constData(), int(utf8.size()), &stmt, nullptr);
    if (rc != SQLITE_OK) {
        SqliteError error = lastError(sql, rc);
        sqlite3_finalize(stmt);
        return error;
    }
    Statement statement(m_handle, stmt);
    if (auto error = statement.bind(bindings))
        return *error;
    return statement;
}

std::optional<SqliteError> Connection::run(const QString& sql,
                                           const std::vector<Binding>& bindings) {
    auto statement = prepare(sql, bindings);
    if (!statement)
        return statement.error();
    return statement->run();
}

std::optional<SqliteError> Connection::execute(const QString& sql) {
    if (!m_handle)
        return lastError(sql, SQLITE_MISUSE);
    char* message = nullptr;
    const int rc = sqlite3_exec(m_handle, sql.toUtf8().constData(), nullptr, nullptr, &message);
    if (rc == SQLITE_OK)
        return std::nullopt;
    SqliteError error = lastError(sql, rc);
    if (message) {
        error.message = QString::fromUtf8(message);
        sqlite3_free(message);
    }
    return error;
}

std::int64_t Connection::changes() const {
    return m_handle ? sqlite3_changes64(m_handle) : 0;
}

bool SqliteError::isInterruption() const {
    return (code & 0xff) == SQLITE_INTERRUPT;
}

Connection::InterruptGuard::InterruptGuard(sqlite3* handle, std::function<bool()> shouldStop,
                                           int instructions, int busyMilliseconds)
    : m_handle(handle), m_shouldStop(std::move(shouldStop)), m_busyMilliseconds(busyMilliseconds) {
    if (!m_handle)
        return;
    sqlite3_progress_handler(
        m_handle, instructions,
        [](void* self) { return static_cast<InterruptGuard*>(self)->m_shouldStop() ? 1 : 0; },
        this);
    if (m_busyMilliseconds > 0)
        sqlite3_busy_handler(
            m_handle,
            [](void* self, int attempt) {
                constexpr int kSliceMilliseconds = 5;
                const auto* guard = static_cast<InterruptGuard*>(self);
                if (guard->m_shouldStop() ||
                    attempt * kSliceMilliseconds >= guard->m_busyMilliseconds)
                    return 0;
                sqlite3_sleep(kSliceMilliseconds);
                return 1;
            },
            this);
}

Connection::InterruptGuard::~InterruptGuard() {
    if (!m_handle)
        return;
    sqlite3_progress_handler(m_handle, 0, nullptr, nullptr);
    if (m_busyMilliseconds > 0)
        sqlite3_busy_handler(m_handle, nullptr, nullptr);
}

Connection::InterruptGuard Connection::interruptWhen(std::function<bool()> shouldStop,
                                                     int instructions, int busyMilliseconds) {
    return InterruptGuard(m_handle, std::move(shouldStop), instructions, busyMilliseconds);
}

void Connection::setBusyTimeout(int milliseconds) {
    if (m_handle)
        sqlite3_busy_timeout(m_handle, milliseconds);
}

// ---- Statement ------------------------------------------------------------

Statement::Statement(Statement&& other) noexcept
    : m_db(std::exchange(other.m_db, nullptr)), m_handle(std::exchange(other.m_handle, nullptr)) {}

Statement& Statement::operator=(Statement&& other) noexcept {
    if (this != &other) {
        if (m_handle)
            sqlite3_finalize(m_handle);
        m_db = std::exchange(other.m_db, nullptr);
        m_handle = std::exchange(other.m_handle, nullptr);
    }
    return *this;
}

Statement::~Statement() {
    if (m_handle)
        sqlite3_finalize(m_handle);
}

std::optional<SqliteError> Statement::bind(const std::vector<Binding>& bindings) {
    if (!m_handle)
        return SqliteError{SQLITE_MISUSE, QStringLiteral("statement is not prepared"), {}};
    // A statement that has been stepped refuses new bindings until it is reset.
    sqlite3_reset(m_handle);
    sqlite3_clear_bindings(m_handle);
    int index = 1;
    for (const Binding& binding : bindings) {
        int rc = SQLITE_OK;
        if (std::holds_alternative<std::monostate>(binding)) {
            rc = sqlite3_bind_null(m_handle, index);
        } else if (auto* i = std::get_if<std::int64_t>(&binding)) {
            rc = sqlite3_bind_int64(m_handle, index, *i);
        } else if (auto* d = std::get_if<double>(&binding)) {
            rc = sqlite3_bind_double(m_handle, index, *d);
        } else if (auto* s = std::get_if<QString>(&binding)) {
            const QByteArray utf8 = s->toUtf8();
            rc = sqlite3_bind_text64(m_handle, index, utf8.constData(), sqlite3_uint64(utf8.size()),
                                     SQLITE_TRANSIENT, SQLITE_UTF8);
        } else if (auto* b = std::get_if<QByteArray>(&binding)) {
            rc = sqlite3_bind_blob64(m_handle, index, b->constData(), sqlite3_uint64(b->size()),
                                     SQLITE_TRANSIENT);
        }
        if (rc != SQLITE_OK) {
            const int extended = sqlite3_extended_errcode(m_db);
            return SqliteError{(extended & 0xff) == (rc & 0xff) ? extended : rc,
                               QString::fromUtf8(sqlite3_errstr(rc)),
                               QStringLiteral("binding %1").arg(index)};
        }
        ++index;
    }
    return std::nullopt;
}

static Value columnValue(sqlite3_stmt* stmt, int column) {
    switch (sqlite3_column_type(stmt, column)) {
    case SQLITE_INTEGER:
        return std::int64_t(sqlite3_column_int64(stmt, column));
    case SQLITE_FLOAT:
        return sqlite3_column_double(stmt, column);
    case SQLITE_TEXT: {
        const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, column));
        return QString::fromUtf8(text, sqlite3_column_bytes(stmt, column));
    }
    case SQLITE_BLOB: {
        const auto* data = static_cast<const char*>(sqlite3_column_blob(stmt, column));
        return QByteArray(data, sqlite3_column_bytes(stmt, column));
    }
    default:
        return std::monostate{};
    }
}

SqlResult<std::optional<Row>> Statement::next() {
    if (!m_handle)
        return SqliteError{SQLITE_MISUSE, QStringLiteral("statement is not prepared"), {}};
    const int rc = sqlite3_step(m_handle);
    if (rc == SQLITE_DONE)
        return std::optional<Row>{};
    if (rc != SQLITE_ROW) {
        SqliteError error{sqlite3_extended_errcode(m_db), QString::fromUtf8(sqlite3_errmsg(m_db)),
                          QString::fromUtf8(sqlite3_sql(m_handle))};
        sqlite3_reset(m_handle);
        return error;
    }
    Row row;
    const int columns = sqlite3_column_count(m_handle);
    row.values.reserve(std::size_t(columns));
    for (int c = 0; c < columns; ++c)
        row.values.push_back(columnValue(m_handle, c));
    return std::optional<Row>(std::move(row));
}

SqlResult<std::vector<Row>> Statement::all() {
    std::vector<Row> rows;
    for (;;) {
        auto step = next();
        if (!step)
            return step.error();
        if (!step.value())
            return rows;
        rows.push_back(std::move(*step.value()));
    }
}

std::optional<SqliteError> Statement::run() {
    for (;;) {
        auto step = next();
        if (!step)
            return step.error();
        if (!step.value())
            return std::nullopt;
    }
}

void Statement::reset() {
    if (m_handle)
        sqlite3_reset(m_handle);
}

} // namespace trovi::db
