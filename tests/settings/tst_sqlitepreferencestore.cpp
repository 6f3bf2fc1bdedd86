// The preference file under real conditions: values keep their type across a
// reopen, two processes write at once, a writer is killed mid-loop, a broken
// file is moved aside, and several threads share one store.
//
// The executable doubles as its own child process: "--child <mode> …" runs one
// of the writer programs below instead of the tests.

#include "db/SqliteDatabase.h"
#include "launcher/settings/LauncherSettingsStores.h"
#include "launcher/settings/SqlitePreferenceStore.h"
#include "settings/support/StderrCapture.h"

#include <QCborArray>
#include <QCborMap>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>
#include <iostream>
#include <limits>
#include <string>
#include <thread>

using namespace trovi;
using trovi::test::StderrCapture;

namespace {

// ---- Child programs -------------------------------------------------------

// write <path> <prefix> <count>: waits for a line on stdin, then writes
// <prefix>-0 … <prefix>-(count-1), each its own write.
int childWrite(const QString& path, const QString& prefix, int count) {
    auto store = SqlitePreferenceStore::open(path);
    if (!store)
        return 3;
    std::printf("ready\n");
    std::fflush(stdout);
    std::string go;
    std::getline(std::cin, go);
    for (int i = 0; i < count; ++i) {
        const QString key = prefix + QStringLiteral("-%1").arg(i);
        store->setInteger(key, i);
        if (store->integerValue(key) != i)
            return 4;
    }
    return 0;
}

// write-forever <path>: writes k-0, k-1, … and prints each index once its
// write has returned, until killed.
int childWriteForever(const QString& path) {
    auto store = SqlitePreferenceStore::open(path);
    if (!store)
        return 3;
    const QString padding(512, QChar(u'x'));
    for (qint64 i = 0; i < 10'000'000; ++i) {
        QCborMap entry;
        entry.insert(QStringLiteral("index"), i);
        entry.insert(QStringLiteral("padding"), padding);
        store->setMap(QStringLiteral("k-%1").arg(i), entry);
        std::printf("%lld\n", static_cast<long long>(i));
        std::fflush(stdout);
    }
    return 0;
}

// set <path> <key> <value>: one string write.
int childSet(const QString& path, const QString& key, const QString& value) {
    auto store = SqlitePreferenceStore::open(path);
    if (!store)
        return 3;
    store->setString(key, value);
    return 0;
}

int runChild(int argc, char** argv) {
    const QStringList args = [&] {
        QStringList list;
        for (int i = 2; i < argc; ++i)
            list.append(QString::fromLocal8Bit(argv[i]));
        return list;
    }();
    if (args.size() == 4 && args[0] == "write")
        return childWrite(args[1], args[2], args[3].toInt());
    if (args.size() == 2 && args[0] == "write-forever")
        return childWriteForever(args[1]);
    if (args.size() == 4 && args[0] == "set")
        return childSet(args[1], args[2], args[3]);
    return 2;
}

// ---- Helpers for the tests ------------------------------------------------

void startChild(QProcess& process, const QStringList& args) {
    process.setProgram(QCoreApplication::applicationFilePath());
    process.setArguments(QStringList{QStringLiteral("--child")} + args);
    process.start();
}

QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
}

QStringList asideCopies(const QString& path) {
    const QFileInfo info(path);
    const QStringList names = info.dir().entryList({info.fileName() + QStringLiteral(".corrupt-*")},
                                                   QDir::Files, QDir::Name);
    QStringList result;
    for (const QString& name : names)
        if (!name.endsWith(QStringLiteral("-wal")) && !name.endsWith(QStringLiteral("-shm")))
            result.append(info.dir().filePath(name));
    return result;
}

QByteArray sqliteFile(const QString& path, const QString& sql) {
    {
        auto db = db::Connection::open(path, db::ReadWrite | db::Create);
        if (!db || db->execute(sql))
            qFatal("cannot build %s", qPrintable(path));
    }
    return readFile(path);
}

} // namespace

Q_DECLARE_METATYPE(db::Value)

