// Background catalogue refresh: time-to-live, one refresh in flight, the
// follow-up pass after a root change, and the watcher hook-up.

#include "tests/support/EngineHarness.h"

#include <QSignalSpy>
#include <QtTest>
#include <thread>

using namespace trovi;
using namespace trovi::test;

namespace {

struct FakeWatcher final : ShortcutRootWatcher {
    void stop() override {}
};

// Hands out watchers and remembers the callback so tests can fire it.
struct WatcherFactoryProbe {
    int created = 0;
    bool fail = false;
    std::function<void()> onChange;
    ShortcutRootWatcherFactory factory() {
        return [this](const QStringList&, double,
                      std::function<void()> callback) -> std::unique_ptr<ShortcutRootWatcher> {
            if (fail)
                return nullptr;
            ++created;
            onChange = std::move(callback);
            return std::make_unique<FakeWatcher>();
        };
    }
};

// Refresh runs in the background, as in the app, but the tests drive the clock.
void enableRefresh(EngineHarness& h, WatcherFactoryProbe* probe = nullptr) {
    h.config.backgroundRefreshEnabled = true;
    // As the test host runs it: no recent activations, no persistent cache, no bookmarks.
    h.config.recentActivationsEnabled = false;
    h.config.persistentQueryResultCacheEnabled = false;
    h.config.browserBookmarkSources.clear();
    if (probe)
        h.watcherFactory = probe->factory();
}

bool waitForRefresh(DatabaseManager& m) {
    return QTest::qWaitFor([&] { return !m.isBackgroundRefreshInFlight(); }, 20000);
}

} // namespace

class CatalogRefreshTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void firstSearchRefreshesEverythingOnceWithOneAnnouncement() {
        EngineHarness h;
        enableRefresh(h);
        h.mkdir("Applications/Mail.app");
        h.mkdir("Projects/notes");
        auto& m = h.make();
        QSignalSpy refreshed(&m, &DatabaseManager::searchDataRefreshed);

        QVERIFY(m.search("notes", true).isEmpty()); // never waits for the walk
        QVERIFY(m.isBackgroundRefreshInFlight());
        m.search("mail", true); // starts nothing new
        QVERIFY(waitForRefresh(m));
        QCOMPARE(refreshed.count(), 1);
        QVERIFY(m.catalogRefreshedAt(SearchResultKind::file));

        // Fresh data is answered on the next search (the caches were dropped).
        const auto results = m.search("notes", true);
        QCOMPARE(results.size(), 1);
        QVERIFY(results.first().kind == SearchResultKind::folder);
    }

    void onlyExpiredCataloguesAreRebuilt_data() {
        QTest::addColumn<double>("after");
        QTest::addColumn<bool>("apps");
        QTest::addColumn<bool>("folders");
        QTest::addRow("120 s is not yet stale (strict)") << 120.0 << false << false;
        QTest::addRow("121 s rebuilds applications") << 121.0 << true << false;
        QTest::addRow("181 s rebuilds folders too") << 181.0 << true << true;
    }
    void onlyExpiredCataloguesAreRebuilt() {
        QFETCH(double, after);
        QFETCH(bool, apps);
        QFETCH(bool, folders);
        EngineHarness h;
        enableRefresh(h);
        auto& m = h.make();
        m.scheduleBackgroundCacheRefreshIfNeeded();
        QVERIFY(waitForRefresh(m));
        const QDateTime first = *m.catalogRefreshedAt(SearchResultKind::app);

        h.advance(after);
        m.scheduleBackgroundCacheRefreshIfNeeded();
        QVERIFY(waitForRefresh(m));
        QCOMPARE(*m.catalogRefreshedAt(SearchResultKind::app) != first, apps);
        QCOMPARE(*m.catalogRefreshedAt(SearchResultKind::folder) != first, folders);
    }

    void rootChangeDuringRefreshCausesOneFollowUpPass() {
        EngineHarness h;
        WatcherFactoryProbe probe;
        probe.fail = true;
        enableRefresh(h, &probe);
        auto& m = h.make();
        QSignalSpy refreshed(&m, &DatabaseManager::searchDataRefreshed);

        m.scheduleBackgroundCacheRefreshIfNeeded();
        probe.fail = false;
        m.scheduleBackgroundCacheRefreshIfNeeded(); // a failed watcher is retried
        QCOMPARE(probe.created, 1);
        QVERIFY(m.isBackgroundRefreshInFlight());
        m.shortcutRootsDidChange(); // while the first refresh runs
        QVERIFY(m.isBackgroundRefreshInFlight());
        QVERIFY(waitForRefresh(m));
        // The first refresh delivered shortcut files, stamping them fresh again,
        // so the follow-up pass finds nothing stale and announces nothing.
        QCOMPARE(refreshed.count(), 1);

        // A change with no refresh running rebuilds the shortcut catalogue alone,
        // even when the watcher reports it from its own thread.
        h.advance(10);
        std::thread([&] { probe.onChange(); }).join();
        QTRY_VERIFY(m.isBackgroundRefreshInFlight() ||
                    *m.catalogRefreshedAt(SearchResultKind::file) == h.now);
        QVERIFY(waitForRefresh(m));
        QCOMPARE(refreshed.count(), 2);
        QCOMPARE(*m.catalogRefreshedAt(SearchResultKind::file), h.now);
        QVERIFY(*m.catalogRefreshedAt(SearchResultKind::app) != h.now);
        QCOMPARE(probe.created, 1); // the watcher is never rebuilt
    }

    void warmupFillsAppsAndFoldersAtOnce() {
        EngineHarness h;
        h.mkdir("Applications/Notes.app");
        h.mkdir("Work/Reports");
        auto& m = h.make();
        QSignalSpy refreshed(&m, &DatabaseManager::searchDataRefreshed);
        QFuture<CatalogRefreshCounts> warmup = m.warmupFileSystemPermissions();
        QVERIFY(!m.catalogRefreshedAt(
            SearchResultKind::app)); // not waited for: searches go on meanwhile
        QTRY_VERIFY_WITH_TIMEOUT(warmup.isFinished(), 20000);
        QCOMPARE(warmup.result().appCount, 1);
        QVERIFY(warmup.result().folderCount >= 2); // Applications, Work, Work/Reports
        QCOMPARE(refreshed.count(), 1);
    }

    void tabsRefreshOnlyWhereTheyCanBeListed_data() {
        QTest::addColumn<bool>("available");
        QTest::addRow("tabs listable: stale after 8 s") << true;
        QTest::addRow("tabs unavailable: never stale") << false;
    }
    void tabsRefreshOnlyWhereTheyCanBeListed() {
        QFETCH(bool, available);
        EngineHarness h;
        h.config.backgroundRefreshEnabled = true;
        h.config.browserTabsAvailable = available;
        auto& m = h.make();
        m.scheduleBackgroundCacheRefreshIfNeeded();
        QVERIFY(waitForRefresh(m));
        h.advance(10);
        m.scheduleBackgroundCacheRefreshIfNeeded();
        QCOMPARE(m.isBackgroundRefreshInFlight(), available);
        QVERIFY(waitForRefresh(m));
    }
};

QTEST_GUILESS_MAIN(CatalogRefreshTest)
#include "tst_catalogrefresh.moc"
