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

QString typeName(const Value& value) {
    switch (value.index()) {
    case 0:
        return QStringLiteral("null");
    case 1:
        return QStringLiteral("integer");
    case 2:
        return QStringLiteral("real");
    case 3:
        return QStringLiteral("text");
    default:
        return QStringLiteral("blob");
    }
}

// QVERIFY2 evaluates its message eagerly, so never touch error() of a success.
template <typename R> QByteArray errorText(const R& result) {
    return result.ok() ? QByteArray() : result.error().description().toUtf8();
}

} // namespace

class TestSqliteDatabase : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;

    QString path(const QString& name) const { return m_dir.filePath(name); }

    Connection openFile(const QString& name) {
        auto connection = Connection::open(path(name), ReadWrite | Create);
        if (!connection)
            qFatal("cannot open %s: %s", qPrintable(name),
                   qPrintable(connection.error().description()));
        return std::move(connection).value();
    }

private Q_SLOTS:
    void initTestCase() { QVERIFY(m_dir.isValid()); }

    void valuesKeepTheirTypeBothWays_data() {
        QTest::addColumn<Value>("value");
        QTest::addColumn<QString>("sqlType");

        QTest::addRow("integer max")
            << Value(std::numeric_limits<std::int64_t>::max()) << "integer";
        QTest::addRow("integer min")
            << Value(std::numeric_limits<std::int64_t>::min()) << "integer";
        QTest::addRow("integer zero") << Value(std::int64_t(0)) << "integer";
        QTest::addRow("real") << Value(-1234.5625) << "real";
        QTest::addRow("real integral") << Value(3.0) << "real";
        QTest::addRow("text unicode") << Value(QStringLiteral(u"Grüße ✓ 日本 🎉")) << "text";
        QTest::addRow("text empty") << Value(QString(QLatin1String(""))) << "text";
        QTest::addRow("text null QString") << Value(QString()) << "text";
        QTest::addRow("text with NUL")
            << Value(QString(QStringLiteral("a") + QChar(0) + "b")) << "text";
        QTest::addRow("blob binary") << Value(QByteArray("\x00\xff\x01\x80", 4)) << "blob";
        QTest::addRow("blob empty") << Value(QByteArray("")) << "blob";
        QTest::addRow("blob null QByteArray") << Value(QByteArray()) << "blob";
        QTest::addRow("null") << Value(std::monostate{}) << "null";
    }

    void valuesKeepTheirTypeBothWays() {
        QFETCH(Value, value);
        QFETCH(QString, sqlType);

        Connection db = openFile(QStringLiteral("types.sqlite3"));
        QVERIFY(!db.execute(QStringLiteral("DROP TABLE IF EXISTS t; CREATE TABLE t(v)")));

        // Straight through a binding...
        auto direct = db.prepare(QStringLiteral("SELECT ?1, typeof(?1)"), {value});
        QVERIFY2(direct.ok(), errorText(direct).constData());
        auto row = direct->next();
        QVERIFY(row.ok() && row.value().has_value());
        QCOMPARE(row.value()->text(1), sqlType);
        QCOMPARE(typeName(row.value()->values[0]), sqlType);
        QVERIFY(row.value()->values[0] == value);

        // ...and through a stored column.
        QVERIFY(!db.run(QStringLiteral("INSERT INTO t(v) VALUES (?1)"), {value}));
        auto stored = db.prepare(QStringLiteral("SELECT v, typeof(v) FROM t"));
        QVERIFY(stored.ok());
        auto rows = stored->all();
        QVERIFY(rows.ok());
        QCOMPARE(rows->size(), std::size_t(1));
        const Row& r = rows->front();
        QCOMPARE(r.text(1), sqlType);
        QVERIFY(r.values[0] == value);

        // Typed accessors answer only for their own type.
        QCOMPARE(r.integer(0).has_value(), sqlType == "integer");
        QCOMPARE(r.real(0).has_value(), sqlType == "real");
        QCOMPARE(r.text(0).has_value(), sqlType == "text");
        QCOMPARE(r.blob(0).has_value(), sqlType == "blob");
        QCOMPARE(r.isNull(0), sqlType == "null");
        QVERIFY(r.isNull(7));
        QVERIFY(!r.integer(7));
    }

    void badSqlGivesExtendedCodeAndDescription_data() {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QString>("messagePart");

        QTest::addRow("syntax error") << "SELEC 1"
                                      << "syntax error";
        QTest::addRow("missing table") << "SELECT * FROM nowhere"
                                       << "no such table: nowhere";
        QTest::addRow("missing column") << "SELECT nope FROM sqlite_schema"
                                        << "no such column";
    }

    void badSqlGivesExtendedCodeAndDescription() {
        QFETCH(QString, sql);
        QFETCH(QString, messagePart);

        Connection db = openFile(QStringLiteral("bad.sqlite3"));
        auto statement = db.prepare(sql);
        QVERIFY(!statement.ok());
        QCOMPARE(statement.error().code, SQLITE_ERROR);
        QVERIFY2(statement.error().message.contains(messagePart),
                 qPrintable(statement.error().message));
        QCOMPARE(statement.error().context, sql);
        QVERIFY(statement.error().description().endsWith(QStringLiteral("(code 1)")));

        auto executed = db.execute(sql);
        QVERIFY(executed.has_value());
        QCOMPARE(executed->code, SQLITE_ERROR);
        QVERIFY(executed->message.contains(messagePart));
    }

    void openingInMissingFolderFails() {
        const QString missing = path(QStringLiteral("no/such/folder/db.sqlite3"));
        auto connection = Connection::open(missing, ReadWrite | Create);
        QVERIFY(!connection.ok());
        QCOMPARE(connection.error().code & 0xff, SQLITE_CANTOPEN);
        QCOMPARE(connection.error().context, missing);
        QVERIFY(!connection.error().message.isEmpty());
        QVERIFY(connection.error().description().contains(
            QStringLiteral("(code %1)").arg(connection.error().code)));
    }

    void constraintViolationsCarryExtendedCode_data() {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<int>("code");

        QTest::addRow("unique") << "INSERT INTO c(id, name, tag) VALUES (2, 'x', 'same')"
                                << SQLITE_CONSTRAINT_UNIQUE;
        QTest::addRow("primary key") << "INSERT INTO c(id, name, tag) VALUES (1, 'y', 'other')"
                                     << SQLITE_CONSTRAINT_PRIMARYKEY;
        QTest::addRow("not null") << "INSERT INTO c(id, name, tag) VALUES (3, NULL, 'third')"
                                  << SQLITE_CONSTRAINT_NOTNULL;
        QTest::addRow("check") << "INSERT INTO c(id, name, tag) VALUES (-4, 'z', 'fourth')"
                               << SQLITE_CONSTRAINT_CHECK;
    }

    void constraintViolationsCarryExtendedCode() {
        QFETCH(QString, sql);
        QFETCH(int, code);

        Connection db = openFile(QStringLiteral("constraints.sqlite3"));
        QVERIFY(!db.execute(QStringLiteral(
            "DROP TABLE IF EXISTS c;"
            "CREATE TABLE c(id INTEGER PRIMARY KEY CHECK (id > 0), name TEXT NOT NULL,"
            "               tag TEXT UNIQUE);"
            "INSERT INTO c VALUES (1, 'first', 'same');")));

        auto error = db.run(sql);
        QVERIFY(error.has_value());
        QCOMPARE(error->code, code);
        QCOMPARE(error->code & 0xff, SQLITE_CONSTRAINT);
    }

    void lockedDatabaseIsAnErrorFromStepping() {
        Connection writer = openFile(QStringLiteral("locked.sqlite3"));
        QVERIFY(!writer.execute(QStringLiteral("CREATE TABLE IF NOT EXISTS t(v);"
                                               "DELETE FROM t; INSERT INTO t VALUES (1);")));
        Connection reader = openFile(QStringLiteral("locked.sqlite3"));

        // Prepared while unlocked so that the schema is already known.
        auto select = reader.prepare(QStringLiteral("SELECT v FROM t"));
        QVERIFY(select.ok());

        QVERIFY(!writer.execute(QStringLiteral("BEGIN EXCLUSIVE; INSERT INTO t VALUES (2);")));

        auto step = select->next();
        QVERIFY(!step.ok());
        QCOMPARE(step.error().code & 0xff, SQLITE_BUSY);
        QVERIFY(!step.error().description().isEmpty());

        auto write = reader.run(QStringLiteral("INSERT INTO t VALUES (3)"));
        QVERIFY(write.has_value());
        QCOMPARE(write->code & 0xff, SQLITE_BUSY);

        // Once the lock is gone the same statement works again.
        QVERIFY(!writer.execute(QStringLiteral("COMMIT")));
        auto rows = select->all();
        QVERIFY2(rows.ok(), errorText(rows).constData());
        QCOMPARE(rows->size(), std::size_t(2));
    }

    void statementCanBeReboundAfterRunning() {
        Connection db = openFile(QStringLiteral("reuse.sqlite3"));
        QVERIFY(!db.execute(QStringLiteral("DROP TABLE IF EXISTS t; CREATE TABLE t(k, v)")));
        auto insert = db.prepare(QStringLiteral("INSERT INTO t VALUES (?1, ?2)"),
                                 {QStringLiteral("a"), std::int64_t(1)});
        QVERIFY(insert.ok());
        QVERIFY(!insert->run());
        QVERIFY(!insert->bind({QStringLiteral("b"), std::int64_t(2)}));
        QVERIFY(!insert->run());
        QCOMPARE(db.changes(), std::int64_t(1));

        auto select = db.prepare(QStringLiteral("SELECT k, v FROM t ORDER BY k"));
        auto rows = select->all();
        QVERIFY(rows.ok());
        QCOMPARE(rows->size(), std::size_t(2));
        QCOMPARE(rows->at(1).text(0), QStringLiteral("b"));
        QCOMPARE(rows->at(1).integer(1), std::int64_t(2));

        // A half-read statement can be rebound too.
        auto lookup =
            db.prepare(QStringLiteral("SELECT v FROM t WHERE k = ?1"), {QStringLiteral("a")});
        QVERIFY(lookup->next().ok());
        QVERIFY(!lookup->bind({QStringLiteral("b")}));
        auto second = lookup->next();
        QVERIFY(second.ok() && second.value());
        QCOMPARE(second.value()->integer(0), std::int64_t(2));
    }

    void tooManyBindingsIsAnError() {
        Connection db = openFile(QStringLiteral("range.sqlite3"));
        auto statement =
            db.prepare(QStringLiteral("SELECT ?1"), {std::int64_t(1), std::int64_t(2)});
        QVERIFY(!statement.ok());
        QCOMPARE(statement.error().code, SQLITE_RANGE);
        QCOMPARE(statement.error().context, QStringLiteral("binding 2"));
    }

    void emptyAndMovedFromObjectsReportMisuse() {
        Connection closed;
        QVERIFY(!closed.isOpen());
        auto statement = closed.prepare(QStringLiteral("SELECT 1"));
        QVERIFY(!statement.ok());
        QCOMPARE(statement.error().code, SQLITE_MISUSE);
        QCOMPARE(closed.execute(QStringLiteral("SELECT 1"))->code, SQLITE_MISUSE);
        QCOMPARE(closed.changes(), std::int64_t(0));

        Connection db = openFile(QStringLiteral("moved.sqlite3"));
        auto prepared = db.prepare(QStringLiteral("SELECT 1"));
        QVERIFY(prepared.ok());
        Statement moved = std::move(prepared.value());
        Statement& empty = prepared.value();
        QCOMPARE(empty.next().error().code, SQLITE_MISUSE);
        QCOMPARE(empty.run()->code, SQLITE_MISUSE);
        QVERIFY(moved.next().ok());

        Connection movedDb = std::move(db);
        QVERIFY(!db.isOpen());
        QVERIFY(movedDb.isOpen());
    }

    void statementMayOutliveItsConnection() {
        std::optional<Statement> statement;
        {
            Connection db = openFile(QStringLiteral("outlive.sqlite3"));
            auto prepared = db.prepare(QStringLiteral("SELECT 42"));
            QVERIFY(prepared.ok());
            statement.emplace(std::move(prepared.value()));
        }
        // The connection closes lazily once its last statement is finalised.
        auto row = statement->next();
        QVERIFY(row.ok() && row.value());
        QCOMPARE(row.value()->integer(0), std::int64_t(42));
        statement.reset();
    }
};

QTEST_GUILESS_MAIN(TestSqliteDatabase)
#include "tst_sqlitedatabase.moc"
