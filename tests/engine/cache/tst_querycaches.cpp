// The query caches. Persistent: result lists survive restarts for seven days,
// the store stays bounded, damaged payloads heal on the next write, and the
// engine's invalidation mark never hides results from the instant display.
// Incremental: while the user keeps typing, the longest shorter query's
// results stand in, narrowed to what still matches.

#include "launcher/core/ReferenceDate.h"
#include "launcher/engine/cache/IncrementalSearchResultCache.h"
#include "launcher/engine/cache/PersistentQueryResultCacheStore.h"
#include "launcher/engine/model/SearchResultRecord.h"
#include "launcher/settings/PreferenceStore.h"
#include "tests/support/ManualClock.h"
#include "tests/support/Results.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QTest>

using namespace trovi;
using trovi::test::names;

namespace {
const QString kKey = QStringLiteral("launcherPathOpenCounts.queryResults");
constexpr int kDay = 86400;

QDateTime at(qint64 seconds) {
    return trovi::test::ManualClock().at(double(seconds));
}

SearchResult app(const QString& name, std::int64_t score = 100) {
    return trovi::test::pathResult(SearchResultKind::app, "/usr/share/applications", name)
        .withRelevanceScore(score);
}

QList<SearchResult> results(const QString& tag) {
    return {app(tag + QStringLiteral(" one"), 300), app(tag + QStringLiteral(" two"), 200)};
}

SearchResult file(const QString& filename, const QString& directory = QStringLiteral("/apps"),
                  std::optional<QString> snippet = {}) {
    SearchResult r = trovi::test::pathResult(SearchResultKind::file, directory, filename);
    r.snippet = snippet;
    return r;
}

QJsonObject storedEntries(const PreferenceStore& prefs) {
    const QByteArray bytes = prefs.bytesValue(kKey).value_or(QByteArray());
    return QJsonDocument::fromJson(bytes).object().value("entries").toObject();
}

} // namespace

