// Usage learning: open counts and the recent-activation history survive a
// restart, bad stored data reads as empty and is replaced by the next write,
// the history keeps one record per usage key, and what the engine learns from
// activations feeds back into search.

#include "launcher/engine/cache/PersistentQueryResultCacheStore.h"
#include "launcher/engine/usage/RecentActivationRecord.h"
#include "launcher/engine/usage/SearchResultPromotion.h"
#include "launcher/engine/usage/UsageStore.h"
#include "launcher/settings/SqlitePreferenceStore.h"
#include "tests/support/EngineHarness.h"

#include <QCborMap>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QtTest>

using namespace trovi;
using namespace trovi::test;

namespace {
const QString kCountsKey = "launcherPathOpenCounts";
const QString kHistoryKey = "launcherPathOpenCounts.recentActivations";
const ManualClock kClock;

SearchResult result(SearchResultKind kind, std::optional<SearchResultAction> action = {},
                    std::optional<QString> usageKey = {}) {
    SearchResult r = pathResult(kind, "/place", "Name");
    r.action = action;
    r.usageKey = usageKey;
    return r;
}

RecentActivationRecord appRecord(const QString& name, std::int64_t openCount, int when) {
    return *RecentActivationRecord::make(
        pathResult(SearchResultKind::app, "/apps", name, openCount), kClock.at(when));
}

QJsonArray storedHistory(const PreferenceStore& prefs) {
    return QJsonDocument::fromJson(prefs.bytesValue(kHistoryKey).value_or(QByteArray())).array();
}

// The child program, "--child <store> <prefix>": what one launcher process
// does on 200 activations: counts each, and remembers the first 40 results and
// the first 50 result lists under its own names.
int runChild(char** argv) {
    auto store = SqlitePreferenceStore::open(QString::fromLocal8Bit(argv[2]));
    if (!store)
        return 3;
    const QString prefix = QString::fromLocal8Bit(argv[3]);
    UsageStore usage(*store);
    PersistentQueryResultCacheStore cache(*store, "launcherPathOpenCounts.queryResults");
    for (int i = 0; i < 200; ++i) {
        usage.increment("/apps/mail.desktop");
        const QString name = prefix + QString::number(i);
        if (i < 40)
            usage.storeRecentActivation(appRecord(name, 1, i));
        if (i < 50)
            cache.storeResults({pathResult(SearchResultKind::app, "/apps", name)}, name + "|r",
                               kClock.at(i));
    }
    return 0;
}

QStringList historyNames(UsageStore& usage) {
    QStringList names;
    for (const auto& record : usage.recentActivations())
        names << record.filename;
    return names;
}
} // namespace

