// The preference file under real conditions: values keep their type across a
// reopen, two processes write at once, a writer is killed mid-loop, a broken
// file is moved aside, and several threads share one store.
//
// The executable doubles as its own child process: "--child …" runs the writer
// program below instead of the tests.

#include "db/SqliteDatabase.h"
#include "launcher/settings/LauncherSettingsStores.h"
#include "launcher/settings/SqlitePreferenceStore.h"
#include "tests/support/StderrCapture.h"

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
#include <cstdlib>
#include <iostream>
#include <limits>
#include <string>
#include <thread>

using namespace trovi;
using trovi::test::StderrCapture;

namespace {

// The child program, "--child <path> <prefix> <count>": prints "ready", waits
// for a line on stdin, then writes <prefix>-0 … <prefix>-(count-1), each its
// own write, and prints each index once its write has returned.
int runChild(int argc, char** argv) {
    if (argc != 5)
        return 2;
    auto store = SqlitePreferenceStore::open(QString::fromLocal8Bit(argv[2]));
    if (!store)
        return 3;
    std::printf("ready\n");
    std::fflush(stdout);
    std::string go;
    std::getline(std::cin, go);
    const QString prefix = QString::fromLocal8Bit(argv[3]);
    const QString padding(512, QChar(u'x')); // large writes make a kill mid-write likely
    for (int i = 0; i < std::atoi(argv[4]); ++i) {
        store->setMap(prefix + QStringLiteral("-%1").arg(i),
                      QCborMap{{QStringLiteral("index"), i}, {QStringLiteral("padding"), padding}});
        std::printf("%d\n", i);
        std::fflush(stdout);
    }
    return 0;
}

// ---- Helpers for the tests ------------------------------------------------

void startChild(QProcess& process, const QString& path, const QString& prefix, int count) {
    process.start(QCoreApplication::applicationFilePath(),
                  {QStringLiteral("--child"), path, prefix, QString::number(count)});
}

// The "index" of the map under `key`, or -1 when it is missing.
qint64 indexAt(const PreferenceStore& store, const QString& key) {
    return store.mapValue(key).value_or(QCborMap()).value(QStringLiteral("index")).toInteger(-1);
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

class TestSqlitePreferenceStore : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    int m_counter = 0;

    // A fresh file name per test so that nothing leaks between cases.
    QString freshPath() {
        return m_dir.filePath(QStringLiteral("case-%1/preferences.sqlite3").arg(++m_counter));
    }

    // A file with the given bytes at a fresh path.
    QString fileWith(const QByteArray& contents) {
        const QString path = freshPath();
        if (!QDir().mkpath(QFileInfo(path).absolutePath()))
            qFatal("cannot make the folder for %s", qPrintable(path));
        writeFile(path, contents);
        return path;
    }

private Q_SLOTS:
    void initTestCase() { QVERIFY(m_dir.isValid()); }

    void valuesKeepTheirTypeAcrossReopen() {
        QCborMap nested;
        nested.insert(QStringLiteral("ratio"), 0.25);
        nested.insert(QStringLiteral("inner"), QCborMap{{QStringLiteral("on"), true}});
        // Each value with the one typed accessor that must answer for it.
        const QList<std::pair<QCborValue, QString>> values = {
            {QCborValue(false), "bool"},
            {QCborValue(std::numeric_limits<qint64>::min()), "integer"},
            {QCborValue(30.0), "real"},
            {QCborValue(QStringLiteral(u"Grüße ✓ 日本 🎉")), "string"},
            {QCborValue(QByteArray("\x00\x01\xff", 3)), "bytes"},
            {QCborValue(QDateTime(QDate(2024, 2, 29), QTime(23, 59, 58, 125), Qt::UTC)), "date"},
            {QCborValue(QCborArray::fromStringList({"cc", "", "Ähm"})), "stringList"},
            {QCborValue(nested), "map"},
            {QCborValue(QCborArray{1, "two"}), ""},
            {QCborValue(nullptr), ""}};
        const auto key = [](qsizetype i) { return QStringLiteral("key ✓ %1").arg(i); };

        const QString path = freshPath();
        {
            auto writer = SqlitePreferenceStore::open(path);
            QVERIFY(writer);
            for (qsizetype i = 0; i < values.size(); ++i)
                writer->setValue(key(i), values[i].first);
        }
        auto store = SqlitePreferenceStore::open(path);
        QVERIFY(store);
        QCOMPARE(store->keys().size(), values.size());
        for (qsizetype i = 0; i < values.size(); ++i) {
            const auto& [value, accessor] = values[i];
            QCOMPARE(store->value(key(i)), std::optional(value));
            QCOMPARE(store->value(key(i))->type(), value.type());
            const QString k = key(i);
            const QStringList answering = {
                store->boolValue(k) ? "bool" : "",   store->integerValue(k) ? "integer" : "",
                store->realValue(k) ? "real" : "",   store->stringValue(k) ? "string" : "",
                store->bytesValue(k) ? "bytes" : "", store->dateValue(k) ? "date" : "",
                store->mapValue(k) ? "map" : "",     store->stringListValue(k) ? "stringList" : ""};
            QCOMPARE(answering.join(QString()), accessor);
        }
    }

    void brokenStoredValuesReadAsAbsent() {
        const QString path = freshPath();
        QVERIFY(SqlitePreferenceStore::open(path));
        const QList<std::pair<const char*, db::Value>> broken = {
            {"undecodable", QByteArray("\xff\xfe\x1c", 3)},
            {"launcherSearchDebounceMilliseconds", QByteArray("\x01\x02", 2)}, // two items
            {"launcherThemeID", QStringLiteral("fast")}}; // text instead of a blob
        {
            auto db = db::Connection::open(path, db::ReadWrite);
            QVERIFY(db.ok());
            for (const auto& [key, raw] : broken)
                QVERIFY(!db->run(QStringLiteral("INSERT INTO preferences VALUES (?1, ?2)"),
                                 {QString::fromLatin1(key), raw}));
        }
        auto store = SqlitePreferenceStore::open(path);
        QVERIFY(store);
        QVERIFY(asideCopies(path).isEmpty()); // a bad value is not a bad file
        for (const auto& [key, raw] : broken)
            QVERIFY(!store->value(QString::fromLatin1(key)));
        QCOMPARE(LauncherThemeStore(*store).load(), QStringLiteral("graphite"));
        QCOMPARE(SearchDebounceSettingsStore(*store).load(), 50);

        // Writing over a broken value repairs it.
        SearchDebounceSettingsStore(*store).save(70);
        QCOMPARE(SearchDebounceSettingsStore(*store).load(), 70);
    }

    void newFileIsPrivateInANewFolder() {
        const QString path = m_dir.filePath(QStringLiteral("new/deeper/preferences.sqlite3"));
        auto store = SqlitePreferenceStore::open(path);
        QVERIFY(store);
        store->setBool(QStringLiteral("launcherSnapToGrid"), false);

        const auto others = QFileDevice::ReadGroup | QFileDevice::WriteGroup |
                            QFileDevice::ReadOther | QFileDevice::WriteOther;
        for (const char* suffix : {"", "-wal", "-shm"}) {
            const QString file = path + QLatin1String(suffix);
            if (QFileInfo::exists(file))
                QCOMPARE(QFile::permissions(file) & others, QFileDevice::Permissions());
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
        QTest::addRow("other program's database")
            << sqliteFile(scratch.arg(1), "CREATE TABLE notes(id INTEGER PRIMARY KEY, body TEXT);"
                                          "INSERT INTO notes(body) VALUES ('keep me');")
            << "another program";
        QTest::addRow("our id, wrong columns")
            << sqliteFile(scratch.arg(2), "PRAGMA application_id = 1414682192;"
                                          "CREATE TABLE preferences(name TEXT, data BLOB);")
            << "missing or malformed";
    }

    void invalidFileIsMovedAside() {
        QFETCH(QByteArray, contents);
        QFETCH(QString, reasonPart);

        const QString path = fileWith(contents);
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
        QCOMPARE(again->stringValue(QStringLiteral("launcherThemeID")), QStringLiteral("ember"));
        QCOMPARE(asideCopies(path).size(), 1);
    }

    void emptyFileIsAdoptedQuietly() {
        const QString path = fileWith(QByteArray());
        StderrCapture capture;
        auto store = SqlitePreferenceStore::open(path);
        QVERIFY(capture.finish().isEmpty());
        QVERIFY(store);
        QVERIFY(asideCopies(path).isEmpty());
        store->setInteger(QStringLiteral("n"), 1);
        QCOMPARE(store->integerValue(QStringLiteral("n")), qint64(1));
    }

    void folderInTheWayFailsWithoutTouchingIt() {
        const QString folderPath = freshPath();
        QVERIFY(QDir().mkpath(folderPath));
        writeFile(folderPath + QStringLiteral("/inside.txt"), "mine");
        QString error;
        StderrCapture capture;
        QVERIFY(!SqlitePreferenceStore::open(folderPath, &error));
        QVERIFY(capture.finish().isEmpty());
        QVERIFY2(error.contains(folderPath), qPrintable(error));
        QCOMPARE(readFile(folderPath + QStringLiteral("/inside.txt")), QByteArray("mine"));
        QVERIFY(asideCopies(folderPath).isEmpty());
    }

    void defaultPathFollowsXdgConfigHome() {
        const QByteArray saved = qgetenv("XDG_CONFIG_HOME");
        const auto restore = qScopeGuard([&] { qputenv("XDG_CONFIG_HOME", saved); });
        const QString fallback = QDir::homePath() + "/.config/trovi-launcher/preferences.sqlite3";

        qputenv("XDG_CONFIG_HOME", "/srv/cfg/");
        QCOMPARE(SqlitePreferenceStore::defaultPath(),
                 "/srv/cfg/trovi-launcher/preferences.sqlite3");
        qunsetenv("XDG_CONFIG_HOME");
        QCOMPARE(SqlitePreferenceStore::defaultPath(), fallback);
        qputenv("XDG_CONFIG_HOME", "relative/cfg"); // not absolute: ignored
        QCOMPARE(SqlitePreferenceStore::defaultPath(), fallback);
    }

    void readsSeeWritesOfOtherConnections() {
        const QString path = freshPath();
        auto reader = SqlitePreferenceStore::open(path);
        auto writer = SqlitePreferenceStore::open(path);
        QVERIFY(reader && writer);
        const QString key = QStringLiteral("launcherThemeID");
        QVERIFY(!reader->value(key));
        writer->setString(key, QStringLiteral("ember"));
        QCOMPARE(reader->stringValue(key), QStringLiteral("ember"));
        writer->remove(key);
        QVERIFY(!reader->value(key));
        QVERIFY(reader->keys().isEmpty());
    }

    void twoProcessesWritingLoseNothing() {
        const QString path = freshPath();
        QVERIFY(SqlitePreferenceStore::open(path)); // so both children find a store
        constexpr int kCount = 1000;

        QProcess first;
        QProcess second;
        startChild(first, path, "first", kCount);
        startChild(second, path, "second", kCount);
        for (QProcess* child : {&first, &second}) {
            while (!child->canReadLine())
                QVERIFY(child->waitForReadyRead(30000));
            QCOMPARE(child->readLine(), QByteArray("ready\n"));
        }
        // Let both loose at once.
        first.write("go\n");
        second.write("go\n");
        for (QProcess* child : {&first, &second}) {
            QVERIFY(child->waitForFinished(60000));
            QCOMPARE(child->exitStatus(), QProcess::NormalExit);
            QCOMPARE(child->exitCode(), 0);
            QCOMPARE(child->readAllStandardError(), QByteArray());
        }

        auto store = SqlitePreferenceStore::open(path);
        QVERIFY(store);
        QCOMPARE(store->keys().size(), 2 * kCount);
        for (int i = 0; i < kCount; ++i) {
            QCOMPARE(indexAt(*store, QStringLiteral("first-%1").arg(i)), qint64(i));
            QCOMPARE(indexAt(*store, QStringLiteral("second-%1").arg(i)), qint64(i));
        }
    }

    void killedWriterKeepsEveryCompletedWrite() {
        const QString path = freshPath();
        QProcess child;
        startChild(child, path, "k", 100'000'000);
        child.write("go\n");

        // Let it get well into its loop, then kill it without warning.
        QByteArray output;
        while (output.count('\n') < 300) {
            QVERIFY2(child.waitForReadyRead(30000), child.readAllStandardError().constData());
            output += child.readAllStandardOutput();
        }
        child.kill(); // SIGKILL
        QVERIFY(child.waitForFinished(30000));
        output += child.readAllStandardOutput();

        // Only whole lines after "ready" are writes the child saw complete.
        const qint64 last = output.left(output.lastIndexOf('\n')).split('\n').size() - 2;
        QVERIFY(last >= 298);

        StderrCapture capture;
        auto store = SqlitePreferenceStore::open(path);
        QCOMPARE(capture.finish(), QString());
        QVERIFY(store);
        QVERIFY(asideCopies(path).isEmpty());
        for (qint64 i = 0; i <= last; ++i)
            QCOMPARE(indexAt(*store, QStringLiteral("k-%1").arg(i)), i);
        // The store is writable again.
        store->setBool(QStringLiteral("after"), true);
        QCOMPARE(store->boolValue(QStringLiteral("after")), true);
    }

    void threadsShareOneStore() {
        auto store = SqlitePreferenceStore::open(freshPath());
        QVERIFY(store);
        std::atomic<int> mismatches{0};
        std::vector<std::thread> threads;
        for (int t = 0; t < 4; ++t) {
            threads.emplace_back([&, t] {
                for (int i = 0; i < 150; ++i) {
                    const QString key = QStringLiteral("t%1-%2").arg(t).arg(i);
                    store->setInteger(key, i);
                    if (store->integerValue(key) != i)
                        ++mismatches;
                }
            });
        }
        for (auto& thread : threads)
            thread.join();
        QCOMPARE(mismatches.load(), 0);
        QCOMPARE(store->keys().size(), 4 * 150);
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
