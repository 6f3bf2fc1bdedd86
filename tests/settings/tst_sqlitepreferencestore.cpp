// The preference file under real conditions: values keep their type across a
// reopen, a broken file is moved aside, another process's write lock is
// waited out, and several threads share one store.

#include "db/SqliteDatabase.h"
#include "launcher/settings/LauncherSettingsStores.h"
#include "launcher/settings/SqlitePreferenceStore.h"
#include "tests/support/Files.h"
#include "tests/support/StderrCapture.h"

#include <QCborArray>
#include <QCborMap>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <atomic>
#include <limits>
#include <thread>

#include <sys/stat.h>

using namespace trovi;
using trovi::test::readFile;
using trovi::test::StderrCapture;
using trovi::test::writeFile;

namespace {

QStringList asideCopies(const QString& path) {
    const QFileInfo info(path);
    const QStringList names =
        info.dir().entryList({info.fileName() + ".corrupt-*"}, QDir::Files, QDir::Name);
    QStringList result;
    for (const QString& name : names)
        if (!name.endsWith("-wal") && !name.endsWith("-shm"))
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

private Q_SLOTS:
    void initTestCase() { QVERIFY(m_dir.isValid()); }

    void valuesKeepTheirTypeAcrossReopen() {
        const QList<QCborValue> values = {
            QCborValue(false),
            QCborValue(std::numeric_limits<qint64>::min()),
            QCborValue(30.0),
            QCborValue(QStringLiteral(u"Grüße ✓ 日本 🎉")),
            QCborValue(QByteArray("\x00\x01\xff", 3)),
            QCborValue(QDateTime(QDate(2024, 2, 29), QTime(23, 59, 58, 125), Qt::UTC)),
            QCborValue(QCborMap{{"inner", QCborMap{{"on", true}}}}),
            QCborValue(QCborArray{1, "two"}),
            QCborValue(nullptr)};
        const QString path = freshPath();
        {
            auto writer = SqlitePreferenceStore::open(path);
            QVERIFY(writer);
            for (qsizetype i = 0; i < values.size(); ++i)
                writer->setValue(QStringLiteral("key ✓ %1").arg(i), values[i]);
        }
        auto store = SqlitePreferenceStore::open(path);
        QCOMPARE(store->keys().size(), values.size());
        for (qsizetype i = 0; i < values.size(); ++i) {
            const auto value = store->value(QStringLiteral("key ✓ %1").arg(i));
            QCOMPARE(value, std::optional(values[i]));
            QCOMPARE(value->type(), values[i].type());
        }
        QVERIFY(!store->boolValue("key ✓ 1") && !store->integerValue("key ✓ 2"));
    }

    void brokenStoredValuesReadAsAbsent() {
        const QString path = freshPath();
        QVERIFY(SqlitePreferenceStore::open(path));
        const QList<std::pair<const char*, db::Value>> broken = {
            {"undecodable", QByteArray("\xff\xfe\x1c", 3)},
            {"launcherSearchDebounceMilliseconds", QByteArray("\x01\x02", 2)}, // two items
            {"launcherThemeID", QString("fast")}}; // text instead of a blob
        {
            auto db = db::Connection::open(path, db::ReadWrite);
            for (const auto& [key, raw] : broken)
                QVERIFY(!db->run("INSERT INTO preferences VALUES (?1, ?2)",
                                 {QString::fromLatin1(key), raw}));
        }
        auto store = SqlitePreferenceStore::open(path);
        QVERIFY(store);
        QVERIFY(asideCopies(path).isEmpty()); // a bad value is not a bad file
        for (const auto& [key, raw] : broken)
            QVERIFY(!store->value(QString::fromLatin1(key)));
        QCOMPARE(LauncherThemeStore(*store).load(), "graphite");
        QCOMPARE(SearchDebounceSettingsStore(*store).load(), 50);
        // Writing over a broken value repairs it.
        SearchDebounceSettingsStore(*store).save(70);
        QCOMPARE(SearchDebounceSettingsStore(*store).load(), 70);
    }

    void storeIsPrivateWhateverTheUmask() {
        const mode_t saved = ::umask(0);
        const auto restore = qScopeGuard([saved] { ::umask(saved); });
        const QString path = m_dir.filePath("new/deeper/preferences.sqlite3");
        QVERIFY(SqlitePreferenceStore::open(path));
        const QString loose = freshPath();
        writeFile(loose, {});
        QFile::setPermissions(loose, QFileDevice::Permissions(0x6666)); // rw for everyone
        auto store = SqlitePreferenceStore::open(loose);
        QVERIFY(store);
        store->setBool("launcherSnapToGrid", false);
        const QFileDevice::Permissions others(0x0077); // any group or other bit
        for (const QString& file :
             QStringList{m_dir.filePath("new"), m_dir.filePath("new/deeper"), path, path + "-wal",
                         loose, loose + "-wal", loose + "-shm"})
            if (QFileInfo::exists(file))
                QVERIFY2(!(QFile::permissions(file) & others), qPrintable(file));
    }

    void invalidFileIsMovedAside_data() {
        QTest::addColumn<QByteArray>("contents");
        QTest::addColumn<QString>("reasonPart"); // empty: adopted quietly
        const QByteArray garbage(8192, '\x93');
        const QString scratch = m_dir.filePath("scratch-%1.sqlite3");
        QTest::addRow("garbage bytes") << garbage << "not a database";
        QTest::addRow("other program's database")
            << sqliteFile(scratch.arg(1), "CREATE TABLE notes(id INTEGER PRIMARY KEY, body TEXT);"
                                          "INSERT INTO notes(body) VALUES ('keep me');")
            << "another program";
        QTest::addRow("our id, wrong columns")
            << sqliteFile(scratch.arg(2), "PRAGMA application_id = 1414682192;"
                                          "CREATE TABLE preferences(name TEXT, data BLOB);")
            << "missing or malformed";
        QTest::addRow("empty file") << QByteArray() << "";
    }

    void invalidFileIsMovedAside() {
        QFETCH(QByteArray, contents);
        QFETCH(QString, reasonPart);
        const QString path = freshPath();
        writeFile(path, contents);
        StderrCapture capture;
        auto store = SqlitePreferenceStore::open(path);
        const QString diagnostics = capture.finish();
        QVERIFY(store);

        // The original bytes are kept under the dated name, and one line names both files.
        const QStringList aside = asideCopies(path);
        QCOMPARE(aside.size(), reasonPart.isEmpty() ? 0 : 1);
        QCOMPARE(diagnostics.count(QLatin1Char('\n')), aside.size());
        if (!aside.isEmpty()) {
            QVERIFY2(QRegularExpression(R"(\.corrupt-\d{8}-\d{6}$)").match(aside[0]).hasMatch(),
                     qPrintable(aside[0]));
            QCOMPARE(readFile(aside[0]), contents);
            QVERIFY2(diagnostics.contains(path) && diagnostics.contains(aside[0]) &&
                         diagnostics.contains(reasonPart),
                     qPrintable(diagnostics));
        }

        // The fresh store works and stays put on the next open.
        QVERIFY(store->keys().isEmpty());
        store->setString("launcherThemeID", "ember");
        store.reset();
        StderrCapture quiet;
        auto again = SqlitePreferenceStore::open(path);
        QVERIFY(quiet.finish().isEmpty());
        QCOMPARE(again->stringValue("launcherThemeID"), "ember");
        QCOMPARE(asideCopies(path), aside);
    }

    void folderInTheWayFailsWithoutTouchingIt() {
        const QString folderPath = freshPath();
        writeFile(folderPath + "/inside.txt", "mine");
        QString error;
        StderrCapture capture;
        QVERIFY(!SqlitePreferenceStore::open(folderPath, &error));
        QVERIFY(capture.finish().isEmpty());
        QVERIFY2(error.contains(folderPath), qPrintable(error));
        QCOMPARE(readFile(folderPath + "/inside.txt"), QByteArray("mine"));
        QVERIFY(asideCopies(folderPath).isEmpty());
    }

    void threadsShareOneStore() {
        auto store = SqlitePreferenceStore::open(freshPath());
        QVERIFY(store);
        std::atomic<int> mismatches{0};
        std::vector<std::thread> threads;
        for (int t = 0; t < 4; ++t)
            threads.emplace_back([&, t] {
                for (int i = 0; i < 150; ++i) {
                    const QString key = QStringLiteral("t%1-%2").arg(t).arg(i);
                    store->setInteger(key, i);
                    mismatches += store->integerValue(key) != i;
                }
            });
        for (auto& thread : threads)
            thread.join();
        QCOMPARE(mismatches.load(), 0);
        QCOMPARE(store->keys().size(), 4 * 150);
    }

    void setUpWaitsOutAnotherWriter() {
        // Another launcher halfway through creating the store: the file is
        // still in rollback mode and its write lock is taken; set-up waits
        // the lock out like any statement.
        const QString path = freshPath();
        QDir().mkpath(QFileInfo(path).path());
        auto holder = db::Connection::open(path, db::ReadWrite | db::Create | db::FullMutex);
        QVERIFY(holder);
        QVERIFY(!holder->execute("BEGIN IMMEDIATE; CREATE TABLE preferences (key TEXT PRIMARY "
                                 "KEY NOT NULL, value BLOB NOT NULL) WITHOUT ROWID; "
                                 "PRAGMA application_id = 1414682192; PRAGMA user_version = 1;"));

        std::atomic<bool> opening = false;
        std::thread release([&] {
            while (!opening)
                std::this_thread::yield();
            // Gives the open below time to meet the lock; it waits seconds.
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
            holder->execute("COMMIT");
        });
        opening = true;
        QString error;
        auto store = SqlitePreferenceStore::open(path, &error);
        release.join();
        QVERIFY2(store, qPrintable(error));
        QVERIFY(asideCopies(path).isEmpty()); // the other launcher's store is kept
        store->setValue("launcherSearchDebounceMilliseconds", QCborValue(70));
        store.reset();

        auto reopened = SqlitePreferenceStore::open(path, &error);
        QVERIFY2(reopened, qPrintable(error));
        QCOMPARE(reopened->value("launcherSearchDebounceMilliseconds"),
                 std::optional(QCborValue(70)));
    }
};

QTEST_GUILESS_MAIN(TestSqlitePreferenceStore)

#include "tst_sqlitepreferencestore.moc"