class TestSqlitePreferenceStore : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    int m_counter = 0;

    // A fresh file name per test so that nothing leaks between cases.
    QString freshPath() {
        return m_dir.filePath(QStringLiteral("case-%1/preferences.sqlite3").arg(++m_counter));
    }

private Q_SLOTS:
    void initTestCase() { QVERIFY(m_dir.isValid()); }

    void valuesKeepTheirTypeAcrossReopen_data() {
        QTest::addColumn<QCborValue>("value");
        QTest::addColumn<QString>("typedAccessor");

        QCborMap nested;
        nested.insert(QStringLiteral("count"), 3);
        nested.insert(QStringLiteral("ratio"), 0.25);
        nested.insert(QStringLiteral("path"), QStringLiteral("/home/ana/Dokumente/Übersicht.pdf"));
        nested.insert(QStringLiteral("inner"), QCborMap{{QStringLiteral("on"), true}});

        const QDateTime when(QDate(2024, 2, 29), QTime(23, 59, 58, 125), Qt::UTC);

        QTest::addRow("bool true") << QCborValue(true) << "bool";
        QTest::addRow("bool false") << QCborValue(false) << "bool";
        QTest::addRow("integer") << QCborValue(42) << "integer";
        QTest::addRow("integer max") << QCborValue(std::numeric_limits<qint64>::max()) << "integer";
        QTest::addRow("integer min") << QCborValue(std::numeric_limits<qint64>::min()) << "integer";
        QTest::addRow("real") << QCborValue(0.1) << "real";
        QTest::addRow("real integral") << QCborValue(30.0) << "real";
        QTest::addRow("string") << QCborValue(QStringLiteral(u"Grüße ✓ 日本 🎉")) << "string";
        QTest::addRow("empty string") << QCborValue(QString()) << "string";
        QTest::addRow("bytes") << QCborValue(QByteArray("\x00\x01\xff", 3)) << "bytes";
        QTest::addRow("date") << QCborValue(when) << "date";
        QTest::addRow("string list")
            << QCborValue(QCborArray::fromStringList({"cc", "", "Ähm"})) << "stringList";
        QTest::addRow("empty list") << QCborValue(QCborArray()) << "stringList";
        QTest::addRow("map") << QCborValue(nested) << "map";
        QTest::addRow("mixed list") << QCborValue(QCborArray{1, "two"}) << "none";
        QTest::addRow("null") << QCborValue(nullptr) << "none";
    }

    void valuesKeepTheirTypeAcrossReopen() {
        QFETCH(QCborValue, value);
        QFETCH(QString, typedAccessor);

        const QString path = freshPath();
        const QString key = QStringLiteral("some key ✓");
        {
            auto store = SqlitePreferenceStore::open(path);
            QVERIFY(store);
            store->setValue(key, value);
        }
        auto store = SqlitePreferenceStore::open(path);
        QVERIFY(store);
        const std::optional<QCborValue> read = store->value(key);
        QVERIFY(read.has_value());
        QCOMPARE(read->type(), value.type());
        QCOMPARE(*read, value);
        QCOMPARE(store->keys(), QStringList{key});

        // Exactly the accessor for the stored type answers.
        QCOMPARE(store->boolValue(key).has_value(), typedAccessor == "bool");
        QCOMPARE(store->integerValue(key).has_value(), typedAccessor == "integer");
        QCOMPARE(store->realValue(key).has_value(), typedAccessor == "real");
        QCOMPARE(store->stringValue(key).has_value(), typedAccessor == "string");
        QCOMPARE(store->bytesValue(key).has_value(), typedAccessor == "bytes");
        QCOMPARE(store->dateValue(key).has_value(), typedAccessor == "date");
        QCOMPARE(store->stringListValue(key).has_value(), typedAccessor == "stringList");
        QCOMPARE(store->mapValue(key).has_value(), typedAccessor == "map");
        if (typedAccessor == "date")
            QCOMPARE(*store->dateValue(key), value.toDateTime());

        store->remove(key);
        QVERIFY(!store->value(key));
        QVERIFY(store->keys().isEmpty());
    }

    void brokenStoredValuesReadAsAbsent_data() {
        QTest::addColumn<db::Value>("raw");

        QTest::addRow("undecodable blob") << db::Value(QByteArray("\xff\xfe\x1c", 3));
        QTest::addRow("truncated map") << db::Value(QByteArray("\xa2\x61\x61", 3));
        QTest::addRow("two items") << db::Value(QByteArray("\x01\x02", 2));
        QTest::addRow("empty blob") << db::Value(QByteArray(""));
        QTest::addRow("text instead of blob") << db::Value(QStringLiteral("fast"));
        QTest::addRow("integer instead of blob") << db::Value(std::int64_t(5));
    }

    void brokenStoredValuesReadAsAbsent() {
        QFETCH(db::Value, raw);

        const QString path = freshPath();
        QVERIFY(SqlitePreferenceStore::open(path));
        {
            auto db = db::Connection::open(path, db::ReadWrite);
            QVERIFY(db.ok());
            for (const char* key : {"launcherSearchDebounceMilliseconds", "launcherThemeID",
                                    "launcherSnapToGrid", "showSnippets"})
                QVERIFY(!db->run(QStringLiteral("INSERT INTO preferences VALUES (?1, ?2)"),
                                 {QString::fromLatin1(key), raw}));
        }
        auto store = SqlitePreferenceStore::open(path);
        QVERIFY(store);
        QVERIFY(asideCopies(path).isEmpty()); // a bad value is not a bad file
        QVERIFY(!store->value(QStringLiteral("launcherThemeID")));
        QVERIFY(!store->stringListValue(QStringLiteral("launcherThemeID")));
        QCOMPARE(SearchDebounceSettingsStore(*store).load(), 50);
        QCOMPARE(LauncherThemeStore(*store).load(), QStringLiteral("graphite"));
        QCOMPARE(WindowSnapSettingsStore(*store).load(true), true);
        QVERIFY(!showSnippets(*store));

        // Writing over a broken value repairs it.
        SearchDebounceSettingsStore(*store).save(70);
        QCOMPARE(SearchDebounceSettingsStore(*store).load(), 70);
    }

    void newFileIsPrivateInANewFolder() {
        const QString path = m_dir.filePath(QStringLiteral("new/deeper/preferences.sqlite3"));
        auto store = SqlitePreferenceStore::open(path);
        QVERIFY(store);
        QCOMPARE(store->path(), path);
        store->setBool(QStringLiteral("launcherSnapToGrid"), false);

        const auto ownerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
        const auto others = QFileDevice::ReadGroup | QFileDevice::WriteGroup |
                            QFileDevice::ReadOther | QFileDevice::WriteOther;
        QCOMPARE(QFile::permissions(path) & (ownerOnly | others), ownerOnly);
        for (const char* suffix : {"-wal", "-shm"}) {
            const QString companion = path + QLatin1String(suffix);
            if (QFileInfo::exists(companion))
                QCOMPARE(QFile::permissions(companion) & others, QFileDevice::Permissions());
        }
    }

    void invalidFileIsMovedAside_data() {
        QTest::addColumn<QByteArray>("contents");
        QTest::addColumn<QString>("reasonPart");

        QByteArray garbage;
        for (int i = 0; i < 8192; ++i)
            garbage.append(char((i * 7919 + 13) % 251));
        const QString scratch = m_dir.filePath(QStringLiteral("scratch-%1.sqlite3"));

        QTest::addRow("garbage bytes") << garbage << "not a database";
        QTest::addRow("text file") << QByteArray("launcherThemeID=forest\n") << "not a database";
        QTest::addRow("truncated sqlite header")
            << QByteArray("SQLite format 3\0\x10\x00", 18) + garbage << "";
        QTest::addRow("other program's database")
            << sqliteFile(scratch.arg(1), "CREATE TABLE notes(id INTEGER PRIMARY KEY, body TEXT);"
                                          "INSERT INTO notes(body) VALUES ('keep me');")
            << "another program";
        QTest::addRow("our id, no table")
            << sqliteFile(scratch.arg(2), "PRAGMA application_id = 1414682192;"
                                          "CREATE TABLE other(x);")
            << "missing or malformed";
        QTest::addRow("our id, wrong columns")
            << sqliteFile(scratch.arg(3), "PRAGMA application_id = 1414682192;"
                                          "CREATE TABLE preferences(name TEXT, data BLOB);")
            << "missing or malformed";
    }

    void invalidFileIsMovedAside() {
        QFETCH(QByteArray, contents);
        QFETCH(QString, reasonPart);

        const QString path = freshPath();
        QVERIFY(QDir().mkpath(QFileInfo(path).absolutePath()));
        writeFile(path, contents);

        StderrCapture capture;
        auto store = SqlitePreferenceStore::open(path);
        const QString diagnostics = capture.finish();
        QVERIFY(store);

        // The original bytes are kept under the dated name.
        const QStringList aside = asideCopies(path);
        QCOMPARE(aside.size(), 1);
        QVERIFY2(QRegularExpression(QStringLiteral(R"(\.corrupt-\d{8}-\d{6}$)"))
                     .match(aside.front())
                     .hasMatch(),
                 qPrintable(aside.front()));
        QCOMPARE(readFile(aside.front()), contents);

        // One line on stderr naming both files.
        QCOMPARE(diagnostics.count(QLatin1Char('\n')), 1);
        QVERIFY2(diagnostics.contains(path) && diagnostics.contains(aside.front()) &&
                     diagnostics.contains(reasonPart),
                 qPrintable(diagnostics));

        // The fresh store works and stays put on the next open.
        QVERIFY(store->keys().isEmpty());
        store->setString(QStringLiteral("launcherThemeID"), QStringLiteral("ember"));
        store.reset();
        StderrCapture quiet;
        auto again = SqlitePreferenceStore::open(path);
        QVERIFY(quiet.finish().isEmpty());
        QVERIFY(again);
        QCOMPARE(again->stringValue(QStringLiteral("launcherThemeID")), QStringLiteral("ember"));
        QCOMPARE(asideCopies(path).size(), 1);
    }

    void emptyFilesAreAdopted_data() {
        QTest::addColumn<QByteArray>("contents");
        QTest::addRow("zero bytes") << QByteArray();
        QTest::addRow("empty sqlite database") << sqliteFile(
            m_dir.filePath(QStringLiteral("scratch-empty.sqlite3")), "PRAGMA user_version = 0;");
    }

    void emptyFilesAreAdopted() {
        QFETCH(QByteArray, contents);
        const QString path = freshPath();
        QVERIFY(QDir().mkpath(QFileInfo(path).absolutePath()));
        writeFile(path, contents);

        StderrCapture capture;
        auto store = SqlitePreferenceStore::open(path);
        QVERIFY(capture.finish().isEmpty());
        QVERIFY(store);
        QVERIFY(asideCopies(path).isEmpty());
        store->setInteger(QStringLiteral("n"), 1);
        QCOMPARE(store->integerValue(QStringLiteral("n")), qint64(1));
    }

    void unusablePathsFailWithoutTouchingAnything() {
        // A folder where the file should be.
        const QString folderPath = freshPath();
        QVERIFY(QDir().mkpath(folderPath));
        writeFile(folderPath + QStringLiteral("/inside.txt"), "mine");
        QString error;
        StderrCapture capture;
        QVERIFY(!SqlitePreferenceStore::open(folderPath, &error));
        QVERIFY(capture.finish().isEmpty());
        QVERIFY2(error.contains(folderPath), qPrintable(error));
        QVERIFY(QFileInfo(folderPath).isDir());
        QCOMPARE(readFile(folderPath + QStringLiteral("/inside.txt")), QByteArray("mine"));
        QVERIFY(asideCopies(folderPath).isEmpty());

        // A file where the folder should be.
        const QString blocker = m_dir.filePath(QStringLiteral("blocker"));
        writeFile(blocker, "file");
        error.clear();
        QVERIFY(
            !SqlitePreferenceStore::open(blocker + QStringLiteral("/preferences.sqlite3"), &error));
        QVERIFY(!error.isEmpty());
        QCOMPARE(readFile(blocker), QByteArray("file"));
    }

    void defaultPathFollowsXdgConfigHome_data() {
        QTest::addColumn<QByteArray>("configHome"); // empty: unset
        QTest::addColumn<QString>("expected");

        const QString home = QDir::homePath();
        QTest::addRow("set") << QByteArray("/srv/cfg")
                             << "/srv/cfg/trovi-launcher/preferences.sqlite3";
        QTest::addRow("trailing slash")
            << QByteArray("/srv/cfg/") << "/srv/cfg/trovi-launcher/preferences.sqlite3";
        QTest::addRow("unset") << QByteArray()
                               << home + "/.config/trovi-launcher/preferences.sqlite3";
        QTest::addRow("relative is ignored")
            << QByteArray("relative/cfg") << home + "/.config/trovi-launcher/preferences.sqlite3";
    }

    void defaultPathFollowsXdgConfigHome() {
        QFETCH(QByteArray, configHome);
        QFETCH(QString, expected);

        const QByteArray saved = qgetenv("XDG_CONFIG_HOME");
        const bool wasSet = qEnvironmentVariableIsSet("XDG_CONFIG_HOME");
        if (configHome.isEmpty())
            qunsetenv("XDG_CONFIG_HOME");
        else
            qputenv("XDG_CONFIG_HOME", configHome);
        const QString path = SqlitePreferenceStore::defaultPath();
        if (wasSet)
            qputenv("XDG_CONFIG_HOME", saved);
        else
            qunsetenv("XDG_CONFIG_HOME");
        QCOMPARE(path, expected);
    }

    void readsSeeWritesOfOtherConnections() {
        const QString path = freshPath();
        auto reader = SqlitePreferenceStore::open(path);
        QVERIFY(reader);
        const QString key = QStringLiteral("launcherThemeID");
        QVERIFY(!reader->value(key));

        // Another process…
        QProcess child;
        startChild(child, {QStringLiteral("set"), path, key, QStringLiteral("frost")});
        QVERIFY(child.waitForFinished(30000));
        QCOMPARE(child.exitCode(), 0);
        QCOMPARE(reader->stringValue(key), QStringLiteral("frost"));
        QCOMPARE(LauncherThemeStore(*reader).load(), QStringLiteral("frost"));

        // …and another connection in this one.
        auto writer = SqlitePreferenceStore::open(path);
        writer->setString(key, QStringLiteral("ember"));
        QCOMPARE(reader->stringValue(key), QStringLiteral("ember"));
        writer->remove(key);
        QVERIFY(!reader->value(key));
        QCOMPARE(LauncherThemeStore(*reader).load(), QStringLiteral("graphite"));
    }

    void twoProcessesWritingLoseNothing() {
        const QString path = freshPath();
        QVERIFY(SqlitePreferenceStore::open(path)); // so both children find a store
        constexpr int kCount = 1000;

        QProcess first;
        QProcess second;
        startChild(first, {"write", path, "first", QString::number(kCount)});
        startChild(second, {"write", path, "second", QString::number(kCount)});
        for (QProcess* child : {&first, &second}) {
            QVERIFY(child->waitForStarted(30000));
            while (!child->canReadLine())
                QVERIFY(child->waitForReadyRead(30000));
            QCOMPARE(child->readLine(), QByteArray("ready\n"));
        }
        // Let both loose at once.
        first.write("go\n");
        second.write("go\n");
        QVERIFY(first.waitForBytesWritten(30000));
        QVERIFY(second.waitForBytesWritten(30000));
        for (QProcess* child : {&first, &second}) {
            QVERIFY(child->waitForFinished(60000));
            QCOMPARE(child->exitStatus(), QProcess::NormalExit);
            QVERIFY2(child->exitCode() == 0, child->readAllStandardError().constData());
            QCOMPARE(child->readAllStandardError(), QByteArray());
        }

        auto store = SqlitePreferenceStore::open(path);
        QVERIFY(store);
        QCOMPARE(store->keys().size(), 2 * kCount);
        for (int i = 0; i < kCount; ++i) {
            QCOMPARE(store->integerValue(QStringLiteral("first-%1").arg(i)), qint64(i));
            QCOMPARE(store->integerValue(QStringLiteral("second-%1").arg(i)), qint64(i));
        }
    }

    void killedWriterKeepsEveryCompletedWrite() {
        const QString path = freshPath();
        QProcess child;
        startChild(child, {QStringLiteral("write-forever"), path});
        QVERIFY(child.waitForStarted(30000));

        // Let it get well into its loop, then kill it without warning.
        QByteArray output;
        while (output.count('\n') < 300) {
            QVERIFY2(child.waitForReadyRead(30000), child.readAllStandardError().constData());
            output += child.readAllStandardOutput();
        }
        child.kill(); // SIGKILL
        QVERIFY(child.waitForFinished(30000));
        QCOMPARE(child.exitStatus(), QProcess::CrashExit);
        output += child.readAllStandardOutput();

        // Only whole lines are writes the child saw complete.
        const QList<QByteArray> lines = output.left(output.lastIndexOf('\n')).split('\n');
        qint64 last = -1;
        for (const QByteArray& line : lines) {
            bool ok = false;
            const qint64 index = line.toLongLong(&ok);
            QVERIFY(ok);
            QCOMPARE(index, last + 1);
            last = index;
        }
        QVERIFY(last >= 299);

        StderrCapture capture;
        auto store = SqlitePreferenceStore::open(path);
        QCOMPARE(capture.finish(), QString());
        QVERIFY(store);
        QVERIFY(asideCopies(path).isEmpty());
        for (qint64 i = 0; i <= last; ++i) {
            const auto entry = store->mapValue(QStringLiteral("k-%1").arg(i));
            QVERIFY2(entry.has_value(), qPrintable(QStringLiteral("k-%1 lost").arg(i)));
            QCOMPARE(entry->value(QStringLiteral("index")).toInteger(), i);
        }
        // The store is writable again.
        store->setBool(QStringLiteral("after"), true);
        QCOMPARE(store->boolValue(QStringLiteral("after")), true);
    }

    void threadsShareOneStore() {
        auto store = SqlitePreferenceStore::open(freshPath());
        QVERIFY(store);
        constexpr int kThreads = 4;
        constexpr int kWrites = 150;
        std::atomic<int> mismatches{0};
        std::vector<std::thread> threads;
        for (int t = 0; t < kThreads; ++t) {
            threads.emplace_back([&, t] {
                for (int i = 0; i < kWrites; ++i) {
                    const QString key = QStringLiteral("t%1-%2").arg(t).arg(i);
                    store->setInteger(key, i);
                    if (store->integerValue(key) != i)
                        ++mismatches;
                    store->keys();
                }
            });
        }
        for (auto& thread : threads)
            thread.join();
        QCOMPARE(mismatches.load(), 0);
        QCOMPARE(store->keys().size(), kThreads * kWrites);
    }

    void standardStoreIsTheUserFile() {
        QTemporaryDir configHome;
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(configHome.path()));

        PreferenceStore* seen[4] = {};
        std::vector<std::thread> threads;
        for (auto& slot : seen)
            threads.emplace_back([&slot] { slot = &PreferenceStore::standard(); });
        for (auto& thread : threads)
            thread.join();
        for (PreferenceStore* store : seen)
            QCOMPARE(store, seen[0]);

        auto* sqlite = dynamic_cast<SqlitePreferenceStore*>(seen[0]);
        QVERIFY(sqlite);
        QCOMPARE(sqlite->path(),
                 configHome.filePath(QStringLiteral("trovi-launcher/preferences.sqlite3")));
        sqlite->setBool(QStringLiteral("launcherShowMenuBarIcon"), false);
        QVERIFY(!MenuBarIconVisibilityStore::standard().load(true));
    }
};

int main(int argc, char** argv) {
    if (argc >= 2 && qstrcmp(argv[1], "--child") == 0)
        return runChild(argc, argv);
    QCoreApplication app(argc, argv);
    TestSqlitePreferenceStore test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_sqlitepreferencestore.moc"