class TestUsageStore : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void concurrentProcessesLoseNothing() {
        QTemporaryDir dir;
        const QString path = dir.filePath("preferences.sqlite3");
        QVERIFY(SqlitePreferenceStore::open(path));
        QProcess first;
        QProcess second;
        first.start(QCoreApplication::applicationFilePath(), {"--child", path, "first-"});
        second.start(QCoreApplication::applicationFilePath(), {"--child", path, "second-"});
        for (QProcess* child : {&first, &second}) {
            QVERIFY(child->waitForFinished(120000));
            QCOMPARE(child->exitCode(), 0);
            QCOMPARE(child->readAllStandardError(), QByteArray());
        }
        auto store = SqlitePreferenceStore::open(path);
        UsageStore usage(*store);
        QCOMPARE(usage.count("/apps/mail.desktop"), 400);
        QCOMPARE(usage.recentActivations().size(), 80);
        PersistentQueryResultCacheStore cache(*store, "launcherPathOpenCounts.queryResults");
        for (const char* prefix : {"first-", "second-"})
            for (int i = 0; i < 50; ++i)
                QVERIFY(cache.cachedSearchResults(prefix + QString::number(i) + "|r", kClock.at(60),
                                                  false));
    }

    void countsAreCaseInsensitiveSaturateAndSurviveRestart() {
        InMemoryPreferenceStore prefs;
        const std::int64_t most = std::numeric_limits<std::int64_t>::max();
        {
            UsageStore usage(prefs);
            usage.increment("/Apps/Mail.desktop");
            usage.increment("/apps/mail.DESKTOP");
            usage.setCount("HTTPS://Example.org", 5);
            usage.setCount("/a", most);
            usage.increment("/a");
        }
        QCOMPARE(
            prefs.mapValue(kCountsKey)->value(QStringLiteral("https://example.org")).toInteger(),
            5);
        UsageStore restarted(prefs);
        QCOMPARE(restarted.count("/APPS/MAIL.desktop"), 2);
        QCOMPARE(restarted.count("/never/opened"), 0);
        QCOMPARE(restarted.count("/a"), most);
        const SearchResult app = pathResult(SearchResultKind::app, "/apps", "Mail", most);
        const auto promoted = searchResultsPromotingActivatedResult(
            {app}, app, "mail", [](const SearchResult&) { return 0; });
        QCOMPARE(promoted.value(0).openCount, most);
    }

    void badCountMapReadsEmptyAndIsReplaced_data() {
        QTest::addColumn<QCborValue>("stored");
        QTest::addRow("one value is text")
            << QCborValue(QCborMap{{QStringLiteral("/a"), 4}, {QStringLiteral("/b"), "many"}});
        QTest::addRow("one key is a number")
            << QCborValue(QCborMap{{QStringLiteral("/a"), 4}, {7, 1}});
        QTest::addRow("bytes") << QCborValue(QByteArray("{\"/a\": 4}"));
    }

    void badCountMapReadsEmptyAndIsReplaced() {
        QFETCH(QCborValue, stored);
        InMemoryPreferenceStore prefs;
        prefs.setValue(kCountsKey, stored);
        UsageStore usage(prefs);
        QCOMPARE(usage.count("/a"), 0);
        usage.increment("/c");
        QCOMPARE(prefs.mapValue(kCountsKey), std::optional(QCborMap{{QStringLiteral("/c"), 1}}));
    }

    void historyKeepsOneRecordPerKeyNewestFirstUpToItsLimit() {
        InMemoryPreferenceStore prefs;
        const auto shortcut = RecentActivationRecord::make(
            result(SearchResultKind::file, {}, "https://docs.example.org/1"), kClock.at(1.123));
        {
            UsageStore usage(prefs);
            usage.storeRecentActivation(appRecord("Mail", 1, 0));
            usage.storeRecentActivation(*shortcut);
            usage.storeRecentActivation(appRecord("Notes", 1, 2));
            usage.storeRecentActivation(appRecord("MAIL", 2, 3));
        }
        UsageStore usage(prefs);
        QCOMPARE(historyNames(usage), (QStringList{"MAIL", "Notes", "Name"}));
        QCOMPARE(usage.recentActivations().at(0).openCount, 2);
        QCOMPARE(usage.recentActivations().at(2), *shortcut);
        // A browser tab is gone once closed: never remembered.
        QVERIFY(!RecentActivationRecord::make(
            result(SearchResultKind::action, SearchResultAction::focusBrowserTab), kClock.at(4)));

        for (int i = 0; i < 81; ++i)
            usage.storeRecentActivation(appRecord(QStringLiteral("App %1").arg(i), 1, i));
        QCOMPARE(usage.recentActivations().size(), 80);
        QCOMPARE(historyNames(usage).first(), "App 80");
        QCOMPARE(historyNames(usage).last(), "App 1");
        QCOMPARE(UsageStore(prefs).recentActivations(), usage.recentActivations());
    }

    void unknownKindRecordIsKeptButNeverMatched() {
        InMemoryPreferenceStore prefs;
        // Written by a newer version: same path as Mail, but a kind we don't know.
        QJsonObject foreign = appRecord("Mail", 9, 0).toJson();
        foreign.insert("kind", "widget");
        foreign.insert("action", "doSomethingNew");
        prefs.setBytes(kHistoryKey, QJsonDocument(QJsonArray{foreign}).toJson());

        UsageStore usage(prefs);
        QCOMPARE(usage.recentActivations().first().toSearchResult(), std::nullopt);
        usage.storeRecentActivation(appRecord("Mail", 1, 5));
        QCOMPARE(usage.recentActivations().size(), 2);
        QCOMPARE(storedHistory(prefs).at(1).toObject(), foreign); // written back untouched
    }

    void badHistoryReadsWhatItCanAndIsReplaced_data() {
        QTest::addColumn<QCborValue>("stored");
        QTest::addColumn<QStringList>("readable");
        QTest::addRow("truncated JSON")
            << QCborValue(QByteArray("[{\"id\": 1, \"filen")) << QStringList();
        QJsonObject noDate = appRecord("Broken", 1, 0).toJson();
        noDate.remove("activatedAt");
        const QJsonArray records{appRecord("Mail", 1, 0).toJson(), noDate, 42,
                                 appRecord("Notes", 1, 0).toJson()};
        QTest::addRow("some records unreadable")
            << QCborValue(QJsonDocument(records).toJson()) << QStringList{"Mail", "Notes"};
    }

    void badHistoryReadsWhatItCanAndIsReplaced() {
        QFETCH(QCborValue, stored);
        QFETCH(QStringList, readable);
        InMemoryPreferenceStore prefs;
        prefs.setValue(kHistoryKey, stored);
        UsageStore usage(prefs);
        QCOMPARE(historyNames(usage), readable);
        usage.storeRecentActivation(appRecord("Clock", 1, 0));
        QCOMPARE(storedHistory(prefs).size(), readable.size() + 1);
    }

    void appOpenedTwiceCountsTwoWithOneHistoryRecord() {
        EngineHarness h;
        const QString apps = h.mkdir("Applications");
        h.mkdir("Applications/Mail.app");
        auto& m = h.make();
        const SearchResult mail = pathResult(SearchResultKind::app, apps, "Mail.app");
        m.setCatalogs({mail}, {}, {});

        m.recordActivation(m.search("mail", false).first());
        h.advance(1);
        m.recordActivation(m.search("mail", false).first());

        QCOMPARE(m.learnedOpenCount(mail, 0), 2);
        const auto results = m.search("mail", false);
        QCOMPARE(results.size(), 1);
        QVERIFY(results.first().isRecentActivation);
        QCOMPARE(results.first().openCount, 2);
        // 1000 exact + 600 app + 2×120 usage + 800 recent + 120 ".app" boost
        QCOMPARE(results.first().relevanceScore, 1000 + 600 + 240 + 800 + 120);
    }

    void shortcutFilesWithTheSameUrlShareOneCount() {
        EngineHarness h;
        const QByteArray link = "[InternetShortcut]\r\nURL=https://example.org/Board\r\n";
        h.touch("Desktop/board.url", link);
        h.touch("Documents/Team board.url", link);
        h.config.shortcutSearchRoots = {h.home.path() + "/Desktop", h.home.path() + "/Documents"};
        auto& m = h.make();
        m.refreshCatalogsNow();

        const auto first = m.search("board", false);
        QCOMPARE(first.size(), 2);
        m.recordActivation(first.first());
        const auto after = m.search("team", false);
        QCOMPARE(after.size(), 1);
        QCOMPARE(after.first().openCount, 1);
        QCOMPARE(after.first().usageKey, "https://example.org/Board");
    }

    void deletedAppLeavesRecentListOnceCatalogueRefreshed() {
        EngineHarness h;
        const QString apps = h.mkdir("Applications");
        h.mkdir("Applications/Old.app");
        auto& m = h.make();
        const SearchResult old = pathResult(SearchResultKind::app, apps, "Old.app");
        m.recordActivation(old);
        QDir(apps + "/Old.app").removeRecursively();
        // Never refreshed: the history is trusted.
        QCOMPARE(m.search("old", false).size(), 1);
        m.refreshCatalogsNow();
        QVERIFY(m.search("old", false).isEmpty());
    }

    void plainFilesAndUnpersistedActionsStayOutOfHistory() {
        EngineHarness h;
        auto& m = h.make();
        const SearchResult calc = actionResult(SearchResultAction::copyToClipboard, "4", "4");
        m.recordActivation(calc);
        SearchResult file = pathResult(SearchResultKind::file, h.home.path(), "a.txt");
        m.recordActivation(file);
        QVERIFY(m.search("4", false).isEmpty()); // nothing entered the history
        QCOMPARE(m.learnedOpenCount(file, 0), 1);
        QCOMPARE(m.learnedOpenCount(calc, 0), 1); // counted under its action URL
    }

    void notionCountUnderPageUrlMigratesToUsageKey() {
        EngineHarness h;
        auto& m = h.make();
        SearchResult page = actionResult(
            SearchResultAction::openNotionPage,
            "https://www.notion.so/roadmap-0123456789abcdef0123456789abcdef", "Roadmap");
        page.usageKey = "notion://page/0123456789abcdef0123456789abcdef";
        h.preferences.setMap(h.config.usageStoreKey,
                             QCborMap{{page.actionURLString->toLower(), 4}});
        QCOMPARE(m.learnedOpenCount(page, 0), 4);
        m.recordActivation(page.withOpenCount(4));
        const auto counts = h.preferences.mapValue(h.config.usageStoreKey);
        QCOMPARE(counts->value(page.usageKey->toLower()).toInteger(), 5);
    }
};

int main(int argc, char** argv) {
    if (argc == 4 && qstrcmp(argv[1], "--child") == 0)
        return runChild(argv);
    QCoreApplication app(argc, argv);
    TestUsageStore test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}
#include "tst_usage.moc"
