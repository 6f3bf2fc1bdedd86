// Opening the preference file while another process holds its write lock:
// set-up waits the lock out like any statement, and the store is kept.

#include "db/SqliteDatabase.h"
#include "launcher/settings/SqlitePreferenceStore.h"

#include <QTemporaryDir>
#include <QTest>

#include <atomic>
#include <thread>

using namespace trovi;

class TestPreferenceFileLock : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void setUpWaitsOutAnotherWriter() {
        QTemporaryDir dir;
        const QString path = dir.filePath("preferences.sqlite3");
        // Another launcher halfway through creating the store: the file is
        // still in rollback mode and its write lock is taken.
        auto holder = db::Connection::open(path, db::ReadWrite | db::Create | db::FullMutex);
        QVERIFY(holder);
        QVERIFY(!holder->execute("BEGIN IMMEDIATE; CREATE TABLE preferences (key TEXT PRIMARY "
                                 "KEY NOT NULL, value BLOB NOT NULL) WITHOUT ROWID; "
                                 "PRAGMA application_id = 1414681168; PRAGMA user_version = 1;"));

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
        store->setValue("launcherSearchDebounceMilliseconds", QCborValue(70));
        store.reset();

        auto reopened = SqlitePreferenceStore::open(path, &error);
        QVERIFY2(reopened, qPrintable(error));
        QCOMPARE(reopened->value("launcherSearchDebounceMilliseconds"),
                 std::optional(QCborValue(70)));
    }
};

QTEST_GUILESS_MAIN(TestPreferenceFileLock)
#include "tst_preferencefilelock.moc"
