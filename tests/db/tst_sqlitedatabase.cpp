// The SQLite layer against real database files: values keep their type through
// bindings and rows, and every failure comes back as an error value with the
// extended code instead of an abort.

#include "db/SqliteDatabase.h"

#include <QTemporaryDir>
#include <QTest>

#include <sqlite3.h>

#include <limits>

using namespace trovi::db;

Q_DECLARE_METATYPE(trovi::db::Value)

namespace {
// The code of a failure, or SQLITE_OK when there was none.
int codeOf(const std::optional<SqliteError>& error) {
    return error ? error->code : SQLITE_OK;
}
} // namespace

class TestSqliteDatabase : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

    Connection openFile(const QString& name) {
        auto connection = Connection::open(m_dir.filePath(name), ReadWrite | Create);
        if (!connection)
            qFatal("cannot open %s: %s", qPrintable(name),
                   qPrintable(connection.error().description()));
        return std::move(connection).value();
    }

private Q_SLOTS:
    void initTestCase() { QVERIFY(m_dir.isValid()); }

    void valuesKeepTheirType_data() {
        QTest::addColumn<Value>("value");
        QTest::addColumn<QString>("sqlType");

        QTest::addRow("integer min")
            << Value(std::numeric_limits<std::int64_t>::min()) << "integer";
        QTest::addRow("integral real") << Value(3.0) << "real";
        QTest::addRow("unicode text") << Value(QStringLiteral(u"Grüße ✓ 🎉")) << "text";
        QTest::addRow("text with NUL")
            << Value(QString(QStringLiteral("a") + QChar(0) + "b")) << "text";
        // Null Qt containers have no data pointer; they must not become SQL NULL.
        QTest::addRow("null QString") << Value(QString()) << "text";
        QTest::addRow("null QByteArray") << Value(QByteArray()) << "blob";
        QTest::addRow("binary blob") << Value(QByteArray("\x00\xff\x01", 3)) << "blob";
        QTest::addRow("null") << Value(std::monostate{}) << "null";
    }

    void valuesKeepTheirType() {
        QFETCH(Value, value);
        QFETCH(QString, sqlType);

        Connection db = openFile(QStringLiteral("types.sqlite3"));
        auto statement = db.prepare(QStringLiteral("SELECT ?1, typeof(?1)"), {value});
        QVERIFY(statement.ok());
        auto row = statement->next();
        QVERIFY(row.ok() && row.value().has_value());
        const Row& r = *row.value();
        QCOMPARE(r.text(1), sqlType);
        QVERIFY(r.values[0] == value);

        // Typed accessors answer only for their own type, and past the end not at all.
        QCOMPARE(r.integer(0).has_value(), sqlType == "integer");
        QCOMPARE(r.real(0).has_value(), sqlType == "real");
        QCOMPARE(r.blob(0).has_value(), sqlType == "blob");
        QCOMPARE(r.isNull(0), sqlType == "null");
        QVERIFY(r.isNull(7) && !r.integer(7));
    }

    void badSqlGivesCodeAndMessage() {
        Connection db = openFile(QStringLiteral("bad.sqlite3"));
        for (const auto& [sql, messagePart] :
             {std::pair{"SELEC 1", "syntax error"},
              std::pair{"SELECT * FROM nowhere", "no such table: nowhere"}}) {
            auto statement = db.prepare(QString(sql));
            QVERIFY(!statement.ok());
            QCOMPARE(statement.error().code, SQLITE_ERROR);
            QVERIFY2(statement.error().message.contains(messagePart),
                     qPrintable(statement.error().message));
            QCOMPARE(statement.error().context, QString(sql));
            QVERIFY(statement.error().description().endsWith(QStringLiteral("(code 1)")));
            QCOMPARE(codeOf(db.execute(QString(sql))), SQLITE_ERROR);
        }
    }

    void openingInMissingFolderFails() {
        const QString missing = m_dir.filePath(QStringLiteral("no/such/folder/db.sqlite3"));
        auto connection = Connection::open(missing, ReadWrite | Create);
        QVERIFY(!connection.ok());
        QCOMPARE(connection.error().code & 0xff, SQLITE_CANTOPEN);
        QCOMPARE(connection.error().context, missing);
        QVERIFY(!connection.error().message.isEmpty());
    }

    void constraintViolationsCarryExtendedCode() {
        Connection db = openFile(QStringLiteral("constraints.sqlite3"));
        QVERIFY(!db.execute(QStringLiteral(
            "CREATE TABLE c(id INTEGER PRIMARY KEY, name TEXT NOT NULL, tag TEXT UNIQUE);"
            "INSERT INTO c VALUES (1, 'first', 'same');")));
        const auto insert = [&](const char* values) {
            return codeOf(db.run(QStringLiteral("INSERT INTO c VALUES ") + values));
        };
        QCOMPARE(insert("(2, 'x', 'same')"), SQLITE_CONSTRAINT_UNIQUE);
        QCOMPARE(insert("(1, 'y', 'other')"), SQLITE_CONSTRAINT_PRIMARYKEY);
        QCOMPARE(insert("(3, NULL, 'third')"), SQLITE_CONSTRAINT_NOTNULL);
    }

    void lockedDatabaseIsAnErrorFromStepping() {
        Connection writer = openFile(QStringLiteral("locked.sqlite3"));
        QVERIFY(!writer.execute(QStringLiteral("CREATE TABLE t(v); INSERT INTO t VALUES (1);")));
        Connection reader = openFile(QStringLiteral("locked.sqlite3"));
        // Prepared while unlocked so that the schema is already known.
        auto select = reader.prepare(QStringLiteral("SELECT v FROM t"));
        QVERIFY(select.ok());

        QVERIFY(!writer.execute(QStringLiteral("BEGIN EXCLUSIVE; INSERT INTO t VALUES (2);")));
        auto step = select->next();
        QVERIFY(!step.ok());
        QCOMPARE(step.error().code & 0xff, SQLITE_BUSY);
        QCOMPARE(codeOf(reader.run(QStringLiteral("INSERT INTO t VALUES (3)"))) & 0xff,
                 SQLITE_BUSY);

        // Once the lock is gone the same statement works again.
        QVERIFY(!writer.execute(QStringLiteral("COMMIT")));
        auto rows = select->all();
        QVERIFY(rows.ok());
        QCOMPARE(rows->size(), std::size_t(2));
    }

    void aRunningStatementStopsWhenAskedAndOnlyThen() {
        auto connection =
            Connection::open(m_dir.filePath(QStringLiteral("interrupt.db")), ReadWrite | Create);
        QVERIFY(connection);
        const QString count =
            QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n "
                           "WHERE i < 200000) SELECT count(*) FROM n");
        {
            int asked = 0;
            const auto guard = connection->interruptWhen([&asked] { return ++asked > 3; });
            auto statement = connection->prepare(count);
            QVERIFY(statement);
            auto rows = statement->all();
            QVERIFY(!rows);
            QVERIFY(rows.error().isInterruption());
            QCOMPARE(asked, 4);
        }
        auto statement = connection->prepare(count); // the guard is gone: runs to the end
        QVERIFY(statement);
        auto rows = statement->all();
        QVERIFY(rows);
        QCOMPARE(rows->front().integer(0), std::optional<std::int64_t>(200000));
    }

    void statementsCanBeRebound() {
        Connection db = openFile(QStringLiteral("reuse.sqlite3"));
        QVERIFY(!db.execute(QStringLiteral("CREATE TABLE t(k, v)")));
        auto insert = db.prepare(QStringLiteral("INSERT INTO t VALUES (?1, ?2)"),
                                 {QStringLiteral("a"), std::int64_t(1)});
        QVERIFY(insert.ok() && !insert->run());
        QVERIFY(!insert->bind({QStringLiteral("b"), std::int64_t(2)}));
        QVERIFY(!insert->run());

        // A half-read statement can be rebound too.
        auto lookup =
            db.prepare(QStringLiteral("SELECT v FROM t WHERE k = ?1"), {QStringLiteral("a")});
        QCOMPARE(lookup->next().value().value_or(Row{}).integer(0), std::int64_t(1));
        QVERIFY(!lookup->bind({QStringLiteral("b")}));
        QCOMPARE(lookup->next().value().value_or(Row{}).integer(0), std::int64_t(2));

        auto tooMany = db.prepare(QStringLiteral("SELECT ?1"), {std::int64_t(1), std::int64_t(2)});
        QCOMPARE(tooMany.error().code, SQLITE_RANGE);
    }

    void emptyAndMovedFromObjectsReportMisuse() {
        Connection closed;
        QCOMPARE(closed.prepare(QStringLiteral("SELECT 1")).error().code, SQLITE_MISUSE);
        QCOMPARE(codeOf(closed.execute(QStringLiteral("SELECT 1"))), SQLITE_MISUSE);

        Connection db = openFile(QStringLiteral("moved.sqlite3"));
        auto prepared = db.prepare(QStringLiteral("SELECT 1"));
        QVERIFY(prepared.ok());
        Statement moved = std::move(prepared.value());
        QCOMPARE(prepared.value().next().error().code, SQLITE_MISUSE);
        QVERIFY(moved.next().ok());
    }

    void statementMayOutliveItsConnection() {
        std::optional<Statement> statement;
        {
            Connection db = openFile(QStringLiteral("outlive.sqlite3"));
            statement.emplace(std::move(db.prepare(QStringLiteral("SELECT 42")).value()));
        }
        // The connection closes lazily once its last statement is finalised.
        auto row = statement->next();
        QVERIFY(row.ok() && row.value());
        QCOMPARE(row.value()->integer(0), std::int64_t(42));
    }
};

QTEST_GUILESS_MAIN(TestSqliteDatabase)
#include "tst_sqlitedatabase.moc"
