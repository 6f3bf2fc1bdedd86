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

        Connection db = openFile("types.sqlite3");
        auto statement = db.prepare("SELECT ?1, typeof(?1)", {value});
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

    void failuresComeBackAsErrors() {
        Connection db = openFile("bad.sqlite3");
        auto statement = db.prepare("SELECT * FROM nowhere");
        QCOMPARE(statement.error().code, SQLITE_ERROR);
        QVERIFY(statement.error().description().contains("no such table: nowhere"));
        QVERIFY(!db.execute("CREATE TABLE c(id INTEGER PRIMARY KEY, tag TEXT UNIQUE);"
                            "INSERT INTO c VALUES (1, 'same');"));
        QCOMPARE(db.run("INSERT INTO c VALUES (2, 'same')").value_or(SqliteError{}).code,
                 SQLITE_CONSTRAINT_UNIQUE);
        QCOMPARE(db.prepare("SELECT ?1", {std::int64_t(1), std::int64_t(2)}).error().code,
                 SQLITE_RANGE);
        // A closed or moved-from object reports misuse instead of crashing.
        QCOMPARE(Connection().prepare("SELECT 1").error().code, SQLITE_MISUSE);
        auto prepared = db.prepare("SELECT 1");
        Statement moved = std::move(prepared.value());
        QCOMPARE(prepared.value().next().error().code, SQLITE_MISUSE);
        QVERIFY(moved.next().ok());
    }

    // The busy case is the document index's, with the indexer holding the lock.
    void rebindingRunsTheStatementAgain() {
        Connection reader = openFile("rebind.sqlite3");
        QVERIFY(!reader.execute("CREATE TABLE t(v); INSERT INTO t VALUES (1);"));
        auto lookup = reader.prepare("SELECT count(*) FROM t WHERE v = ?1", {std::int64_t(1)});
        QCOMPARE(lookup->next().value().value_or(Row{}).integer(0), std::int64_t(1));
        QVERIFY(!lookup->bind({std::int64_t(3)}));
        QCOMPARE(lookup->next().value().value_or(Row{}).integer(0), std::int64_t(0));
    }

    void aRunningStatementStopsWhenAskedAndOnlyThen() {
        auto connection = Connection::open(m_dir.filePath("interrupt.db"), ReadWrite | Create);
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

    void statementMayOutliveItsConnection() {
        std::optional<Statement> statement;
        {
            Connection db = openFile("outlive.sqlite3");
            statement.emplace(std::move(db.prepare("SELECT 42").value()));
        }
        // The connection closes lazily once its last statement is finalised.
        QCOMPARE(statement->next().value().value_or(Row{}).integer(0), std::int64_t(42));
    }
};

QTEST_GUILESS_MAIN(TestSqliteDatabase)
#include "tst_sqlitedatabase.moc"