class TestQueryCaches : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void expiry_data() {
        QTest::addColumn<qint64>("age");
        QTest::addColumn<bool>("engineLookup");
        QTest::addColumn<bool>("served");
        QTest::addRow("exactly seven days, instant lookup") << qint64(7 * kDay) << false << true;
        QTest::addRow("eight days, instant lookup") << qint64(8 * kDay) << false << false;
        QTest::addRow("a second too old, engine lookup") << qint64(7 * kDay + 1) << true << false;
    }

    void expiry() {
        QFETCH(qint64, age);
        QFETCH(bool, engineLookup);
        QFETCH(bool, served);
        InMemoryPreferenceStore prefs;
        PersistentQueryResultCacheStore(prefs, kKey).storeResults(results("Mail"), "mail|r", at(0));
        PersistentQueryResultCacheStore(prefs, kKey)
            .storeResults(results("Notes"), "notes|r", at(age));

        PersistentQueryResultCacheStore restarted(prefs, kKey);
        const bool hit =
            engineLookup ? restarted.persistentCachedQueryResults("mail|r", at(age), {}).has_value()
                         : restarted.cachedSearchResults("mail|r", at(age), true).has_value();
        QCOMPARE(hit, served);
        // An expired entry is gone from the stored payload too; others stay.
        QCOMPARE(storedEntries(prefs).contains("mail|r"), served);
        QVERIFY(storedEntries(prefs).contains("notes|r"));
    }

    void oldestEntryIsEvicted() {
        InMemoryPreferenceStore prefs;
        PersistentQueryResultCacheStore store(prefs, kKey);
        // Stored first but cached latest: eviction goes by cachedAt, not order.
        store.storeResults(results("late"), "q0|r", at(1000));
        for (int i = 1; i <= 120; ++i)
            store.storeResults(results(QString::number(i)), QStringLiteral("q%1|r").arg(i), at(i));

        const QJsonObject entries = storedEntries(prefs);
        QCOMPARE(entries.size(), 120);
        QVERIFY(!entries.contains("q1|r"));
        QVERIFY(entries.contains("q0|r"));
        QCOMPARE(store.cachedSearchResults("q1|r", at(2000), true), std::nullopt);
    }

    void invalidationMarkBindsOnlyTheEngineLookup() {
        InMemoryPreferenceStore prefs;
        PersistentQueryResultCacheStore store(prefs, kKey);
        store.storeResults(results("Mail"), "mail|r", at(0));

        const QDateTime mark = store.markActorCacheInvalidated(at(10));
        QCOMPARE(PersistentQueryResultCacheStore(prefs, kKey).actorInvalidatedAt(),
                 std::optional<QDateTime>(at(10)));

        QCOMPARE(store.persistentCachedQueryResults("mail|r", at(20), mark), std::nullopt);
        QVERIFY(store.cachedSearchResults("mail|r", at(20), false));
        // Rejected, not deleted.
        QVERIFY(storedEntries(prefs).contains("mail|r"));

        store.storeResults(results("Mail again"), "mail|r", at(30));
        QVERIFY(store.persistentCachedQueryResults("mail|r", at(40), mark));
    }

    void sameQueryFallback() {
        InMemoryPreferenceStore prefs;
        PersistentQueryResultCacheStore store(prefs, kKey);
        store.storeResults(results("rules A"), "mail|pdf:1", at(1));
        store.storeResults(results("rules B"), "mail|pdf:2", at(2));
        store.storeResults(results("other query"), "mailbox|pdf:3", at(3));
        store.storeResults(results("shorter query"), "mai|pdf:3", at(4));

        const auto fallback = store.cachedSearchResults("mail|pdf:9", at(10), true);
        QVERIFY(fallback);
        QCOMPARE(fallback->results, results("rules B"));
        QCOMPARE(store.persistentCachedQueryResults("mail|pdf:9", at(10), {}), std::nullopt);
        // The exact key wins over a newer entry of the same query.
        QCOMPARE(store.cachedSearchResults("mail|pdf:1", at(10), true)->results,
                 results("rules A"));
    }

    void emptyListsAreNotWrittenAndDuplicatesAreDropped() {
        InMemoryPreferenceStore prefs;
        PersistentQueryResultCacheStore store(prefs, kKey);
        store.storeResults({}, "nothing|r", at(0));
        QVERIFY(!prefs.value(kKey));

        // The same path again (Linux paths differ by letter case, so only an exact copy repeats).
        store.storeResults({app("Mail"), app("Mail", 5), app("Notes")}, "mail|r", at(1));
        store.storeResults({}, "mail|r", at(2)); // keeps the earlier list
        const auto kept = store.cachedSearchResults("mail|r", at(3), false);
        QVERIFY(kept);
        QCOMPARE(kept->results, (QList<SearchResult>{app("Mail"), app("Notes")}));
    }

    void unknownKindIsDroppedAndCleanedEntryWrittenBack() {
        InMemoryPreferenceStore prefs;
        QJsonObject widget = persistentSearchResultRecord(app("Clock"));
        widget.insert("kind", "widget");
        QJsonObject duplicate = persistentSearchResultRecord(app("Mail"));
        duplicate.insert("openCount", 99); // same identity, later in the list
        const QJsonArray records{persistentSearchResultRecord(app("Mail")), widget, duplicate,
                                 persistentSearchResultRecord(app("Notes"))};
        const QJsonObject entries{
            {"m|r", QJsonObject{{"results", records}, {"cachedAt", toReferenceSeconds(at(5))}}},
            {"bad date|r", QJsonObject{{"results", records}, {"cachedAt", "soon"}}},
            {"not an object|r", 12}};
        prefs.setBytes(kKey, QJsonDocument(QJsonObject{{"entries", entries}}).toJson());

        PersistentQueryResultCacheStore store(prefs, kKey);
        const auto hit = store.cachedSearchResults("m|r", at(10), false);
        QVERIFY(hit);
        QCOMPARE(hit->results, (QList<SearchResult>{app("Mail"), app("Notes")}));
        QCOMPARE(store.cachedSearchResults("bad date|r", at(10), false), std::nullopt);

        const QJsonValue entry = storedEntries(prefs)["m|r"];
        QCOMPARE(entry["results"].toArray(),
                 (QJsonArray{persistentSearchResultRecord(app("Mail")),
                             persistentSearchResultRecord(app("Notes"))}));
        QCOMPARE(fromReferenceSeconds(entry["cachedAt"].toDouble()), at(5));
    }

    void corruptPayloadReadsEmptyAndIsOverwritten_data() {
        QTest::addColumn<QCborValue>("stored");
        QTest::addRow("truncated JSON")
            << QCborValue(QByteArray("{\"entries\": {\"m|r\": {\"resu"));
        QTest::addRow("text instead of bytes") << QCborValue(QStringLiteral("{\"entries\": {}}"));
    }

    void corruptPayloadReadsEmptyAndIsOverwritten() {
        QFETCH(QCborValue, stored);
        InMemoryPreferenceStore prefs;
        prefs.setValue(kKey, stored);

        PersistentQueryResultCacheStore store(prefs, kKey);
        QCOMPARE(store.cachedSearchResults("m|r", at(0), true), std::nullopt);
        store.storeResults(results("Mail"), "mail|r", at(1));
        QCOMPARE(storedEntries(prefs).keys(), QStringList{"mail|r"});
        QVERIFY(PersistentQueryResultCacheStore(prefs, kKey)
                    .cachedSearchResults("mail|r", at(2), false));
    }

    void normalizerRewritesRowsReadBack() {
        InMemoryPreferenceStore prefs;
        PersistentQueryResultCacheStore(prefs, kKey).storeResults({app("Page")}, "p|r", at(0));
        PersistentQueryResultCacheStore store(prefs, kKey);
        store.setResultNormalizer([](SearchResult r) {
            r.usageKey = QStringLiteral("notion://page/1");
            return r;
        });
        QCOMPARE(store.persistentCachedQueryResults("p|r", at(1), {})->results[0].usageKey,
                 std::optional<QString>("notion://page/1"));
        // Written back, so the next start reads it normalised.
        QCOMPARE(storedEntries(prefs).value("p|r")["results"][0]["usageKey"].toString(),
                 "notion://page/1");
    }

    void longestProperPrefixServes() {
        IncrementalSearchResultCache cache;
        cache.store({file("Mail"), file("Maps")}, "ma");
        cache.store({file("Mail")}, "mai");
        cache.store({file("Stale mail")}, "mail");

        QCOMPARE(names(*cache.longestPrefixResults("mail")), QStringList{"Mail"});
        QCOMPARE(names(*cache.longestPrefixResults("mailbox")), QStringList{"Stale mail"});
        QCOMPARE(names(*cache.longestPrefixResults("mai")), (QStringList{"Mail", "Maps"}));
        QCOMPARE(cache.longestPrefixResults("ma"), std::nullopt);
        QCOMPARE(cache.longestPrefixResults("notes"), std::nullopt);
    }

    void trimmingRemovesOldestFirst() {
        IncrementalSearchResultCache cache;
        for (int i = 0; i < 121; ++i)
            cache.store({file(QString::number(i))},
                        QStringLiteral("q%1").arg(i, 3, 10, QChar('0')));
        QCOMPARE(cache.entries().size(), 120);
        QVERIFY(!cache.entries().contains("q000"));
        QCOMPARE(cache.insertionOrder().first(), QStringLiteral("q001"));
        QCOMPARE(cache.insertionOrder().last(), QStringLiteral("q120"));
    }

    void incrementalFilter_data() {
        QTest::addColumn<QString>("query");
        QTest::addColumn<QStringList>("kept");
        QTest::addRow("filename, any case") << "mai" << QStringList{"Mail"};
        QTest::addRow("snippet") << "quarterly" << QStringList{"Report"};
        QTest::addRow("full path across the separator") << "work/bud" << QStringList{"Budget"};
    }

    void incrementalFilter() {
        QFETCH(QString, query);
        QFETCH(QStringList, kept);
        const QList<SearchResult> list{
            file("Mail"), file("Notes"), file("Budget", "/home/ana/Documents/Work"),
            file("Report", "/home/ana/Documents", QStringLiteral("The <b>Quarterly</b> numbers"))};
        QCOMPARE(names(filterSearchResultsForIncrementalQuery(list, query)), kept);
    }
};

QTEST_GUILESS_MAIN(TestQueryCaches)
#include "tst_querycaches.moc"
