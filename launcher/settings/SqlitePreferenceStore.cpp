#include "launcher/settings/SqlitePreferenceStore.h"

#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QThread>

#include <sqlite3.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace trovi {

namespace {

// Marks a file as ours, so a stray SQLite file with other tables is not
// mistaken for (and written into as) a preference store.
constexpr std::int64_t kApplicationID = 0x54525650; // "TRVP"
constexpr int kSchemaVersion = 1;
// Long enough to ride out another process's write, short enough that a hung
// peer does not freeze the launcher for good.
constexpr int kBusyTimeoutMilliseconds = 5000;

void printLine(const QString& line) {
    std::fprintf(stderr, "%s\n", line.toLocal8Bit().constData());
    std::fflush(stderr);
}

struct OpenFailure {
    QString message;
    bool fileIsInvalid = false; // not a store: move it aside and start over
};

bool isNotAStore(const db::SqliteError& error) {
    const int primary = error.code & 0xff;
    return primary == SQLITE_NOTADB || primary == SQLITE_CORRUPT;
}

OpenFailure failure(const QString& what, const db::SqliteError& error) {
    return OpenFailure{what + error.description(), isNotAStore(error)};
}

// Resets a statement when leaving scope so that no read transaction stays
// open between calls (it would pin an old snapshot and hide other writers).
struct ResetOnExit {
    db::Statement& statement;
    ~ResetOnExit() { statement.reset(); }
};

// Creates the file owner-only before SQLite sees it; SQLite gives the WAL and
// shared-memory files the same mode.
std::optional<QString> createPrivateFile(const QString& path) {
    if (QFileInfo::exists(path))
        return std::nullopt;
    const QByteArray native = QFile::encodeName(path);
    const int fd = ::open(native.constData(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0600);
    if (fd < 0) {
        if (errno == EEXIST)
            return std::nullopt; // another process was quicker
        return QStringLiteral("Cannot create %1: %2")
            .arg(QDir::toNativeSeparators(path), QString::fromLocal8Bit(std::strerror(errno)));
    }
    ::close(fd);
    return std::nullopt;
}

// Every missing folder on the way is made owner-only whatever the umask: a
// world-writable parent would let another user swap the store out.
std::optional<QString> ensureFolder(const QString& path) {
    const QString folder = QFileInfo(path).absolutePath();
    if (QFileInfo(folder).isDir())
        return std::nullopt;
    QStringList missing;
    for (QString at = folder; !QFileInfo::exists(at); at = QFileInfo(at).absolutePath())
        missing.prepend(at);
    for (const QString& at : std::as_const(missing)) {
        if (::mkdir(QFile::encodeName(at).constData(), 0700) != 0 && errno != EEXIST)
            return QStringLiteral("Cannot create folder %1: %2")
                .arg(QDir::toNativeSeparators(at), QString::fromLocal8Bit(std::strerror(errno)));
        ::chmod(QFile::encodeName(at).constData(), 0700);
    }
    return std::nullopt;
}

// The file may hold a token: an existing one with a looser mode is tightened.
void tightenFileModes(const QString& path) {
    for (const char* suffix : {"", "-wal", "-shm"}) {
        const QByteArray native = QFile::encodeName(path + QLatin1String(suffix));
        struct stat st {};
        if (::stat(native.constData(), &st) == 0 && S_ISREG(st.st_mode) && (st.st_mode & 077))
            ::chmod(native.constData(), st.st_mode & 0700);
    }
}

std::optional<std::int64_t> singleInteger(db::Connection& connection, const QString& sql,
                                          std::optional<db::SqliteError>* error) {
    auto statement = connection.prepare(sql);
    if (!statement) {
        *error = statement.error();
        return std::nullopt;
    }
    auto row = statement->next();
    if (!row) {
        *error = row.error();
        return std::nullopt;
    }
    if (!row.value())
        return std::nullopt;
    return row.value()->integer(0);
}

enum class SchemaState { Ours, Empty };

// Tells our own file from an empty one, and refuses anything else. Only
// reads, so a file that turns out not to be ours is left exactly as it was.
Result<SchemaState, OpenFailure> inspectSchema(db::Connection& connection) {
    std::optional<db::SqliteError> error;
    const auto applicationID =
        singleInteger(connection, QStringLiteral("PRAGMA application_id"), &error);
    if (error)
        return failure(QStringLiteral("Cannot read the file header: "), *error);
    const auto objectCount =
        singleInteger(connection, QStringLiteral("SELECT count(*) FROM sqlite_schema"), &error);
    if (error)
        return failure(QStringLiteral("Cannot read the schema: "), *error);

    if (applicationID.value_or(0) == 0 && objectCount.value_or(0) == 0)
        return SchemaState::Empty;
    if (applicationID.value_or(0) != kApplicationID)
        return OpenFailure{QStringLiteral("the file belongs to another program"), true};

    auto columns = connection.prepare(QStringLiteral("SELECT name FROM pragma_table_info(?1)"),
                                      {QStringLiteral("preferences")});
    if (!columns)
        return failure(QStringLiteral("Cannot read the schema: "), columns.error());
    auto rows = columns->all();
    if (!rows)
        return failure(QStringLiteral("Cannot read the schema: "), rows.error());
    bool hasKey = false;
    bool hasValue = false;
    for (const db::Row& row : *rows) {
        hasKey |= row.text(0) == QStringLiteral("key");
        hasValue |= row.text(0) == QStringLiteral("value");
    }
    if (!hasKey || !hasValue)
        return OpenFailure{QStringLiteral("the preference table is missing or malformed"), true};
    return SchemaState::Ours;
}

std::optional<OpenFailure> createSchema(db::Connection& connection) {
    // Another process may be doing the same: decide again under the write lock.
    if (auto error = connection.execute(QStringLiteral("BEGIN IMMEDIATE")))
        return failure(QStringLiteral("Cannot lock the file: "), *error);
    auto state = inspectSchema(connection);
    if (state && state.value() == SchemaState::Empty) {
        const QString create =
            QStringLiteral(
                "CREATE TABLE preferences (key TEXT PRIMARY KEY NOT NULL, value BLOB NOT NULL) "
                "WITHOUT ROWID; PRAGMA application_id = %1; PRAGMA user_version = %2;")
                .arg(kApplicationID)
                .arg(kSchemaVersion);
        if (auto error = connection.execute(create)) {
            connection.execute(QStringLiteral("ROLLBACK"));
            return failure(QStringLiteral("Cannot create the preference table: "), *error);
        }
    } else if (!state) {
        connection.execute(QStringLiteral("ROLLBACK"));
        return state.error();
    }
    if (auto error = connection.execute(QStringLiteral("COMMIT")))
        return failure(QStringLiteral("Cannot initialise the file: "), *error);
    return std::nullopt;
}

// Switching to WAL needs the file to itself, and SQLite answers "locked" at
// once instead of calling the busy handler while another process writes, so
// the switch is retried for as long as any other statement would wait. A file
// that is already WAL needs no switch and never waits.
std::optional<db::SqliteError> switchToWriteAheadLog(db::Connection& connection) {
    QElapsedTimer waited;
    waited.start();
    for (;;) {
        std::optional<db::SqliteError> error;
        auto statement = connection.prepare(QStringLiteral("PRAGMA journal_mode"));
        if (!statement)
            return statement.error();
        auto row = statement->next();
        if (!row)
            return row.error();
        const bool isWal = row.value() && row.value()->text(0).value_or(QString()).toLower() ==
                                              QStringLiteral("wal");
        statement->reset();
        if (isWal)
            return std::nullopt;
        error = connection.execute(QStringLiteral("PRAGMA journal_mode = WAL"));
        if (!error)
            return std::nullopt;
        if ((error->code & 0xff) != SQLITE_BUSY && (error->code & 0xff) != SQLITE_LOCKED)
            return error;
        if (waited.elapsed() >= kBusyTimeoutMilliseconds)
            return error;
        QThread::msleep(10);
    }
}

Result<db::Connection, OpenFailure> openConnection(const QString& path) {
    auto opened = db::Connection::open(path, db::ReadWrite | db::Create | db::FullMutex);
    if (!opened)
        return failure(QStringLiteral("Cannot open the file: "), opened.error());
    db::Connection connection = std::move(opened).value();
    connection.setBusyTimeout(kBusyTimeoutMilliseconds);

    // Header and schema from one snapshot: another process may be creating the
    // file right now, and reading its id before and its table after that commit
    // would take our own new file for another program's and move it aside.
    if (auto error = connection.execute(QStringLiteral("BEGIN")))
        return failure(QStringLiteral("Cannot read the file: "), *error);
    auto state = inspectSchema(connection);
    connection.execute(QStringLiteral("COMMIT"));
    if (!state)
        return state.error();

    // WAL lets readers and one writer of any process work at once; NORMAL
    // sync keeps every committed write across a crash of the process.
    if (auto error = switchToWriteAheadLog(connection))
        return failure(QStringLiteral("Cannot configure the file: "), *error);
    if (auto error = connection.execute(QStringLiteral("PRAGMA synchronous = NORMAL")))
        return failure(QStringLiteral("Cannot configure the file: "), *error);

    if (state.value() == SchemaState::Empty)
        if (auto problem = createSchema(connection))
            return *problem;
    return connection;
}

// Renames the file (and its WAL companions) aside; returns the new name.
Result<QString> moveAside(const QString& path) {
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString target = path + QStringLiteral(".corrupt-") + stamp;
    for (int n = 2; QFileInfo::exists(target); ++n)
        target = path + QStringLiteral(".corrupt-") + stamp + QStringLiteral("-%1").arg(n);

    if (!QFile::rename(path, target))
        return Error{QStringLiteral("Cannot move %1 aside").arg(QDir::toNativeSeparators(path))};
    for (const char* suffix : {"-wal", "-shm"}) {
        const QString companion = path + QLatin1String(suffix);
        if (QFileInfo::exists(companion))
            QFile::rename(companion, target + QLatin1String(suffix));
    }
    return target;
}

} // namespace

QString SqlitePreferenceStore::defaultPath() {
    QString configHome = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (configHome.isEmpty() || !QDir::isAbsolutePath(configHome))
        configHome = QDir::homePath() + QStringLiteral("/.config");
    return QDir::cleanPath(configHome + QStringLiteral("/trovi-launcher/preferences.sqlite3"));
}

std::unique_ptr<SqlitePreferenceStore> SqlitePreferenceStore::open(const QString& path,
                                                                   QString* errorMessage) {
    auto fail = [&](const QString& message) {
        if (errorMessage)
            *errorMessage = message;
        return nullptr;
    };

    if (auto error = ensureFolder(path))
        return fail(*error);

    std::optional<db::Connection> connection;
    for (int attempt = 0; attempt < 2 && !connection; ++attempt) {
        if (auto error = createPrivateFile(path))
            return fail(*error);
        tightenFileModes(path);
        auto opened = openConnection(path);
        if (opened) {
            connection.emplace(std::move(opened).value());
            break;
        }
        const OpenFailure& problem = opened.error();
        const QString shown = QDir::toNativeSeparators(path);
        if (!problem.fileIsInvalid || attempt > 0)
            return fail(
                QStringLiteral("Cannot use preference file %1: %2").arg(shown, problem.message));

        auto moved = moveAside(path);
        if (!moved)
            return fail(moved.error().message + QStringLiteral(" (%1)").arg(problem.message));
        printLine(QStringLiteral("Preference file %1 is not a valid store (%2); moved it to %3 "
                                 "and started a new one")
                      .arg(shown, problem.message, QDir::toNativeSeparators(moved.value())));
    }

    std::unique_ptr<SqlitePreferenceStore> store(
        new SqlitePreferenceStore(path, std::move(*connection)));
    struct Prepared {
        db::Statement* target;
        const char* sql;
    };
    const Prepared statements[] = {
        {&store->m_select, "SELECT value FROM preferences WHERE key = ?1"},
        {&store->m_upsert, "INSERT INTO preferences (key, value) VALUES (?1, ?2) "
                           "ON CONFLICT (key) DO UPDATE SET value = excluded.value"},
        {&store->m_delete, "DELETE FROM preferences WHERE key = ?1"},
        {&store->m_keys, "SELECT key FROM preferences ORDER BY key"},
    };
    for (const Prepared& item : statements) {
        auto statement = store->m_connection.prepare(QString::fromLatin1(item.sql));
        if (!statement)
            return fail(QStringLiteral("Cannot use preference file %1: %2")
                            .arg(QDir::toNativeSeparators(path), statement.error().description()));
        *item.target = std::move(statement).value();
    }
    return store;
}

SqlitePreferenceStore::SqlitePreferenceStore(QString path, db::Connection connection)
    : m_path(std::move(path)), m_connection(std::move(connection)) {}

SqlitePreferenceStore::~SqlitePreferenceStore() = default;

std::optional<QCborValue> SqlitePreferenceStore::value(const QString& key) const {
    std::lock_guard lock(m_mutex);
    return valueLocked(key);
}

std::optional<QCborValue> SqlitePreferenceStore::valueLocked(const QString& key) const {
    ResetOnExit reset{m_select};
    if (auto error = m_select.bind({key})) {
        printLine(QStringLiteral("Failed to read preference: ") + error->description());
        return std::nullopt;
    }
    auto row = m_select.next();
    if (!row) {
        printLine(QStringLiteral("Failed to read preference: ") + row.error().description());
        return std::nullopt;
    }
    if (!row.value())
        return std::nullopt;
    const std::optional<QByteArray> bytes = row.value()->blob(0);
    if (!bytes)
        return std::nullopt;

    // Anything that is not exactly one well-formed CBOR item reads as absent.
    QCborParserError parseError;
    QCborValue decoded = QCborValue::fromCbor(*bytes, &parseError);
    if (parseError.error != QCborError::NoError || parseError.offset != bytes->size())
        return std::nullopt;
    return decoded;
}

void SqlitePreferenceStore::setValue(const QString& key, const QCborValue& value) {
    const QByteArray encoded = value.toCbor();
    std::lock_guard lock(m_mutex);
    if (auto error = upsertLocked(key, encoded))
        printLine(
            QStringLiteral("Failed to save preference: %1: %2").arg(key, error->description()));
}

std::optional<db::SqliteError> SqlitePreferenceStore::upsertLocked(const QString& key,
                                                                   const QByteArray& encoded) {
    ResetOnExit reset{m_upsert};
    std::optional<db::SqliteError> error = m_upsert.bind({key, encoded});
    return error ? error : m_upsert.run();
}

void SqlitePreferenceStore::update(const QString& key, const Change& change) {
    std::lock_guard lock(m_mutex);
    // The write lock is taken before reading, so no other process can write
    // between the read and the write; the busy timeout waits for it.
    std::optional<db::SqliteError> error = m_connection.execute(QStringLiteral("BEGIN IMMEDIATE"));
    if (!error) {
        if (auto changed = change(valueLocked(key)))
            error = upsertLocked(key, changed->toCbor());
        error = error ? error : m_connection.execute(QStringLiteral("COMMIT"));
        if (error)
            m_connection.execute(QStringLiteral("ROLLBACK"));
    }
    if (error)
        printLine(
            QStringLiteral("Failed to save preference: %1: %2").arg(key, error->description()));
}

void SqlitePreferenceStore::remove(const QString& key) {
    std::lock_guard lock(m_mutex);
    ResetOnExit reset{m_delete};
    std::optional<db::SqliteError> error = m_delete.bind({key});
    if (!error)
        error = m_delete.run();
    if (error)
        printLine(
            QStringLiteral("Failed to remove preference: %1: %2").arg(key, error->description()));
}

QStringList SqlitePreferenceStore::keys() const {
    std::lock_guard lock(m_mutex);
    ResetOnExit reset{m_keys};
    QStringList result;
    auto rows = m_keys.all();
    if (!rows) {
        printLine(QStringLiteral("Failed to read preferences: ") + rows.error().description());
        return result;
    }
    for (const db::Row& row : *rows)
        if (auto key = row.text(0))
            result.append(*key);
    return result;
}

} // namespace trovi
